#include "core/reminders/scheduling/LocalNotificationManager.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "platform/base/Clock.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {

bool hasElement(const QString &list, const QString &element)
{
    const QStringList parts = list.split(QLatin1Char(','));
    for (const QString &p : parts)
        if (p.trimmed() == element)
            return true;
    return false;
}

} // namespace

LocalNotificationManager::LocalNotificationManager(Context &store, UserNotificationCenter &center)
    : m_store(store), m_center(center)
{
}

// The name of the category of the (live) note with this cId; empty when none.
QString LocalNotificationManager::titleForCId(const QString &cId) const
{
    if (cId.isEmpty())
        return {};
    const QList<NoteDetail *> notes = m_store.findByAttribute<NoteDetail>(QStringLiteral("cId"), cId);
    for (const NoteDetail *note : notes)
        if (Classify *c = note->classify())
            return c->name();
    return {};
}

QStringList LocalNotificationManager::soundFileNames()
{
    return {QStringLiteral("标准铃声1.wav"), QStringLiteral("标准铃声2.wav"), QStringLiteral("音乐铃声1.mp3"),
            QStringLiteral("音乐铃声2.wav"), QStringLiteral("音乐铃声3.mp3"), QStringLiteral("门铃声音2.mp3"),
            QStringLiteral("门铃声音3.wav"), QStringLiteral("人声提示1.mp3"), QStringLiteral("人声提示2.wav"),
            QStringLiteral("机场提示音.wav")};
}

QString LocalNotificationManager::currentSoundName() const
{
    const UserSet *set = m_store.findFirstWhere<UserSet>();
    if (!set || !hasElement(set->remindTypes(), QStringLiteral("2")))
        return {};
    // Only a bare name of our own sounds: the value comes from the service and
    // must never turn into a path of its choosing.
    const QString path = set->remindSoundPath();
    if (soundFileNames().contains(path))
        return path;
    return UserNotification::defaultSoundName();
}

QString LocalNotificationManager::soundFileForName(const QString &soundName)
{
    if (!soundFileNames().contains(soundName))
        return {};
    const QString resource = QStringLiteral(":/sounds/") + soundName;
    QFile source(resource);
    if (!source.exists())
        return {};
    // The desktop's notification service plays files, not resources: unpack once.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/sounds");
    const QString target = folder + QLatin1Char('/') + soundName;
    const QFileInfo info(target);
    if (info.exists() && info.size() == source.size())
        return target;
    if (!QDir().mkpath(folder)) {
        qWarning() << "cannot create the sound folder" << folder;
        return {};
    }
    QFile::remove(target);
    if (!source.copy(target)) {
        qWarning() << "cannot unpack the sound" << soundName << source.errorString();
        return {};
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                      QFileDevice::ReadOther);
    return target;
}

void LocalNotificationManager::installSoundFileResolver(UserNotificationCenter *center)
{
    if (center)
        center->setSoundFileResolver([](const QString &name) { return soundFileForName(name); });
}

UserNotification LocalNotificationManager::buildNotification(const QDateTime &date,
                                                             const UserNotificationRepeat &repeat,
                                                             const QString &text, const QString &cId) const
{
    return buildNotification(date, repeat, text, cId, titleForCId(cId), currentSoundName());
}

UserNotification LocalNotificationManager::buildNotification(const QDateTime &date,
                                                             const UserNotificationRepeat &repeat,
                                                             const QString &text, const QString &cId,
                                                             const QString &title, const QString &soundName)
{
    UserNotification n;
    n.identifier = cId;
    n.title = title;
    n.informativeText = text;
    n.soundName = soundName;
    n.deliveryDate = date;
    n.repeatInterval = repeat;
    return n;
}

QDateTime LocalNotificationManager::nextDeliveryOf(const QDateTime &date,
                                                   const UserNotificationRepeat &repeat)
{
    if (!date.isValid())
        return {};
    const QDateTime now = Clock::now();
    if (!repeat.isRepeating())
        return date;
    return date >= now ? date : repeat.nextOccurrenceAfter(date, now);
}

bool LocalNotificationManager::addLocalNotificationWithDeliveryDate(const QDateTime &date,
                                                                    const UserNotificationRepeat &repeat,
                                                                    const QString &text, const QString &cId)
{
    if (!date.isValid())
        return true;
    if (!repeat.isRepeating() && date <= Clock::now())
        return true;
    UserNotificationCenter *center = &m_center;
    // The one being replaced does not count; when the others fill the limit the
    // nearest ones stay, so the new one may push out the farthest.
    QList<UserNotification> others = center->scheduledNotifications(); // nearest first
    others.removeIf([&](const UserNotification &n) { return n.identifier == cId; });
    if (others.size() >= maxPendingNotifications) {
        const QDateTime next = nextDeliveryOf(date, repeat);
        const QDateTime farthest = center->nextDeliveryDate(others.last().identifier);
        if (!next.isValid() || !(next < farthest))
            return false;
        while (others.size() >= maxPendingNotifications) {
            center->removeScheduledNotification(others.last().identifier);
            others.removeLast();
        }
    }
    return center->scheduleNotification(buildNotification(date, repeat, text, cId));
}

bool LocalNotificationManager::addWiFiUserNotificationWithDeliveryDate(const QDateTime &date,
                                                                       const QString &text,
                                                                       const QString &cId)
{
    UserNotificationCenter *center = &m_center;
    center->removeDeliveredNotification(cId);
    UserNotification n;
    n.identifier = cId;
    n.title = QStringLiteral("Prelvane");
    n.informativeText = text;
    n.soundName = currentSoundName();
    n.deliveryDate = date.isValid() ? date : Clock::now();
    center->scheduleNotification(n);
    return true;
}

std::optional<UserNotification>
LocalNotificationManager::getUserNoticationWithIdentifier(const QString &cId) const
{
    return m_center.scheduledNotification(cId);
}

void LocalNotificationManager::removeDeliveredNotificationWithIdentifiers(const QStringList &cIds)
{
    for (const QString &id : cIds)
        m_center.removeDeliveredNotification(id);
}

void LocalNotificationManager::removeScheduledNotificationWithIdentifiers(const QStringList &cIds)
{
    for (const QString &id : cIds)
        m_center.removeScheduledNotification(id);
}

void LocalNotificationManager::removeAllDeliveredNotifications()
{
    m_center.removeAllDeliveredNotifications();
}

void LocalNotificationManager::removeAllScheduledNotifications()
{
    m_center.removeAllScheduledNotifications();
}
