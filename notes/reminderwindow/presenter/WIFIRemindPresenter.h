#pragma once

#include "app/services/Services.h"
#include "core/model/NoteRemindModel.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/ObjectId.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>

class NetworkMonitor;
class WifiNetworkListModel;
struct StoreChanges;

// One row of the saved-network list below "任意无线": a store row once the service has given it an id (or
// one the store already held without), else a row the user is still filling in, kept here only until the
// service accepts it. The key stays the row's for the tab's whole life.
struct WifiNetworkRow
{
    quint64 key = 0;
    ObjectId object; // invalid while the row is not in the store
    QString wifiId;
    QString name;
    QString alias;
    bool adding = false;   // an add of this row is in flight
    bool modifying = false; // a rename is in flight
    bool deleting = false;
    bool aliasDirty = false; // edited while a request was in flight: send again after it
};

// The Wi-Fi tab of the reminder window: the saved networks (from the store, refreshed from the service at
// each showing), the nearby networks of the last scan, join or leave, and the ticked networks. Adding,
// renaming and deleting a network go to the service at once; ticks follow the networks, not row numbers.
// It edits its own copy of the value; only confirm hands a new value back.
class WIFIRemindPresenter : public QObject
{
    Q_OBJECT
public:
    // `networks` gives the nearby networks (none: an empty list).
    WIFIRemindPresenter(const NoteRemindModel &remind, const Services &services, NetworkMonitor *networks,
                        QObject *parent = nullptr);
    ~WIFIRemindPresenter() override;

    static QString anyNetworkTitle() { return QStringLiteral("任意无线"); }

    // Where the busy spinner of an add and the alerts show (the view puts itself here).
    void setAnchor(const QObject *anchor) { m_anchor = anchor; }

    WifiNetworkListModel *model() const { return m_model; }
    const NoteRemindModel &remind() const { return m_remind; }

    // Row 0 is "任意无线"; row k > 0 is network k - 1.
    int rowCount() const { return int(m_order.size()) + 1; }
    // The network of a row > 0 (nullptr for row 0 or out of range).
    const WifiNetworkRow *networkAt(int row) const;
    const WifiNetworkRow *networkByKey(quint64 key) const;
    int rowOfKey(quint64 key) const;
    bool isTicked(int row) const;
    // The name of a network can be typed only until the service has taken it.
    bool isNameEditable(int row) const;
    bool isJoin() const { return m_join; }
    bool isLoading() const { return m_loading; }

    // The names of the last scan, each once, without empty ones.
    QStringList nearbyNetworks() const;

public slots:
    // Each showing of the tab: the value again, the saved networks from the store, then from the service.
    void show();
    // The tab is hidden: rows never named are dropped.
    void hide();
    void setJoin(bool join);
    void setTicked(int row, bool ticked);
    // The end of editing a row's name or alias: once both are set the row goes to the service (an add
    // before it has an id, else a rename).
    void setName(int row, const QString &name);
    void setAlias(int row, const QString &alias);
    // A new empty row at the end; returns its row.
    int addNetwork();
    // A network picked from the nearby list: a listed one is ticked, another added at once by its name.
    void chooseNearby(const QString &name);
    void deleteNetwork(int row);
    void confirm();
    void cancel();

signals:
    void joinChanged();
    void loadingChanged();
    // The view should show this row (a nearby network already listed, or a new row to type into).
    void rowWanted(int row);
    void confirmed(const NoteRemindModel &remind);
    void closeRequested();

private:
    friend class WifiNetworkListModel;

    WifiNetworkRow *row(quint64 key);
    quint64 keyAtRow(int row) const;
    void load();
    void onLoaded(const QJsonValue &data);
    // Reads the saved networks from the store again, keeping every row's key and the rows not stored;
    // `resort` puts the saved ones in the order of their ids, else rows keep their places.
    void readStore(bool resort = false);
    void onStoreChanged(const StoreChanges &changes);
    void ticksFromValue();
    void sendAdd(quint64 key);
    void sendModify(quint64 key);
    void sendDelete(quint64 key);
    void removeRow(quint64 key);
    void rowChanged(quint64 key);
    void saveStore();
    UserFeedback::Asker asker() const { return {this, m_anchor}; }

    NoteRemindModel m_remind;
    Services m_services;
    NetworkMonitor *m_networks;
    const QObject *m_anchor = nullptr;
    WifiNetworkListModel *m_model;
    QHash<quint64, WifiNetworkRow> m_rows;
    QList<quint64> m_order;
    // Ticked keys in the order ticked; AnyKey is "任意无线".
    QList<quint64> m_ticks;
    bool m_ticksEdited = false;
    bool m_join = true;
    bool m_loading = false;
    bool m_done = false;
    quint64 m_nextKey = 1;
    std::map<quint64, BusyGuard> m_busy; // the spinner of each add in flight

    static constexpr quint64 AnyKey = 0;
};
