#include "notes/records/presenter/NoteCompleteListModel.h"

#include "core/model/NoteComplete.h"
#include "core/reminders/dates/DateTextCache.h"
#include "platform/store/Context.h"

NoteCompleteListModel::NoteCompleteListModel(Context *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
}

int NoteCompleteListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant NoteCompleteListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return r.content;
    case KeyRole:
        return r.key;
    case TIdRole:
        return r.tId;
    case CompletedTimeRole:
        return r.completedTime;
    case CompletedTimeTextRole:
        return QStringLiteral("完成于:%1").arg(r.completedTime);
    case StatusRole:
        return QStringLiteral("完成");
    case FutureRole:
        return r.completedAt && *r.completedAt > m_now;
    default:
        return {};
    }
}

QHash<int, QByteArray> NoteCompleteListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(KeyRole, "key");
    names.insert(TIdRole, "tId");
    names.insert(CompletedTimeRole, "completedTime");
    return names;
}

QList<NoteCompleteListModel::Row> NoteCompleteListModel::read(const QList<Ref> &refs) const
{
    QList<Row> rows;
    if (!m_store || refs.isEmpty())
        return rows;
    // One query for the page (tId is indexed); a row that has gone meanwhile is left out.
    QVariantList ids;
    ids.reserve(refs.size());
    for (const Ref &r : refs)
        ids.append(r.tId);
    enum Column
    {
        Content,
        CompletedTime
    };
    const FetchedValues values =
        m_store->fetchValues<NoteComplete>(Predicate::in(QStringLiteral("tId"), ids),
                                           {QStringLiteral("content"), QStringLiteral("completedTime")});
    QHash<qint64, qsizetype> at;
    at.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        at.insert(values.keys.at(i), i);
    rows.reserve(refs.size());
    for (const Ref &r : refs) {
        const auto it = at.constFind(r.key);
        if (it == at.cend())
            continue;
        const QString time = values.at(*it, CompletedTime).toString();
        rows.append(Row{r.key, r.tId, values.at(*it, Content).toString(), time, DateTextCache::parse(time)});
    }
    return rows;
}

void NoteCompleteListModel::setRows(const QList<Ref> &refs)
{
    QList<Row> rows = read(refs);
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void NoteCompleteListModel::appendRows(const QList<Ref> &refs)
{
    QList<Row> rows = read(refs);
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
}

void NoteCompleteListModel::removeKeys(const QSet<qint64> &keys)
{
    // From the end, in runs, so that each run is one removal.
    int row = int(m_rows.size()) - 1;
    while (row >= 0) {
        if (!keys.contains(m_rows.at(row).key)) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && keys.contains(m_rows.at(first - 1).key))
            --first;
        beginRemoveRows({}, first, row);
        m_rows.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }
}

void NoteCompleteListModel::setNow(qint64 msecs)
{
    if (m_now == msecs)
        return;
    m_now = msecs;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1), {FutureRole});
}

void NoteCompleteListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

qint64 NoteCompleteListModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).key : 0;
}

int NoteCompleteListModel::rowOfKey(qint64 key) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).key == key)
            return i;
    return -1;
}

QString NoteCompleteListModel::tIdAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).tId : QString();
}

QString NoteCompleteListModel::contentAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).content : QString();
}
