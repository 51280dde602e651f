#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class Context;

// The rows the completed list shows, by key, with the few values a row paints:
// the record's text, its completion time and its service id. A page of keys is
// read from the store with one query.
class NoteCompleteListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        TIdRole,
        CompletedTimeRole,     // the text as stored
        CompletedTimeTextRole, // "完成于:…"
        StatusRole,            // "完成"
        FutureRole,            // completed after now (a skewed clock): the badge is grey
    };

    explicit NoteCompleteListModel(Context *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // A row to show: its key, and its service id by which the page is read.
    struct Ref
    {
        qint64 key = 0;
        QString tId;
    };
    // Shows these rows (in this order) instead of those shown.
    void setRows(const QList<Ref> &refs);
    // Adds these rows after those shown.
    void appendRows(const QList<Ref> &refs);
    // Takes the rows of these keys out.
    void removeKeys(const QSet<qint64> &keys);
    void clear();
    // The moment the badges compare with (milliseconds since the epoch).
    void setNow(qint64 msecs);

    qint64 keyAt(int row) const;
    int rowOfKey(qint64 key) const;
    QString tIdAt(int row) const;
    QString contentAt(int row) const;

private:
    struct Row
    {
        qint64 key = 0;
        QString tId;
        QString content;
        QString completedTime;
        std::optional<qint64> completedAt;
    };
    QList<Row> read(const QList<Ref> &refs) const;

    Context *m_store;
    QList<Row> m_rows;
    qint64 m_now = 0;
};
