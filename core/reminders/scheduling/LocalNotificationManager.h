#pragma once

#include "platform/notifications/UserNotification.h"
#include "platform/notifications/UserNotificationRepeat.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class Context;
class UserNotificationCenter;

// Builds, schedules, finds and withdraws the program's user notifications on
// the centre it was made with. A note's notification carries the note's cId as
// identifier, is titled with the name of the note's category (looked up in its
// store) and plays the sound the settings choose. Main thread only.
//
// At most maxPendingNotifications different identifiers are pending. A new one
// is refused only when that many others are pending and all of them fall due
// before it; otherwise it takes the place of the farthest one (the reminder
// reconciler schedules that one again once there is room).
class LocalNotificationManager
{
public:
    static constexpr int maxPendingNotifications = 100;

    LocalNotificationManager(Context &store, UserNotificationCenter &center);

    // The ten sounds the settings may choose, as bare file names ("标准铃声1.wav", ...).
    static QStringList soundFileNames();
    // The sound name for a new notification from the settings (UserSet): empty (silent)
    // unless remindTypes has the element "2"; then remindSoundPath when it is one of
    // soundFileNames(), else UserNotification::defaultSoundName().
    QString currentSoundName() const;
    // A file on disk for one of soundFileNames() (unpacked from the resources on first
    // use into the cache folder), empty for any other name.
    static QString soundFileForName(const QString &soundName);
    // Makes `center` turn sound names into files with soundFileForName().
    static void installSoundFileResolver(UserNotificationCenter *center);

    // nil date: true, nothing scheduled. Refused by the limit: false. A date not
    // after now without repeat: true, nothing scheduled. Otherwise schedules
    // (replacing a pending one with the same cId): true.
    bool addLocalNotificationWithDeliveryDate(const QDateTime &date, const UserNotificationRepeat &repeat,
                                              const QString &text, const QString &cId);
    // A Wi-Fi reminder: withdraws the delivered notification with the cId and schedules
    // a one-shot titled "Prelvane" at the date, whatever the limit. Always true.
    bool addWiFiUserNotificationWithDeliveryDate(const QDateTime &date, const QString &text,
                                                 const QString &cId);
    // The pending notification with the identifier, if any.
    std::optional<UserNotification> getUserNoticationWithIdentifier(const QString &cId) const;
    void removeDeliveredNotificationWithIdentifiers(const QStringList &cIds);
    void removeScheduledNotificationWithIdentifiers(const QStringList &cIds);
    void removeAllDeliveredNotifications();
    void removeAllScheduledNotifications();

    // The notification as it would be scheduled for a note's cId (title, text, sound
    // filled in), without scheduling it.
    UserNotification buildNotification(const QDateTime &date, const UserNotificationRepeat &repeat,
                                       const QString &text, const QString &cId) const;
    // The same with the title (the category's name) and the sound name given, for
    // callers that know them already.
    static UserNotification buildNotification(const QDateTime &date, const UserNotificationRepeat &repeat,
                                              const QString &text, const QString &cId, const QString &title,
                                              const QString &soundName);
    // When a notification of this date and repeat is shown next, seen from now
    // (invalid when never again).
    static QDateTime nextDeliveryOf(const QDateTime &date, const UserNotificationRepeat &repeat);

private:
    QString titleForCId(const QString &cId) const;

    Context &m_store;
    UserNotificationCenter &m_center;
};
