#pragma once

#include "core/reminders/dates/DateTextCache.h"
#include "notes/records/presenter/NoteLogCell.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>
#include <QList>

class Context;
struct StoreChanges;

// The edit-history list as rows over the mirror's keys: every record that
// passes the filters (kind and category by query, the time by each record's
// parsed time, over the whole mirror), newest first by `sort`, of which the
// first pages are shown. A row's cell is read from the store once, when it is
// first asked for. Records deleted from the mirror leave the list at once;
// new ones come in with the next reload.
class NoteLogListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int PageSize = 200;
    enum Role
    {
        KeyRole = Qt::UserRole + 1, // the record's store key (qint64)
        TIdRole,
        CellRole = NoteLogCell::Role, // NoteLogCell
    };

    struct Filter
    {
        QString classId;    // empty: every category
        int actionType = 0; // 0: every kind
        int dateRange = 0;  // RecordTimeRange::Type
        bool operator==(const Filter &) const = default;
    };

    explicit NoteLogListModel(Context *store, QObject *parent = nullptr);

    // Reads the matching records again (a reset) and shows the first page of them.
    void reload(const Filter &filter, const QDateTime &now);
    // Shows one more page; false (and nothing changes) when every match is shown.
    bool showNextPage();
    // Drops every row (sign-out).
    void clear();

    Filter filter() const { return m_filter; }
    int matchCount() const { return int(m_matches.size()); }
    // The pages shown: 1 after a reload with matches, 0 without.
    int pagesShown() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    qint64 keyAt(int row) const;
    int rowOfKey(qint64 key) const;
    // The cell of a shown row (read from the store when first asked).
    NoteLogCell cellAt(int row) const;

signals:
    // Rows left the list because their records were deleted.
    void rowsDropped();

private:
    void storeChanged(const StoreChanges &changes);
    Context *m_store;
    Filter m_filter;
    QList<qint64> m_matches; // newest first
    int m_shown = 0;
    mutable QHash<qint64, NoteLogCell> m_cells;
    DateTextCache m_times; // the records' parsed times, by key
};
