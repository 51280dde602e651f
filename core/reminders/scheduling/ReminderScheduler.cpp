#include "core/reminders/scheduling/ReminderScheduler.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/RowAction.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "core/reminders/scheduling/PendingReminderJournal.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/Scheduler.h"
#include "platform/base/UserDefaults.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"
#include "platform/store/Predicate.h"
#include "platform/store/StoreChanges.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>
#include <set>

namespace {

// The user whose reminders the journal keeps (the signed-in one, or the last one).
QString journalUser()
{
    return UserDefaults::string(QStringLiteral("userId"));
}

// Notes whose Wi-Fi reminder is active: their notifications come from the
// network monitor and are left alone here.
bool hasActiveWiFiReminder(const NoteDetail *note, const DateRemind *r)
{
    return r && r->remindActionType() != RemindAction::Cleared && !Missing::isMissing(r->connectWifiIds()) &&
           note->actionType() != RowAction::Deleted && !note->isCompleted();
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
        return {r->remindDateTime(),      r->remindRealDateTime(), r->remindDelayTime(),
                r->remindCycleSpecific(), r->remindEndTime(),      r->remindActionType(),
                r->remindRType(),         r->remindDateType(),     r->remindCycleType(),
                r->remindCycleInterval(), importantMinutes};
    }
    bool operator==(const PlanInputs &other) const = default;
};

constexpr qint64 untilChanged = std::numeric_limits<qint64>::max();

// A note's place in the order in which notes fall due; of two rows with one cId the nearer wins.
struct DueKey
{
    qint64 next;
    QString cId;
    qint64 pk;

    bool operator<(const DueKey &o) const
    {
        if (next != o.next)
            return next < o.next;
        if (cId != o.cId)
            return cId < o.cId;
        return pk < o.pk;
    }
};

// What was planned for one note with an active reminder.
struct Entry
{
    QString cId;
    qint64 remindPk = 0;
    bool wifi = false;
    bool planned = false;
    PlanInputs inputs;
    std::optional<NoteRemindManager::Plan> plan;
    // A one-shot (the date itself, the next of a rule the centre cannot repeat, a
    // snooze) is planned again once its date is reached; a repetition and a reminder
    // that is over stay as they are while the clock moves forward.
    qint64 validUntil = untilChanged;
    // When the plan is shown next (msecs; 0: never; recomputed once reached).
    qint64 next = 0;
    QString content;
    QString title;
    // The notification as last built for the centre.
    std::optional<UserNotification> built;
};

} // namespace

struct ReminderScheduler::Cache
{
    bool primed = false; // a full pass was made
    qint64 lastNow = std::numeric_limits<qint64>::min();
    int importantMinutes = 0;
    QString soundName;
    QHash<qint64, Entry> notes;         // by NoteDetail key
    QHash<qint64, qint64> noteOfRemind; // DateRemind key -> NoteDetail key
    std::set<DueKey> due;               // notes with a plan, nearest first
    QHash<QString, int> wifi;           // cIds of notes whose Wi-Fi reminder is active

    void clear()
    {
        notes.clear();
        noteOfRemind.clear();
        due.clear();
        wifi.clear();
    }

    void unindex(qint64 pk, const Entry &e)
    {
        if (e.next != 0)
            due.erase(DueKey{e.next, e.cId, pk});
        if (e.wifi) {
            auto it = wifi.find(e.cId);
            if (it != wifi.end() && --it.value() <= 0)
                wifi.erase(it);
        }
        auto r = noteOfRemind.find(e.remindPk);
        if (r != noteOfRemind.end() && r.value() == pk)
            noteOfRemind.erase(r);
    }

    void forget(qint64 pk)
    {
        auto it = notes.find(pk);
        if (it == notes.end())
            return;
        unindex(pk, it.value());
        notes.erase(it);
    }

    // Brings one note's entry in step with its row.
    void refresh(const NoteDetail *note, qint64 now)
    {
        const qint64 pk = note->objectId().pk;
        const DateRemind *r = note->remind();
        if (!r || note->isDeleted() || r->isDeleted() || note->actionType() == RowAction::Deleted ||
            note->isCompleted() || r->remindActionType() == RemindAction::Cleared) {
            forget(pk);
            return;
        }
        Entry &e = notes[pk];
        unindex(pk, e);
        e.cId = note->cId();
        e.remindPk = r->objectId().pk;
        noteOfRemind.insert(e.remindPk, pk);
        if (hasActiveWiFiReminder(note, r)) {
            // Its notifications come from the network monitor and are left alone.
            e.wifi = true;
            e.planned = false;
            e.plan.reset();
            e.next = 0;
            e.built.reset();
            ++wifi[e.cId];
            return;
        }
        e.wifi = false;
        PlanInputs inputs = PlanInputs::of(r, importantMinutes);
        if (!e.planned || !(e.inputs == inputs) || now >= e.validUntil) {
            e.planned = true;
            e.inputs = std::move(inputs);
            const std::optional<NoteRemindManager::Plan> plan =
                NoteRemindManager::planWithNote(note, importantMinutes);
            const bool same = plan && e.plan && plan->date == e.plan->date && plan->repeat == e.plan->repeat;
            if (!same) {
                e.plan = plan;
                e.next = 0;
                e.built.reset();
            }
            e.validUntil = untilChanged;
            if (e.plan && !e.plan->repeat.isRepeating())
                e.validUntil = e.plan->date.toMSecsSinceEpoch();
        }
        const QString content = note->content();
        const Classify *c = note->classify();
        const QString title = c ? c->name() : QString();
        if (content != e.content || title != e.title || (e.built && e.built->identifier != e.cId)) {
            e.content = content;
            e.title = title;
            e.built.reset();
        }
        if (!e.plan) {
            e.next = 0;
            return;
        }
        if (e.next <= now) {
            const QDateTime next = LocalNotificationManager::nextDeliveryOf(e.plan->date, e.plan->repeat);
            e.next = next.isValid() ? next.toMSecsSinceEpoch() : 0;
        }
        if (e.next != 0 && !e.cId.isEmpty())
            due.insert(DueKey{e.next, e.cId, pk});
        else
            e.next = 0;
    }

    // Plans again the notes whose planned date was reached.
    void refreshDue(Context &ctx, qint64 now)
    {
        QList<qint64> reached;
        for (auto it = due.begin(); it != due.end() && it->next <= now; ++it)
            reached.append(it->pk);
        for (qint64 pk : reached) {
            const NoteDetail *note = ctx.existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk});
            if (note && !note->isDeleted())
                refresh(note, now);
            else
                forget(pk);
        }
    }

    // Schedules the nearest ones within the limit, leaving identical pending ones
    // untouched, and withdraws every other pending one except those of Wi-Fi reminders.
    void apply(UserNotificationCenter &center)
    {
        const int limit = LocalNotificationManager::maxPendingNotifications;
        QList<Entry *> kept;
        QSet<QString> keptIds;
        for (auto it = due.begin(); it != due.end() && kept.size() < limit; ++it) {
            if (keptIds.contains(it->cId))
                continue;
            keptIds.insert(it->cId);
            kept.append(&notes[it->pk]);
        }
        QHash<QString, UserNotification> pending;
        for (UserNotification &n : center.scheduledNotifications()) {
            if (!keptIds.contains(n.identifier) && !wifi.contains(n.identifier))
                center.removeScheduledNotification(n.identifier);
            else
                pending.insert(n.identifier, std::move(n));
        }
        for (Entry *e : kept) {
            if (!e->built)
                e->built = LocalNotificationManager::buildNotification(
                    e->plan->date, e->plan->repeat, e->content, e->cId, e->title, soundName);
            const auto p = pending.constFind(e->cId);
            if (p != pending.constEnd() && p.value() == *e->built)
                continue;
            center.scheduleNotification(*e->built);
        }
    }

    // Starts over when the clock went back.
    void prepare(qint64 now)
    {
        if (now < lastNow)
            clear();
        primed = true;
        lastNow = now;
    }
};

ReminderScheduler::ReminderScheduler(Context &store, UserNotificationCenter &center, Clock &clock,
                                     Scheduler &scheduler, QObject *parent)
    : QObject(parent), m_store(store), m_center(center), m_clock(clock), m_scheduler(scheduler),
      m_cache(std::make_unique<Cache>())
{
}

ReminderScheduler::~ReminderScheduler()
{
    stop();
}

void ReminderScheduler::reconcileAll()
{
    Context *ctx = &m_store;
    Cache &cache = *m_cache;
    const qint64 now = m_clock.nowMSecs();
    cache.prepare(now);
    LocalNotificationManager notifications(m_store, m_center);
    const int importantMinutes = NoteRemindManager(m_store, notifications).importantRemindIntervalMinutes();
    const QString soundName = notifications.currentSoundName();
    if (importantMinutes != cache.importantMinutes || soundName != cache.soundName) {
        cache.importantMinutes = importantMinutes;
        cache.soundName = soundName;
        for (Entry &e : cache.notes)
            e.built.reset();
    }

    // Only notes that hold a reminder can have a plan; every reminder is read in
    // one query rather than one row at a time as each note reaches for its own.
    const qsizetype reminders = ctx->findAll<DateRemind>().size();
    cache.notes.reserve(reminders);
    cache.noteOfRemind.reserve(reminders);
    const QList<NoteDetail *> notes = ctx->fetch<NoteDetail>(Predicate::isNotNull(QStringLiteral("remind")));
    QSet<qint64> seen;
    seen.reserve(notes.size());
    for (const NoteDetail *note : notes) {
        seen.insert(note->objectId().pk);
        cache.refresh(note, now);
    }
    // Forget the notes that are gone or no longer hold a reminder.
    QList<qint64> gone;
    for (auto it = cache.notes.cbegin(); it != cache.notes.cend(); ++it)
        if (!seen.contains(it.key()))
            gone.append(it.key());
    for (qint64 pk : gone)
        cache.forget(pk);
    cache.apply(m_center);
    journalMayHaveChanged();
}

void ReminderScheduler::reconcileChanges(const StoreChanges &changes)
{
    Context *ctx = &m_store;
    Cache &cache = *m_cache;
    const qint64 now = m_clock.nowMSecs();
    if (!cache.primed || now < cache.lastNow || changes.replaced ||
        !changes.entity(QStringLiteral("UserSet")).isEmpty()) {
        reconcileAll();
        return;
    }
    cache.lastNow = now;

    QSet<qint64> touched;
    const StoreChanges::Entity notes = changes.entity(QStringLiteral("NoteDetail"));
    for (qint64 pk : notes.inserted)
        touched.insert(pk);
    for (const StoreChanges::Updated &u : notes.updated)
        touched.insert(u.pk);
    for (qint64 pk : notes.deleted)
        touched.insert(pk);

    // A reminder's note: the one it belongs to now, and the one it was planned for.
    const StoreChanges::Entity reminds = changes.entity(QStringLiteral("DateRemind"));
    auto remindTouched = [&](qint64 pk, bool gone) {
        if (!gone) {
            const DateRemind *r = ctx->existing<DateRemind>(ObjectId{DateRemind::entity().index, pk});
            if (r && !r->isDeleted() && r->noteDetail())
                touched.insert(r->noteDetail()->objectId().pk);
        }
        const auto it = cache.noteOfRemind.constFind(pk);
        if (it != cache.noteOfRemind.constEnd())
            touched.insert(it.value());
    };
    for (qint64 pk : reminds.inserted)
        remindTouched(pk, false);
    for (const StoreChanges::Updated &u : reminds.updated)
        remindTouched(u.pk, false);
    for (qint64 pk : reminds.deleted)
        remindTouched(pk, true);

    // A renamed category retitles its notes (a deleted one took its notes with it).
    const StoreChanges::Entity categories = changes.entity(QStringLiteral("Classify"));
    for (const StoreChanges::Updated &u : categories.updated)
        if (const Classify *c = ctx->existing<Classify>(ObjectId{Classify::entity().index, u.pk}))
            for (const NoteDetail *n : c->notes())
                touched.insert(n->objectId().pk);

    for (qint64 pk : touched) {
        const NoteDetail *note = ctx->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk});
        if (note && !note->isDeleted())
            cache.refresh(note, now);
        else
            cache.forget(pk);
    }
    cache.refreshDue(m_store, now);
    cache.apply(m_center);
    journalMayHaveChanged();
}

void ReminderScheduler::reconcileSaved()
{
    if (!m_started || !m_cache->primed) {
        reconcileAll();
        return;
    }
    reconcileChanges(StoreChanges());
}

void ReminderScheduler::deliverMissed()
{
    Context *ctx = &m_store;
    UserNotificationCenter *center = &m_center;
    const QDateTime now = m_clock.now();
    const QString soundName = LocalNotificationManager(m_store, m_center).currentSoundName();
    bool any = false;
    for (const PendingReminderJournal::Entry &e : PendingReminderJournal::read(journalUser())) {
        if (e.due > now)
            continue;
        const NoteDetail *note = ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), e.cId);
        const DateRemind *r = note ? note->remind() : nullptr;
        // Only a reminder the note still has: not one completed, cleared or deleted since.
        if (!r || note->isDeleted() || r->isDeleted() || note->actionType() == 3 || note->isCompleted() ||
            r->remindActionType() == 3 || hasActiveWiFiReminder(note, r))
            continue;
        const Classify *c = note->classify();
        center->scheduleNotification(LocalNotificationManager::buildNotification(
            now, {}, PendingReminderJournal::missedText(note->content(), e.due, now), e.cId,
            c ? c->name() : QString(), soundName));
        any = true;
    }
    // Shown at once, and so off the journal before anything else is written.
    if (any)
        center->deliverDueNotifications();
    reconcileAll();
    // The first plan of a run is on record at once: the journal still describes the last run.
    if (m_journalDue)
        writeJournal(false);
}

void ReminderScheduler::journalMayHaveChanged()
{
    if (m_journalDue || (m_journalWritten && m_journalRevision == m_center.pendingRevision() &&
                         m_journalUser == journalUser()))
        return;
    m_journalDue = true;
    m_scheduler.schedule(0, this, [this] {
        if (m_journalDue)
            writeJournal(false);
    });
}

void ReminderScheduler::writeJournal(bool flush)
{
    m_journalDue = false;
    m_journalWritten = true;
    m_journalRevision = m_center.pendingRevision();
    m_journalUser = journalUser();
    PendingReminderJournal::write(m_journalUser, PendingReminderJournal::pendingIn(&m_center), flush);
}

void ReminderScheduler::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_center, &UserNotificationCenter::didDeliverNotification, this, &ReminderScheduler::delivered);
    connect(&m_store, &Context::changesSaved, this,
            [this](const StoreChanges &changes) { reconcileChanges(changes); });
}

void ReminderScheduler::stop()
{
    // A quit or a crash right after a plan change must not lose a pending reminder from the journal.
    if (m_journalDue)
        writeJournal(true);
    if (!m_started)
        return;
    m_started = false;
    disconnect(&m_center, nullptr, this, nullptr);
    disconnect(&m_store, nullptr, this, nullptr);
}

void ReminderScheduler::delivered(const UserNotification &notification)
{
    Q_UNUSED(notification);
    // On disk before anything else: what was shown is never shown again after a crash.
    writeJournal(true);
    // After the centre has finished its round of deliveries; several deliveries
    // at once make one pass.
    if (m_pending)
        return;
    m_pending = true;
    m_scheduler.schedule(0, this, [this] {
        m_pending = false;
        if (m_started)
            reconcileChanges(StoreChanges());
    });
}
