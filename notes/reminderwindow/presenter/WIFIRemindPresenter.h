#pragma once

#include "core/model/NoteRemindModel.h"
#include "notes/reminderwindow/presenter/WifiNetworkRow.h"
#include "platform/base/UserFeedback.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class NetworkMonitor;
class SavedWifiNetworks;
class WifiNetworkListModel;

// The Wi-Fi tab of the reminder window: the saved networks (from their data source, refreshed from the
// service at each showing), the nearby networks of the last scan, join or leave, and the ticked networks.
// Ticks follow the networks, not row numbers. It edits its own copy of the value; only confirm hands a new
// value back.
class WIFIRemindPresenter : public QObject
{
    Q_OBJECT
public:
    // The presenter takes `saved` as its own; `networks` gives the nearby networks (none: an empty list).
    WIFIRemindPresenter(const NoteRemindModel &remind, SavedWifiNetworks *saved, UserFeedback *feedback,
                        NetworkMonitor *networks, QObject *parent = nullptr);
    ~WIFIRemindPresenter() override;

    static QString anyNetworkTitle() { return QStringLiteral("任意无线"); }

    // Where the busy spinner of an add and the alerts show (the view puts itself here).
    void setAnchor(const QObject *anchor);

    WifiNetworkListModel *model() const { return m_model; }
    SavedWifiNetworks *savedNetworks() const { return m_saved; }
    const NoteRemindModel &remind() const { return m_remind; }

    // Row 0 is "任意无线"; row k > 0 is network k - 1.
    int rowCount() const;
    // The network of a row > 0 (nullptr for row 0 or out of range).
    const WifiNetworkRow *networkAt(int row) const;
    const WifiNetworkRow *networkByKey(quint64 key) const;
    int rowOfKey(quint64 key) const;
    bool isTicked(int row) const;
    // The name of a network can be typed only until the service has taken it.
    bool isNameEditable(int row) const;
    bool isJoin() const { return m_join; }
    bool isLoading() const;

    // The names of the last scan, each once, without empty ones.
    QStringList nearbyNetworks() const;

public slots:
    // Each showing of the tab: the value again, the saved networks from the store, then from the service.
    void show();
    // The tab is hidden: rows never named are dropped.
    void hide();
    void setJoin(bool join);
    void setTicked(int row, bool ticked);
    // The end of editing a row's name or alias (see SavedWifiNetworks).
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
    quint64 keyAtRow(int row) const;
    // Ticks of networks no longer listed go.
    void dropGoneTicks();
    void onKeysChanged();
    void onItemsChanged();
    void ticksFromValue();
    UserFeedback::Asker asker() const { return {this, m_anchor}; }

    NoteRemindModel m_remind;
    SavedWifiNetworks *m_saved;
    UserFeedback *m_feedback;
    NetworkMonitor *m_networks;
    const QObject *m_anchor = nullptr;
    WifiNetworkListModel *m_model;
    // Ticked keys in the order ticked; AnyKey is "任意无线".
    QList<quint64> m_ticks;
    bool m_ticksEdited = false;
    bool m_join = true;
    bool m_done = false;

    static constexpr quint64 AnyKey = 0;
};
