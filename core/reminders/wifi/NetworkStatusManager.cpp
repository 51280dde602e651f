#include "core/reminders/wifi/NetworkStatusManager.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/RowAction.h"
#include "core/model/WiFiRemind.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/model/WiFiTrigger.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/wifi/WIFIManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/UserDefaults.h"
#include "platform/network/NetworkMonitor.h"
#include "platform/network/NetworkStatus.h"
#include "platform/store/Context.h"

#include <QDebug>
#include <QSet>

#include <algorithm>

namespace {
const QString lastTypeKey = QStringLiteral("lastWiFiType");
const QString lastNameKey = QStringLiteral("lastWiFiName");
} // namespace

NetworkStatusManager::NetworkStatusManager(const Uses &uses) : m_uses(uses) {}

NetworkStatusManager::~NetworkStatusManager()
{
    unregisterNetwork();
}

// Fires the reminders of one kind (0 join, 1 leave) that match the network of
// that name; saves nothing and posts nothing.
void NetworkStatusManager::fireMatching(int wifiType, const QString &wifiName, const QString &current)
{
    Context *ctx = &m_uses.store;
    // Every saved network of that name: the same SSID may be saved more than once.
    QSet<QString> savedIds;
    if (!wifiName.isEmpty()) {
        for (const WiFiRemind *wifi : ctx->findByAttribute<WiFiRemind>(QStringLiteral("name"), wifiName)) {
            // One the user deleted (waiting for the push) is no longer saved.
            if (!wifi->wifiId().isEmpty() && wifi->actionType() != RowAction::Deleted)
                savedIds.insert(wifi->wifiId());
        }
    }

    const bool join = wifiType == WiFiTrigger::OnJoin;
    const QDateTime now = m_uses.clock.now();
    const QString nowText = DateManager::getStringFromDate(now);

    // The active Wi-Fi reminders of this kind and their notes, two queries; fired in
    // the order the notes were made.
    const Predicate kind = join ? Predicate::equals(QStringLiteral("connectWifiType"), 0)
                                : Predicate::notEquals(QStringLiteral("connectWifiType"), 0);
    const QList<DateRemind *> reminds = ctx->fetch<DateRemind>(
        Predicate::notEquals(QStringLiteral("connectWifiIds"), QString()) &&
        Predicate::notEquals(QStringLiteral("remindActionType"), RemindAction::Cleared) && kind);
    QList<NoteDetail *> notes = ctx->fetchToOne<NoteDetail>(reminds, QStringLiteral("noteDetail")).values();
    std::sort(notes.begin(), notes.end(),
              [](const NoteDetail *a, const NoteDetail *b) { return a->objectId().pk < b->objectId().pk; });

    for (NoteDetail *note : std::as_const(notes)) {
        DateRemind *remind = note->remind();
        if (!remind || remind->remindActionType() == RemindAction::Cleared ||
            Missing::isMissing(remind->connectWifiIds()))
            continue;
        // A note waiting for its deletion to be pushed, or already done, has nothing to remind of.
        if (note->actionType() == RowAction::Deleted || note->isCompleted())
            continue;
        if ((remind->connectWifiType() == WiFiTrigger::OnJoin) != join)
            continue;

        const QString ids = remind->connectWifiIds();
        bool listed = WiFiRemindManager::isAnyNetwork(ids);
        for (const QString &id : WiFiRemindManager::wifiIdList(ids)) {
            if (listed)
                break;
            listed = savedIds.contains(id);
        }
        if (!listed)
            continue;

        if (!m_uses.reminds.addUserNotificationWiFiRemindWithDateTime(
                remind->remindWifiDateTime(), ids, wifiType, remind->remindWifiStatus(), current))
            continue;

        m_uses.notifications.addWiFiUserNotificationWithDeliveryDate(now, note->content(), note->cId());
        remind->setRemindWifiStatus(WiFiRemindStatus::Fired);
        remind->setRemindActionType(RemindAction::Set);
        remind->setRemindWifiDateTime(nowText);
        note->setIsSync(false);
        note->setActionType(RowAction::Changed);
    }
}

// Saves what fired and tells the views and the push, once per network change.
void NetworkStatusManager::saveAndAnnounce(int status)
{
    if (const SaveResult saved = m_uses.store.saveAndWait(); !saved)
        qWarning() << "Wi-Fi reminders: saving the fired reminders failed:" << saved.error;

    emit m_uses.events.notesListReloadDatas(NotesListReload::all());
    if (status != NetworkStatus::NotReachable)
        emit m_uses.events.syncPushNoteDatas({});
}

// On Wi-Fi before and now, joined to name now: a name other than the stored one
// is a switch from that network to this one.
void NetworkStatusManager::switchIfRenamed(const QString &name)
{
    if (name.isEmpty())
        return;
    const QString left = UserDefaults::string(lastNameKey);
    if (name == left)
        return;
    UserDefaults::setValue(lastNameKey, name);
    UserDefaults::sync();

    // Left a network whose name was never known (joined before its name could
    // be read): nothing was left that a reminder could name, only learnt.
    if (!left.isEmpty())
        fireMatching(1, left, name);
    fireMatching(0, name, name);
    saveAndAnnounce(NetworkStatus::WiFi);
}

void NetworkStatusManager::registerNetwork()
{
    unregisterNetwork();
    NetworkMonitor *monitor = &m_uses.monitor;
    m_statusConnection = QObject::connect(monitor, &NetworkMonitor::statusChanged, monitor,
                                          [this](int status) { networkStatusDidChange(status); });
    m_nameConnection = QObject::connect(
        monitor, &NetworkMonitor::wifiNameChanged, monitor,
        [this, monitor](const QString &name) { wifiNameDidChange(monitor->status(), name); });
    networkStatusDidChange(monitor->status());
}

void NetworkStatusManager::unregisterNetwork()
{
    if (m_statusConnection)
        QObject::disconnect(m_statusConnection);
    if (m_nameConnection)
        QObject::disconnect(m_nameConnection);
    m_statusConnection = {};
    m_nameConnection = {};
}

void NetworkStatusManager::networkStatusDidChange(int status)
{
    // An unknown reading says nothing about Wi-Fi: neither a leave nor a join,
    // and the last known status stays.
    if (status != NetworkStatus::NotReachable && status != NetworkStatus::ReachableNotWiFi &&
        status != NetworkStatus::WiFi)
        return;

    const qint64 last = UserDefaults::integer(lastTypeKey);
    if (status == NetworkStatus::WiFi && last != NetworkStatus::WiFi) {
        const QString name = m_uses.wifi.getCWWiFiName();
        UserDefaults::setValue(lastNameKey, name);
        UserDefaults::sync();
        addUserNotificationFromNoteWiFiRemindWithNetworkStatus(status, 0, name);
    } else if (status != NetworkStatus::WiFi && last == NetworkStatus::WiFi) {
        addUserNotificationFromNoteWiFiRemindWithNetworkStatus(status, 1, UserDefaults::string(lastNameKey));
    } else if (status == NetworkStatus::WiFi) {
        // Still on Wi-Fi, as at a start on Wi-Fi after a run that ended on it:
        // the network may be another one by now.
        switchIfRenamed(m_uses.wifi.getCWWiFiName());
    }
    UserDefaults::setValue(lastTypeKey, QString::number(status));
    UserDefaults::sync();
}

void NetworkStatusManager::addUserNotificationFromNoteWiFiRemindWithNetworkStatus(int status, int wifiType,
                                                                                  const QString &wifiName)
{
    fireMatching(wifiType, wifiName, m_uses.wifi.getCWWiFiName());
    saveAndAnnounce(status);
}

void NetworkStatusManager::wifiNameDidChange(int status, const QString &name)
{
    // Joins and leaves of Wi-Fi are the status handler's; a name that arrives
    // before the status that goes with it is read again there.
    if (status != NetworkStatus::WiFi || UserDefaults::integer(lastTypeKey) != NetworkStatus::WiFi)
        return;
    switchIfRenamed(name);
}
