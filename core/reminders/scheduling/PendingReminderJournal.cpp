#include "core/reminders/scheduling/PendingReminderJournal.h"

#include "platform/base/UserDefaults.h"
#include "platform/notifications/UserNotificationCenter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {
QString encode(const QString &userId, const QList<PendingReminderJournal::Entry> &entries)
{
    QJsonArray list;
    for (const PendingReminderJournal::Entry &e : entries)
        list.append(QJsonObject{{QStringLiteral("cId"), e.cId},
                                {QStringLiteral("due"), double(e.due.toMSecsSinceEpoch())}});
    const QJsonObject root{{QStringLiteral("userId"), userId}, {QStringLiteral("pending"), list}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}
} // namespace

QList<PendingReminderJournal::Entry> PendingReminderJournal::read(const QString &userId)
{
    const QJsonDocument doc = QJsonDocument::fromJson(UserDefaults::string(key()).toUtf8());
    if (!doc.isObject() || doc.object().value(QStringLiteral("userId")).toString() != userId)
        return {};
    QList<Entry> entries;
    for (const QJsonValue &v : doc.object().value(QStringLiteral("pending")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString cId = o.value(QStringLiteral("cId")).toString();
        const QJsonValue due = o.value(QStringLiteral("due"));
        // A damaged entry reminds of nothing (a number past the 64-bit range would not convert).
        const double msecs = due.toDouble();
        if (cId.isEmpty() || !due.isDouble() || !(msecs >= -9.2e18 && msecs <= 9.2e18))
            continue;
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(qint64(msecs));
        if (when.isValid())
            entries.append({cId, when});
    }
    return entries;
}

void PendingReminderJournal::write(const QString &userId, const QList<Entry> &entries, bool flush)
{
    const QString text = encode(userId, entries);
    if (UserDefaults::string(key()) != text)
        UserDefaults::setValue(key(), text);
    if (flush)
        UserDefaults::sync();
}

QList<PendingReminderJournal::Entry> PendingReminderJournal::pendingIn(const UserNotificationCenter *center)
{
    QList<Entry> entries;
    if (!center)
        return entries;
    for (const UserNotification &n : center->scheduledNotifications()) {
        const QDateTime next = center->nextDeliveryDate(n.identifier);
        if (next.isValid())
            entries.append({n.identifier, next});
    }
    return entries;
}

QString PendingReminderJournal::missedText(const QString &content, const QDateTime &due, const QDateTime &now)
{
    const QLocale c = QLocale::c();
    const QDateTime local = due.toLocalTime();
    const QString when = local.date().year() == now.toLocalTime().date().year()
                             ? c.toString(local, QStringLiteral("M月d日 HH:mm"))
                             : c.toString(local, QStringLiteral("yyyy年M月d日 HH:mm"));
    return QStringLiteral("%1\n（错过的提醒：原定于 %2）").arg(content, when);
}
