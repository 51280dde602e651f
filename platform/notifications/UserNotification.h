#pragma once

#include "platform/notifications/UserNotificationRepeat.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>

// One user notification as it is scheduled and delivered. The identifier is
// what it is found, replaced and withdrawn by (the note's cId).
struct UserNotification
{
    // The sound name that asks for the desktop's default notification sound.
    static QString defaultSoundName() { return QStringLiteral("default"); }

    QString identifier;
    QString title;
    QString informativeText;
    // Empty: silent; defaultSoundName(): the desktop's default sound; any other
    // name is turned into a file by the centre's sound file resolver.
    QString soundName;
    // The first (or only) time it is shown.
    QDateTime deliveryDate;
    UserNotificationRepeat repeatInterval;
    // When it was actually shown (delivered notifications only).
    QDateTime actualDeliveryDate;

    bool operator==(const UserNotification &other) const = default;
};

Q_DECLARE_METATYPE(UserNotification)
