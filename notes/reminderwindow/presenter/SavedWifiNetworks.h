#pragma once

#include "notes/reminderwindow/presenter/WifiNetworkRow.h"
#include "platform/base/UserFeedback.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <map>

class ApiNetWorking;
class Context;
class QJsonValue;
struct StoreChanges;

// The saved networks of the Wi-Fi tab: the `WiFiRemind` rows of the store, replaced by the service's list at
// each load, and the rows the user is still filling in. Adding, renaming and deleting a network go to the
// service at once, one request per row at a time. Rows are addressed by key, never by position.
class SavedWifiNetworks : public QObject
{
    Q_OBJECT
public:
    // Without a store the list holds only the rows being filled in; without a service nothing is sent.
    SavedWifiNetworks(Context *store, ApiNetWorking *api, UserFeedback *feedback, QObject *parent = nullptr);
    ~SavedWifiNetworks() override;

    // Where the busy spinner of an add shows.
    void setBusyAnchor(const QObject *anchor) { m_anchor = anchor; }

    // The rows in their order.
    const QList<quint64> &keys() const { return m_order; }
    const WifiNetworkRow *network(quint64 key) const;
    // The name of a network can be typed only until the service has taken it.
    bool isNameEditable(quint64 key) const;
    bool isLoading() const { return m_loading; }

    // Reads the saved networks from the store again: in the order of their ids, then the rows not stored.
    void reread() { readStore(true); }
    // Asks the service for its list, which then replaces the saved networks (listLoaded()).
    void load();
    // Rows never named go, from the list and from the store.
    void dropUnnamed();
    // A new row at the end; one with a name goes to the service at once. Returns its key.
    quint64 append(const QString &name = {});
    // The end of editing a row's name or alias: once both are set the row goes to the service (an add
    // before it has an id, else a rename).
    void setName(quint64 key, const QString &name);
    void setAlias(quint64 key, const QString &alias);
    // A network the service holds is deleted there first; a row it never had goes at once.
    void remove(quint64 key);
    // The tab is done: lists arriving later are not applied, and the spinners go.
    void finish();

signals:
    // Rows came or went.
    void keysChanged();
    // The rows were read again: any of them may have changed, come or gone.
    void itemsChanged();
    void itemChanged(quint64 key);
    void loadingChanged();
    // The service's list has replaced the saved networks.
    void listLoaded();

private:
    WifiNetworkRow *row(quint64 key);
    void onLoaded(const QJsonValue &data);
    // Reads the saved networks from the store again, keeping every row's key and the rows not stored;
    // `resort` puts the saved ones in the order of their ids, else rows keep their places.
    void readStore(bool resort = false);
    void onStoreChanged(const StoreChanges &changes);
    void sendAdd(quint64 key);
    void sendModify(quint64 key);
    void sendDelete(quint64 key);
    void removeRow(quint64 key);
    void saveStore();

    Context *m_store;
    ApiNetWorking *m_api;
    UserFeedback *m_feedback;
    const QObject *m_anchor = nullptr;
    QHash<quint64, WifiNetworkRow> m_rows;
    QList<quint64> m_order;
    bool m_loading = false;
    bool m_finished = false;
    quint64 m_nextKey = 1;
    std::map<quint64, BusyGuard> m_busy; // the spinner of each add in flight
};
