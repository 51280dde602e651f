#include "core/reminders/scheduling/ReminderScheduler.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Notes whose Wi-Fi reminder is active: their notifications come from the
// network monitor and are left alone here.
bool hasActiveWiFiReminder(const NoteDetail *note, const DateRemind *r)
{
    return r && r->remindActionType() != 3 && !Missing::isMissing(r->connectWifiIds()) &&
           note->actionType() != 3 && !note->isCompleted();
}

// What a reminder's plan was computed from. The plan of an unchanged reminder
// only changes with time, so it is kept until `validUntil` (see below).
struct PlanInputs
{
    QString start;
    QString real;
    QString delay;
    QString specify;
    QString end;
    qint16 actionType = 0;
    qint16 rType = 0;
    qint16 dateType = 0;
    qint16 cycleType = 0;
    qint16 interval = 0;
    int importantMinutes = 0;

    static PlanInputs of(const DateRemind *r, int importantMinutes)
    {
        return {r->remindDateTime(),     r->remindRealDateTime(), r->remindDelayTime(), r->remindCycleSpecific(),
                r->remindEndTime(),      r->remindActionType(), r->remindRType(),
                r->remindDateType(),     r->remindCycleType(),  r->remindCycleInterval(),
                importantMinutes};
    }
    bool operator==(const PlanInputs &other) const = default;
};

constexpr qint64 untilChanged = std::numeric_limits<qint64>::max();

struct CachedPlan
{
    PlanInputs inputs;
    std::optional<NoteRemindManager::Plan> plan;
    // A one-shot (the date itself, the next of a rule the centre cannot repeat, a
    // snooze) is recomputed once its date is reached; a repetition and a reminder
    // that is over stay as they are while the clock moves forward.
    qint64 validUntil = untilChanged;
    // When the plan is shown next (msecs; recomputed once reached).
    qint64 next = 0;
    quint64 pass = 0;
};

struct Candidate
{
    qint64 next;
    const NoteDetail *note;
    NoteRemindManager::Plan plan;
};

} // namespace

struct ReminderScheduler::Cache
{
    QPointer<Context> context;
    qint64 lastNow = std::numeric_limits<qint64>::min();
    quint64 pass = 0;
    QHash<const NoteDetail *, CachedPlan> plans;
};

ReminderScheduler::ReminderScheduler(QObject *parent) : QObject(parent), m_cache(std::make_unique<Cache>()) {}

ReminderScheduler::~ReminderScheduler() = default;

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

    Cache &cache = *instance()->m_cache;
    const QDateTime nowDate = Clock::now();
    const qint64 now = nowDate.toMSecsSinceEpoch();
    // Rows of another store, or a clock that went back: nothing known holds.
    if (cache.context != ctx || now < cache.lastNow) {
        cache.plans.clear();
        cache.context = ctx;
    }
    cache.lastNow = now;
    const quint64 pass = ++cache.pass;
    const int importantMinutes = NoteRemindManager::importantRemindIntervalMinutes();

    QList<Candidate> candidates;
    QSet<QString> wifi;
    const QList<NoteDetail *> notes = ctx->findAll<NoteDetail>();
    for (const NoteDetail *note : notes) {
        const DateRemind *r = note->remind();
        if (!r || note->actionType() == 3 || note->isCompleted() || r->remindActionType() == 3)
            continue;
        if (hasActiveWiFiReminder(note, r)) {
            wifi.insert(note->cId());
            continue;
        }
        PlanInputs inputs = PlanInputs::of(r, importantMinutes);
        CachedPlan &cached = cache.plans[note];
        if (cached.pass == 0 || !(cached.inputs == inputs) || now >= cached.validUntil) {
            cached.inputs = std::move(inputs);
            cached.plan = NoteRemindManager::planWithNote(note, importantMinutes);
            cached.validUntil = untilChanged;
            cached.next = 0;
            if (cached.plan && !cached.plan->repeat.isRepeating())
                cached.validUntil = cached.plan->date.toMSecsSinceEpoch();
        }
        cached.pass = pass;
        if (!cached.plan)
            continue;
        if (cached.next <= now) {
            const QDateTime next =
                LocalNotificationManager::nextDeliveryOf(cached.plan->date, cached.plan->repeat);
            cached.next = next.isValid() ? next.toMSecsSinceEpoch() : 0;
        }
        if (cached.next == 0 || note->cId().isEmpty())
            continue;
        candidates.append({cached.next, note, *cached.plan});
    }
    // Forget the rows that are gone or have nothing to plan any more.
    if (cache.plans.size() > candidates.size())
        cache.plans.removeIf([pass](const auto &it) { return it.value().pass != pass; });

    // The nearest ones within the limit; of two rows with one cId the nearer.
    const auto nearer = [](const Candidate &a, const Candidate &b) {
        if (a.next != b.next)
            return a.next < b.next;
        const QString ia = a.note->cId(), ib = b.note->cId();
        return ia != ib ? ia < ib : a.note->objectId().pk < b.note->objectId().pk;
    };
    QList<UserNotification> kept;
    QSet<QString> keptIds;
    const int limit = LocalNotificationManager::maxPendingNotifications;
    qsizetype sorted = 0;
    for (qsizetype i = 0; i < candidates.size() && kept.size() < limit; ++i) {
        if (i == sorted) {
            // Sorts the next stretch only: usually one stretch of the limit's size.
            const qsizetype upto = qMin(candidates.size(), sorted + limit);
            std::partial_sort(candidates.begin() + sorted, candidates.begin() + upto, candidates.end(),
                              nearer);
            sorted = upto;
        }
        const Candidate &c = candidates.at(i);
        const QString cId = c.note->cId();
        if (keptIds.contains(cId))
            continue;
        keptIds.insert(cId);
        kept.append(
            LocalNotificationManager::buildNotification(c.plan.date, c.plan.repeat, c.note->content(), cId));
    }

    for (const UserNotification &pending : center->scheduledNotifications())
        if (!keptIds.contains(pending.identifier) && !wifi.contains(pending.identifier))
            center->removeScheduledNotification(pending.identifier);

    for (const UserNotification &n : kept) {
        const std::optional<UserNotification> pending = center->scheduledNotification(n.identifier);
        if (pending && *pending == n)
            continue;
        center->scheduleNotification(n);
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
