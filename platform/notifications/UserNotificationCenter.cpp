#include "platform/notifications/UserNotificationCenter.h"

#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"
#include "platform/base/TimerScheduler.h"

#include <algorithm>

namespace {
const int metaTypes = [] {
    qRegisterMetaType<UserNotification>();
    qRegisterMetaType<UserNotificationRepeat>();
    return 0;
}();
} // namespace

UserNotificationCenter::UserNotificationCenter(QObject *parent) : QObject(parent)
{
    Q_UNUSED(metaTypes);
    connect(&m_clock, &Clock::jumped, this, &UserNotificationCenter::deliverDueNotifications);
}

UserNotificationCenter::~UserNotificationCenter() = default;

bool UserNotificationCenter::scheduleNotification(const UserNotification &notification)
{
    if (notification.identifier.isEmpty() || !notification.deliveryDate.isValid())
        return false;

    Pending pending{notification, {}, ++m_order};
    pending.notification.actualDeliveryDate = {};
    const QDateTime now = Clock::now();
    if (notification.repeatInterval.isRepeating())
        // A first date already past is not made up for: the next repetition.
        pending.next = notification.deliveryDate >= now
                           ? notification.deliveryDate
                           : notification.repeatInterval.nextOccurrenceAfter(notification.deliveryDate, now);
    else
        pending.next = notification.deliveryDate;
    if (!pending.next.isValid())
        return false;

    m_pending.removeIf(
        [&](const Pending &p) { return p.notification.identifier == notification.identifier; });
    m_pending.append(pending);
    ++m_revision;
    scheduled(pending.notification);
    // One already due is shown from the event loop (the timer fires at once),
    // so the caller has returned before any delivery callback runs.
    rearm();
    return true;
}

QList<UserNotification> UserNotificationCenter::scheduledNotifications() const
{
    QList<Pending> sorted = m_pending;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Pending &a, const Pending &b) {
        return a.next != b.next ? a.next < b.next : a.order < b.order;
    });
    QList<UserNotification> result;
    result.reserve(sorted.size());
    for (const Pending &p : sorted)
        result.append(p.notification);
    return result;
}

std::optional<UserNotification> UserNotificationCenter::scheduledNotification(const QString &identifier) const
{
    for (const Pending &p : m_pending)
        if (p.notification.identifier == identifier)
            return p.notification;
    return std::nullopt;
}

QDateTime UserNotificationCenter::nextDeliveryDate(const QString &identifier) const
{
    for (const Pending &p : m_pending)
        if (p.notification.identifier == identifier)
            return p.next;
    return {};
}

QList<UserNotification> UserNotificationCenter::deliveredNotifications() const
{
    return m_delivered;
}

std::optional<UserNotification> UserNotificationCenter::deliveredNotification(const QString &identifier) const
{
    for (const UserNotification &n : m_delivered)
        if (n.identifier == identifier)
            return n;
    return std::nullopt;
}

void UserNotificationCenter::removeScheduledNotification(const QString &identifier)
{
    if (m_pending.removeIf([&](const Pending &p) { return p.notification.identifier == identifier; }) > 0)
        ++m_revision;
    rearm();
}

void UserNotificationCenter::removeDeliveredNotification(const QString &identifier)
{
    QList<UserNotification> gone;
    m_delivered.removeIf([&](const UserNotification &n) {
        if (n.identifier != identifier)
            return false;
        gone.append(n);
        return true;
    });
    for (const UserNotification &n : gone)
        dismiss(n);
}

void UserNotificationCenter::removeAllScheduledNotifications()
{
    if (!m_pending.isEmpty())
        ++m_revision;
    m_pending.clear();
    rearm();
}

void UserNotificationCenter::removeAllDeliveredNotifications()
{
    const QList<UserNotification> gone = std::exchange(m_delivered, {});
    for (const UserNotification &n : gone)
        dismiss(n);
}

void UserNotificationCenter::setSoundFileResolver(SoundFileResolver resolver)
{
    m_resolver = std::move(resolver);
}

QString UserNotificationCenter::soundFileForName(const QString &soundName) const
{
    if (soundName.isEmpty() || soundName == UserNotification::defaultSoundName() || !m_resolver)
        return {};
    return m_resolver(soundName);
}

void UserNotificationCenter::deliverDueNotifications()
{
    if (m_delivering)
        return;
    m_delivering = true;
    const QDateTime now = Clock::now();
    // Nearest first; each one is looked up again since a delivery callback may
    // have withdrawn or replaced it meanwhile.
    QList<std::pair<QDateTime, quint64>> due;
    for (const Pending &p : m_pending)
        if (p.next <= now)
            due.append({p.next, p.order});
    std::sort(due.begin(), due.end());
    for (const auto &[next, order] : due) {
        const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                     [&, order = order](const Pending &p) { return p.order == order; });
        if (it != m_pending.end())
            deliver(*it, now);
    }
    m_delivering = false;
    rearm();
}

bool UserNotificationCenter::deliverPendingNow(const QString &identifier)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                 [&](const Pending &p) { return p.notification.identifier == identifier; });
    if (it == m_pending.end())
        return false;
    const bool wasDelivering = std::exchange(m_delivering, true);
    deliver(*it, Clock::now());
    m_delivering = wasDelivering;
    rearm();
    return true;
}

void UserNotificationCenter::deliver(Pending &pending, const QDateTime &now)
{
    UserNotification shown = pending.notification;
    shown.actualDeliveryDate = now;
    const quint64 order = pending.order;
    if (shown.repeatInterval.isRepeating()) {
        // One delivery however many repetitions were missed, then the next one after now.
        pending.next = shown.repeatInterval.nextOccurrenceAfter(shown.deliveryDate, qMax(now, pending.next));
        if (!pending.next.isValid())
            m_pending.removeIf([&](const Pending &p) { return p.order == order; });
    } else {
        m_pending.removeIf([&](const Pending &p) { return p.order == order; });
    }
    ++m_revision;
    m_delivered.removeIf([&](const UserNotification &n) { return n.identifier == shown.identifier; });
    m_delivered.append(shown);
    present(shown);
    emit didDeliverNotification(shown);
}

bool UserNotificationCenter::activate(const QString &identifier)
{
    const std::optional<UserNotification> n = deliveredNotification(identifier);
    if (!n)
        return false;
    emit didActivateNotification(*n);
    return true;
}

bool UserNotificationCenter::forgetDelivered(const QString &identifier)
{
    return m_delivered.removeIf([&](const UserNotification &n) { return n.identifier == identifier; }) > 0;
}

void UserNotificationCenter::setScheduler(Scheduler *scheduler)
{
    m_scheduler = scheduler;
    rearm();
}

void UserNotificationCenter::rearm()
{
    // The wait under way ends with its context object; inside its own task
    // the object goes once the task is over.
    if (m_wait) {
        m_wait->setParent(nullptr);
        if (m_inWait)
            m_wait->deleteLater();
        else
            delete m_wait;
        m_wait = nullptr;
    }
    if (m_pending.isEmpty())
        return;
    QDateTime nearest;
    for (const Pending &p : m_pending)
        if (!nearest.isValid() || p.next < nearest)
            nearest = p.next;
    // Capped, so that time the monotonic timer slept through (suspend) or a
    // clock change is noticed within a few seconds.
    const qint64 wait = std::clamp<qint64>(Clock::now().msecsTo(nearest), 0, maxCheckIntervalMSecs);
    m_wait = new QObject(this);
    if (!m_scheduler && !m_timers)
        m_timers = std::make_unique<TimerScheduler>();
    Scheduler &scheduler = m_scheduler ? *m_scheduler : *m_timers;
    scheduler.schedule(wait, m_wait, [this] {
        m_inWait = true;
        deliverDueNotifications();
        m_inWait = false;
    });
}
