#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"

#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"

#include <QSet>

WifiNetworkListModel::WifiNetworkListModel(WIFIRemindPresenter *presenter)
    : QAbstractTableModel(presenter), m_presenter(presenter)
{
}

int WifiNetworkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size()) + 1;
}

int WifiNetworkListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant WifiNetworkListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() > int(m_keys.size()))
        return {};
    const int row = index.row();
    const WifiNetworkRow *network = row == 0 ? nullptr : m_presenter->networkByKey(m_keys.at(row - 1));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == NameColumn)
            return network ? network->name : WIFIRemindPresenter::anyNetworkTitle();
        return network ? network->alias : QString();
    case Qt::ToolTipRole:
        if (index.column() == NameColumn && network && !network->name.isEmpty())
            return network->name;
        if (index.column() == AliasColumn && network && !network->alias.isEmpty())
            return network->alias;
        return {};
    case Qt::CheckStateRole:
        if (index.column() != NameColumn)
            return {};
        return m_presenter->isTicked(row) ? Qt::Checked : Qt::Unchecked;
    case KeyRole:
        return network ? network->key : 0;
    case BusyRole:
        return network && (network->adding || network->modifying || network->deleting);
    default:
        return {};
    }
}

bool WifiNetworkListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() > int(m_keys.size()))
        return false;
    if (role == Qt::CheckStateRole && index.column() == NameColumn) {
        m_presenter->setTicked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole && index.row() > 0) {
        if (index.column() == NameColumn)
            m_presenter->setName(index.row(), value.toString());
        else
            m_presenter->setAlias(index.row(), value.toString());
        return true;
    }
    return false;
}

Qt::ItemFlags WifiNetworkListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // A row waits for the service's answer to its add, rename or delete, greyed and left alone until then.
    const QVariant busy = data(index, BusyRole);
    Qt::ItemFlags f = Qt::ItemIsSelectable;
    if (!busy.toBool())
        f |= Qt::ItemIsEnabled;
    if (index.column() == NameColumn) {
        f |= Qt::ItemIsUserCheckable;
        if (m_presenter->isNameEditable(index.row()))
            f |= Qt::ItemIsEditable;
    } else if (index.row() > 0) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

QVariant WifiNetworkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == NameColumn ? QStringLiteral("无线名称") : QStringLiteral("备注");
}

void WifiNetworkListModel::setKeys(const QList<quint64> &keys)
{
    if (keys == m_keys)
        return;
    // The keys kept must keep their order for a step-by-step update.
    const QSet<quint64> wanted(keys.cbegin(), keys.cend());
    QList<quint64> kept;
    for (quint64 k : std::as_const(m_keys))
        if (wanted.contains(k))
            kept << k;
    QList<quint64> keptInNew;
    const QSet<quint64> keptSet(kept.cbegin(), kept.cend());
    for (quint64 k : keys)
        if (keptSet.contains(k))
            keptInNew << k;
    if (kept != keptInNew) {
        beginResetModel();
        m_keys = keys;
        endResetModel();
        return;
    }
    for (int i = int(m_keys.size()) - 1; i >= 0; --i) {
        if (!wanted.contains(m_keys.at(i))) {
            beginRemoveRows({}, i + 1, i + 1);
            m_keys.removeAt(i);
            endRemoveRows();
        }
    }
    for (int i = 0; i < int(keys.size()); ++i) {
        if (i < int(m_keys.size()) && m_keys.at(i) == keys.at(i))
            continue;
        beginInsertRows({}, i + 1, i + 1);
        m_keys.insert(i, keys.at(i));
        endInsertRows();
    }
}

void WifiNetworkListModel::keyChanged(quint64 key)
{
    const qsizetype i = m_keys.indexOf(key);
    if (i >= 0)
        emit dataChanged(index(int(i) + 1, 0), index(int(i) + 1, ColumnCount - 1));
}

void WifiNetworkListModel::ticksChanged()
{
    emit dataChanged(index(0, NameColumn), index(int(m_keys.size()), NameColumn), {Qt::CheckStateRole});
}
