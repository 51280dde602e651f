#pragma once

#include <QAbstractTableModel>
#include <QList>

class WIFIRemindPresenter;

// The saved networks of the Wi-Fi tab over their row keys: row 0 "任意无线", then one row per network;
// column 0 the name with the tick, column 1 the alias. Ticks and edits go to the presenter; a row with a
// request in flight is disabled.
class WifiNetworkListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn = 0,
        AliasColumn,
        ColumnCount
    };
    enum Role
    {
        KeyRole = Qt::UserRole + 1, // the row's key (0 for "任意无线")
        BusyRole,                   // a request for the row is in flight
    };

    explicit WifiNetworkListModel(WIFIRemindPresenter *presenter);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    friend class WIFIRemindPresenter;

    // Brings the rows to these keys: removals and insertions when the kept keys keep their order, else a
    // reset.
    void setKeys(const QList<quint64> &keys);
    void keyChanged(quint64 key);
    void ticksChanged();

    WIFIRemindPresenter *m_presenter;
    QList<quint64> m_keys;
};
