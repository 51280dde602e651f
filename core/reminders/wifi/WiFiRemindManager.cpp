#include "core/reminders/wifi/WiFiRemindManager.h"

#include "core/model/RowAction.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/model/WiFiTrigger.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/wifi/WIFIManager.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"

WiFiRemindManager::WiFiRemindManager(Context &store, WIFIManager &wifi, Clock &clock)
    : m_store(store), m_wifi(wifi), m_clock(clock)
{
}

QStringList WiFiRemindManager::wifiIdList(const QString &wifiIds)
{
    QStringList ids;
    for (const QString &part : wifiIds.split(QLatin1Char(','))) {
        const QString id = part.trimmed();
        if (!id.isEmpty())
            ids << id;
    }
    return ids;
}

bool WiFiRemindManager::isAnyNetwork(const QString &wifiIds)
{
    const QStringList ids = wifiIdList(wifiIds);
    if (ids.isEmpty())
        return false;
    bool ok = false;
    const qint64 first = ids.constFirst().toLongLong(&ok);
    return ok && first == 0;
}

int WiFiRemindManager::silenceHours() const
{
    const UserSet *set = m_store.findFirstWhere<UserSet>();
    return set ? qMax<int>(0, set->wifiSilenceRemindInterval()) : 0;
}

QString WiFiRemindManager::getWiFiNamesWithWiFiIds(const QString &wifiIds) const
{
    return getWiFiNamesWithWiFiIds(&m_store, wifiIds);
}

QString WiFiRemindManager::getWiFiNamesWithWiFiIds(Context *ctx, const QString &wifiIds)
{
    QStringList names;
    if (ctx) {
        for (const QString &id : wifiIdList(wifiIds)) {
            const WiFiRemind *wifi = ctx->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), id);
            if (!wifi)
                continue;
            names << (wifi->alias().isEmpty() ? wifi->name() : wifi->alias());
        }
    }
    return names.isEmpty() ? anyNetworkName() : names.join(QLatin1Char(';'));
}

bool WiFiRemindManager::addUserNotificationWiFiRemindWithDateTime(const QString &dateTime,
                                                                  const QString &wifiIds, int connectWifiType,
                                                                  int wifiStatus) const
{
    return addUserNotificationWiFiRemindWithDateTime(dateTime, wifiIds, connectWifiType, wifiStatus,
                                                     m_wifi.getCWWiFiName());
}

bool WiFiRemindManager::addUserNotificationWiFiRemindWithDateTime(const QString &dateTime,
                                                                  const QString &wifiIds, int connectWifiType,
                                                                  int wifiStatus,
                                                                  const QString &currentWiFiName) const
{
    if (wifiStatus == WiFiRemindStatus::Fired)
        return false;

    QStringList names;
    for (const QString &id : wifiIdList(wifiIds)) {
        const WiFiRemind *wifi = m_store.findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), id);
        if (wifi && wifi->actionType() != RowAction::Deleted)
            names << wifi->name();
    }
    if (names.isEmpty())
        names << anyNetworkName();

    // No window without a setting, and none without a readable start: a reminder
    // must not stay silent because its time stamp is lost or from another clock.
    const int hours = silenceHours();
    const QDateTime start = DateManager::getDateFromString(dateTime);
    const bool silencePassed =
        hours == 0 || !start.isValid() || m_clock.now() >= start.addSecs(qint64(hours) * 3600);
    if (!silencePassed)
        return false;

    const bool any = isAnyNetwork(wifiIds);
    for (const QString &name : names) {
        if (connectWifiType == WiFiTrigger::OnJoin) {
            if (any || (!currentWiFiName.isEmpty() && currentWiFiName == name))
                return true;
        } else if (currentWiFiName != name) {
            return true;
        }
    }
    return false;
}
