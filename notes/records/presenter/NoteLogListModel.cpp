#include "notes/records/presenter/NoteLogListModel.h"

#include "core/model/NoteLog.h"
#include "core/reminders/dates/RecordTimeRange.h"
#include "platform/store/Context.h"

#include <algorithm>

NoteLogListModel::NoteLogListModel(Context *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    if (m_store)
        connect(m_store, &Context::changesSaved, this, &NoteLogListModel::storeChanged);
}

void NoteLogListModel::reload(const Filter &filter, const QDateTime &now)
{
    beginResetModel();
    m_filter = filter;
    m_matches.clear();
    m_cells.clear();
    m_shown = 0;
    if (m_store) {
        Predicate where;
        if (!filter.classId.isEmpty())
            where = Predicate::equals(QStringLiteral("classId"), filter.classId);
        if (filter.actionType != 0) {
            const Predicate kind = Predicate::equals(QStringLiteral("actionType"), filter.actionType);
            where = filter.classId.isEmpty() ? kind : where && kind;
        }
        const RecordTimeRange range = RecordTimeRange::forType(filter.dateRange, now);
        const FetchedValues rows = m_store->fetchValues(
            NoteLog::entity(), where, {QStringLiteral("sort"), QStringLiteral("createTime")});
        struct Match
        {
            qint64 sort;
            qint64 key;
        };
        std::vector<Match> found;
        found.reserve(size_t(rows.size()));
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const qint64 key = rows.keys.at(i);
            if (!range.isAll()) {
                // A time that does not read passes no time filter.
                const std::optional<qint64> at =
                    m_times.value(QString::number(key), rows.at(i, 1).toString());
                if (!at || !range.contains(*at))
                    continue;
            }
            found.push_back({rows.at(i, 0).toLongLong(), key});
        }
        std::sort(found.begin(), found.end(), [](const Match &a, const Match &b) {
            return a.sort != b.sort ? a.sort > b.sort : a.key > b.key;
        });
        m_matches.reserve(qsizetype(found.size()));
        for (const Match &m : found)
            m_matches.append(m.key);
        m_shown = int(std::min<qsizetype>(PageSize, m_matches.size()));
    }
    endResetModel();
}

bool NoteLogListModel::showNextPage()
{
    if (m_shown >= m_matches.size())
        return false;
    const int more = int(std::min<qsizetype>(PageSize, m_matches.size() - m_shown));
    beginInsertRows(QModelIndex(), m_shown, m_shown + more - 1);
    m_shown += more;
    endInsertRows();
    return true;
}

void NoteLogListModel::clear()
{
    beginResetModel();
    m_matches.clear();
    m_cells.clear();
    m_times.clear();
    m_shown = 0;
    endResetModel();
}

int NoteLogListModel::pagesShown() const
{
    return (m_shown + PageSize - 1) / PageSize;
}

int NoteLogListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

qint64 NoteLogListModel::keyAt(int row) const
{
    return row >= 0 && row < m_shown ? m_matches.at(row) : 0;
}

int NoteLogListModel::rowOfKey(qint64 key) const
{
    const qsizetype at = m_matches.indexOf(key);
    return at >= 0 && at < m_shown ? int(at) : -1;
}

NoteLogCell NoteLogListModel::cellAt(int row) const
{
    const qint64 key = keyAt(row);
    if (!key)
        return {};
    auto it = m_cells.find(key);
    if (it == m_cells.end()) {
        NoteLogCell cell;
        if (m_store)
            if (auto *log = m_store->existing<NoteLog>(ObjectId{NoteLog::entity().index, key}))
                cell = NoteLogCell::fromLog(*log);
        cell.key = key;
        it = m_cells.insert(key, cell);
    }
    return *it;
}

QVariant NoteLogListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    switch (role) {
    case KeyRole:
        return keyAt(index.row());
    case TIdRole:
        return cellAt(index.row()).tId;
    case CellRole:
        return QVariant::fromValue(cellAt(index.row()));
    case Qt::DisplayRole:
        return cellAt(index.row()).text.text();
    default:
        return {};
    }
}

void NoteLogListModel::storeChanged(const StoreChanges &changes)
{
    const StoreChanges::Entity logs = changes.entity(NoteLog::entity().name);
    bool dropped = false;
    for (qint64 key : logs.deleted) {
        m_times.remove(QString::number(key));
        m_cells.remove(key);
        const qsizetype at = m_matches.indexOf(key);
        if (at < 0)
            continue;
        if (at < m_shown) {
            beginRemoveRows(QModelIndex(), int(at), int(at));
            m_matches.removeAt(at);
            --m_shown;
            endRemoveRows();
            dropped = true;
        } else {
            m_matches.removeAt(at);
        }
    }
    for (const StoreChanges::Updated &u : logs.updated) {
        m_cells.remove(u.pk);
        const int row = rowOfKey(u.pk);
        if (row >= 0)
            emit dataChanged(index(row), index(row));
    }
    if (dropped)
        emit rowsDropped();
}
