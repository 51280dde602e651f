#include "core/reminders/wifi/NetworkStatusManager.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/WiFiRemind.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/wifi/WIFIManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/NotificationCenter.h"
#include "platform/base/UserDefaults.h"
#include "platform/network/NetworkMonitor.h"
#include "platform/network/NetworkStatus.h"
#include "platform/store/Context.h"

#include <QDebug>
#include <QSet>

namespace {
const QString lastTypeKey = QStringLiteral("lastWiFiType");
const QString lastNameKey = QStringLiteral("lastWiFiName");

QMetaObject::Connection monitorConnection;
} // namespace

void NetworkStatusManager::registerNetwork()
{
    unregisterNetwork();
    NetworkMonitor *monitor = NetworkMonitor::shared();
    monitorConnection = QObject::connect(monitor, &NetworkMonitor::statusChanged, monitor,
                                         [](int status) { networkStatusDidChange(status); });
    networkStatusDidChange(monitor->status());
}

void NetworkStatusManager::unregisterNetwork()
{
    if (monitorConnection)
        QObject::disconnect(monitorConnection);
    monitorConnection = {};
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
        const QString name = WIFIManager::getCWWiFiName();
        UserDefaults::setValue(lastNameKey, name);
        UserDefaults::sync();
        addUserNotificationFromNoteWiFiRemindWithNetworkStatus(status, 0, name);
    } else if (status != NetworkStatus::WiFi && last == NetworkStatus::WiFi) {
        addUserNotificationFromNoteWiFiRemindWithNetworkStatus(status, 1, UserDefaults::string(lastNameKey));
    }
    UserDefaults::setValue(lastTypeKey, QString::number(status));
    UserDefaults::sync();
}

void NetworkStatusManager::addUserNotificationFromNoteWiFiRemindWithNetworkStatus(int status, int wifiType,
                                                                                  const QString &wifiName)
{
    Context *ctx = Context::defaultContext();
    if (!ctx) {
        qWarning("Wi-Fi reminders: no store open, nothing fired");
        return;
    }

    // Every saved network of that name: the same SSID may be saved more than once.
    QSet<QString> savedIds;
    if (!wifiName.isEmpty()) {
        for (const WiFiRemind *wifi : ctx->findByAttribute<WiFiRemind>(QStringLiteral("name"), wifiName)) {
            // One the user deleted (waiting for the push) is no longer saved.
            if (!wifi->wifiId().isEmpty() && wifi->actionType() != 3)
                savedIds.insert(wifi->wifiId());
        }
    }

    const bool join = wifiType == 0;
    const QString current = WIFIManager::getCWWiFiName();
    const QDateTime now = Clock::now();
    const QString nowText = DateManager::getStringFromDate(now);

    for (NoteDetail *note : ctx->findAll<NoteDetail>()) {
        DateRemind *remind = note->remind();
        if (!remind || remind->remindActionType() == 3 || Missing::isMissing(remind->connectWifiIds()))
            continue;
        // A note waiting for its deletion to be pushed, or already done, has nothing to remind of.
        if (note->actionType() == 3 || note->isCompleted())
            continue;
        if ((remind->connectWifiType() == 0) != join)
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

        if (!WiFiRemindManager::addUserNotificationWiFiRemindWithDateTime(
                remind->remindWifiDateTime(), ids, wifiType, remind->remindWifiStatus(), current))
            continue;

        LocalNotificationManager::addWiFiUserNotificationWithDeliveryDate(now, note->content(), note->cId());
        remind->setRemindWifiStatus(1);
        remind->setRemindActionType(2);
        remind->setRemindWifiDateTime(nowText);
        note->setIsSync(false);
        note->setActionType(2);
    }

    if (const SaveResult saved = ctx->saveAndWait(); !saved)
        qWarning() << "Wi-Fi reminders: saving the fired reminders failed:" << saved.error;

    NotificationCenter::defaultCenter()->post(NotificationName::NotesListReloadDatas,
                                              NoteListReloadType::All);
    if (status != NetworkStatus::NotReachable)
        NotificationCenter::defaultCenter()->post(NotificationName::SyncPushNoteDatas);
}
