#include "notes/search/presenter/NoteSearchModel.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/UserSet.h"
#include "notes/list/presenter/NoteRowFormatter.h"
#include "platform/store/Context.h"

#include <vector>

NoteSearchModel::NoteSearchModel(Context *store, QObject *parent) : QAbstractListModel(parent), m_store(store)
{
}

void NoteSearchModel::setHits(Scope scope, const QList<qint64> &keys)
{
    beginResetModel();
    m_scope = scope;
    m_keys = keys;
    m_cells.clear();
    m_importantMinutes = importantMinutes();
    reindex();
    endResetModel();
}

void NoteSearchModel::clear()
{
    setHits(m_scope, {});
}

void NoteSearchModel::refreshLooks()
{
    m_importantMinutes = importantMinutes();
    if (!m_keys.isEmpty())
        emit dataChanged(index(0), index(int(m_keys.size()) - 1));
}

void NoteSearchModel::follow(const QList<qint64> &keys, const QSet<qint64> &touched)
{
    QHash<qint64, int> wanted;
    wanted.reserve(keys.size());
    for (int i = 0; i < keys.size(); ++i)
        wanted.insert(keys.at(i), i);
    // The rows that stay: still hits, and still in the same order among themselves.
    std::vector<bool> keep(size_t(m_keys.size()), false);
    int last = -1;
    for (int i = 0; i < m_keys.size(); ++i) {
        const auto at = wanted.constFind(m_keys.at(i));
        if (at != wanted.cend() && *at > last) {
            keep[size_t(i)] = true;
            last = *at;
        }
    }
    for (int i = int(m_keys.size()) - 1; i >= 0;) {
        if (keep[size_t(i)]) {
            --i;
            continue;
        }
        const int end = i;
        while (i >= 0 && !keep[size_t(i)])
            --i;
        beginRemoveRows({}, i + 1, end);
        m_keys.remove(i + 1, end - i);
        endRemoveRows();
    }
    // The new hits go in between the rows that stayed, run by run.
    int row = 0;
    for (int j = 0; j < keys.size();) {
        if (row < m_keys.size() && m_keys.at(row) == keys.at(j)) {
            ++row;
            ++j;
            continue;
        }
        const int start = j;
        while (j < keys.size() && !(row < m_keys.size() && m_keys.at(row) == keys.at(j)))
            ++j;
        beginInsertRows({}, row, row + (j - start) - 1);
        m_keys = m_keys.mid(0, row) + keys.mid(start, j - start) + m_keys.mid(row);
        endInsertRows();
        row += j - start;
    }
    reindex();
    for (qint64 key : touched)
        m_cells.remove(key);
    for (qint64 key : touched) {
        const int r = rowOfKey(key);
        if (r >= 0)
            emit dataChanged(index(r), index(r));
    }
}

void NoteSearchModel::reindex()
{
    m_row.clear();
    m_row.reserve(m_keys.size());
    for (int i = 0; i < m_keys.size(); ++i)
        m_row.insert(m_keys.at(i), i);
}

qint64 NoteSearchModel::importantMinutes() const
{
    if (!m_store)
        return 0;
    const QList<UserSet *> sets = m_store->fetch<UserSet>(FetchRequest{{}, {}, 1});
    return sets.isEmpty() ? 0 : sets.first()->importantRemindInterval();
}

int NoteSearchModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

QVariant NoteSearchModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_keys.size() || !m_store)
        return {};
    const qint64 key = m_keys.at(index.row());
    if (role == KeyRole)
        return key;
    if (m_scope == Scope::Notes) {
        auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, key});
        if (!n || n->isDeleted())
            return {};
        switch (role) {
        case CIdRole:
            return n->cId();
        case ContentRole:
            return n->content();
        case Qt::DisplayRole:
            return n->content().trimmed();
        case LookRole:
            return QVariant::fromValue(NoteRowFormatter::format(n, n->remind(), m_importantMinutes));
        case HeightRole:
            return NoteRowFormatter::heightFor(n->remind());
        default:
            return {};
        }
    }
    auto *log = m_store->existing<NoteLog>(ObjectId{NoteLog::entity().index, key});
    if (!log || log->isDeleted())
        return {};
    switch (role) {
    case CIdRole:
        return log->cId();
    case Qt::DisplayRole:
    case ContentRole:
        return log->content();
    case TIdRole:
        return log->tId();
    case CreateTimeRole:
        return log->createTime();
    case ClassifyNameRole:
        return log->classifyName();
    case ActionTypeRole:
        return int(log->actionType());
    case TerminalIdRole:
        return int(log->terminalId());
    case DiffItemsRole:
        return log->diffItems();
    case CellRole: {
        auto it = m_cells.find(key);
        if (it == m_cells.end()) {
            NoteLogCell cell = NoteLogCell::fromLog(*log);
            cell.key = key;
            it = m_cells.insert(key, cell);
        }
        return QVariant::fromValue(*it);
    }
    default:
        return {};
    }
}
