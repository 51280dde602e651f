#include "notes/categories/presenter/CategoryListModel.h"

CategoryListModel::CategoryListModel(QObject *parent) : QAbstractListModel(parent) {}

int CategoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CategoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return r.name;
    case ColorRole:
        return r.color;
    case DueRole:
        return r.due;
    case KeyRole:
        return r.pk;
    case ClassIdRole:
        return r.classId;
    default:
        return {};
    }
}

QHash<int, QByteArray> CategoryListModel::roleNames() const
{
    return {{Qt::DisplayRole, "name"},
            {ColorRole, "color"},
            {DueRole, "due"},
            {KeyRole, "key"},
            {ClassIdRole, "classId"}};
}

void CategoryListModel::setRows(const QList<Row> &rows)
{
    bool sameKeys = rows.size() == m_rows.size();
    for (int i = 0; sameKeys && i < rows.size(); ++i)
        sameKeys = rows.at(i).pk == m_rows.at(i).pk && rows.at(i).classId == m_rows.at(i).classId;
    if (!sameKeys) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i) == m_rows.at(i))
            continue;
        m_rows[i] = rows.at(i);
        emit dataChanged(index(i), index(i));
    }
}

int CategoryListModel::indexOfClassId(const QString &classId) const
{
    if (classId.isEmpty())
        return -1;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).classId == classId)
            return i;
    return -1;
}

int CategoryListModel::indexOfKey(qint64 pk) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).pk == pk)
            return i;
    return -1;
}
