#include "core/reminders/scheduling/ReminderScheduler.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/base/Missing.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace {

struct Wanted
{
    UserNotification notification;
    QDateTime next;
};

// Notes whose Wi-Fi reminder is active: their notifications come from the
// network monitor and are left alone here.
bool hasActiveWiFiReminder(const NoteDetail *note)
{
    const DateRemind *r = note->remind();
    return r && r->remindActionType() != 3 && !Missing::isMissing(r->connectWifiIds()) &&
           note->actionType() != 3 && !note->isCompleted();
}

} // namespace

ReminderScheduler::ReminderScheduler(QObject *parent) : QObject(parent) {}

ReminderScheduler *ReminderScheduler::instance()
{
    static ReminderScheduler *scheduler = new ReminderScheduler(nullptr);
    return scheduler;
}

void ReminderScheduler::reconcileAll()
{
    Context *ctx = Context::defaultContext();
    UserNotificationCenter *center = UserNotificationCenter::shared();
    if (!ctx || !center)
        return;

    QHash<QString, Wanted> wanted;
    QSet<QString> wifi;
    for (const NoteDetail *note : ctx->findAll<NoteDetail>()) {
        const QString cId = note->cId();
        if (cId.isEmpty() || wanted.contains(cId))
            continue;
        if (hasActiveWiFiReminder(note)) {
            wifi.insert(cId);
            continue;
        }
        const std::optional<NoteRemindManager::Plan> plan = NoteRemindManager::planWithNote(note);
        if (!plan)
            continue;
        const QDateTime next = LocalNotificationManager::nextDeliveryOf(plan->date, plan->repeat);
        if (!next.isValid())
            continue;
        wanted.insert(
            cId, {LocalNotificationManager::buildNotification(plan->date, plan->repeat, note->content(), cId),
                  next});
    }

    // The nearest ones within the limit.
    QList<Wanted> ordered = wanted.values();
    std::sort(ordered.begin(), ordered.end(), [](const Wanted &a, const Wanted &b) {
        return a.next != b.next ? a.next < b.next : a.notification.identifier < b.notification.identifier;
    });
    if (ordered.size() > LocalNotificationManager::maxPendingNotifications)
        ordered.resize(LocalNotificationManager::maxPendingNotifications);
    QSet<QString> kept;
    for (const Wanted &w : ordered)
        kept.insert(w.notification.identifier);

    for (const UserNotification &pending : center->scheduledNotifications())
        if (!kept.contains(pending.identifier) && !wifi.contains(pending.identifier))
            center->removeScheduledNotification(pending.identifier);

    for (const Wanted &w : ordered) {
        const std::optional<UserNotification> pending =
            center->scheduledNotification(w.notification.identifier);
        if (pending && *pending == w.notification)
            continue;
        center->scheduleNotification(w.notification);
    }
}

void ReminderScheduler::start()
{
    instance()->listenTo(UserNotificationCenter::shared());
}

void ReminderScheduler::stop()
{
    instance()->listenTo(nullptr);
}

void ReminderScheduler::listenTo(UserNotificationCenter *center)
{
    if (m_center)
        disconnect(m_center, nullptr, this, nullptr);
    m_center = center;
    if (center)
        connect(center, &UserNotificationCenter::didDeliverNotification, this, &ReminderScheduler::delivered);
}

void ReminderScheduler::delivered(const UserNotification &notification)
{
    Q_UNUSED(notification);
    // After the centre has finished its round of deliveries; several deliveries
    // at once make one pass.
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        if (m_center == UserNotificationCenter::shared())
            reconcileAll();
    });
}
