#pragma once

#include "core/reminders/dates/DateTextCache.h"
#include "core/reminders/dates/RecordTimeRange.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class Context;
struct StoreChanges;

// The completed list's view of the `NoteComplete` mirror: for every row its key,
// `sort`, `tId`, `classId` and parsed completion time, read in one query when
// first asked and then kept in step with the store's change sets. Filters run
// over the whole mirror in memory, newest (highest `sort`) first, so a filter
// change or the next page reads nothing from the store.
class NoteCompleteSource : public QObject
{
    Q_OBJECT
public:
    struct Entry
    {
        qint64 pk = 0;
        qint64 sort = 0;
        QString tId;
        QString classId;
        std::optional<qint64> completedAt; // nothing for an unreadable time
    };

    explicit NoteCompleteSource(Context *store, QObject *parent = nullptr);

    // Keys of the rows of the category (every one for an empty id) whose
    // completion time lies in the range, newest first. A row with an unreadable
    // time passes only the range that keeps everything.
    QList<qint64> query(const QString &classId, const RecordTimeRange &range);
    // The row with this key as the index holds it.
    std::optional<Entry> entry(qint64 pk);
    int size();
    // Reads the mirror again at the next query (after a sign-out, say).
    void reset();

signals:
    // Rows left the mirror (a deletion here, or one a pull brought).
    void itemsRemoved(const QSet<qint64> &keys);

private:
    void ensureLoaded();
    void storeChanged(const StoreChanges &changes);
    void readRow(qint64 pk);
    void sortIfNeeded();

    Context *m_store;
    bool m_loaded = false;
    bool m_sorted = true;
    QHash<qint64, qsizetype> m_rowOf; // key → position in m_entries
    std::vector<Entry> m_entries;
    DateTextCache m_times; // by tId
};
