#pragma once

#include "notes/records/presenter/NoteDateGrouping.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

class Context;
struct StoreChanges;

// The due-date list's data: the notes that carry a reminder, read from the
// store in one query (keys and the few values a placement needs, no row
// objects), and one note read again by key. Follows the store's change sets and
// tells which notes' items changed.
class NoteDateSource : public QObject
{
    Q_OBJECT
public:
    struct Item
    {
        qint64 pk = 0;
        QString cId;
        NoteDateGrouping::Timing timing;
    };

    explicit NoteDateSource(Context *store, QObject *parent = nullptr);

    // Every listed note, of one category when `classId` is not empty, in key order.
    QList<Item> fetch(const QString &classId);
    // The note's item, or nothing when it is not listed (gone, or filtered out).
    std::optional<Item> item(qint64 notePk, const QString &classId);

signals:
    // Notes whose item may have changed (added, changed, gone).
    void itemsChanged(const QSet<qint64> &notes);
    // The account's data was replaced: read everything again.
    void itemsReplaced();
    // What every row shows changed (the important interval of the settings).
    void looksChanged();

private:
    void storeChanged(const StoreChanges &changes);

    Context *m_store;
    QHash<qint64, qint64> m_noteOfRemind; // reminder key -> note key, for reminders that go
};
