#include "core/reminders/scheduling/NoteRemindManager.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/RemindCycle.h"
#include "core/model/RowAction.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/store/Context.h"

#include <QList>
#include <QTimeZone>

#include <algorithm>

namespace {

// The chosen values as numbers; empty parts and non-numbers are no values.
QList<int> chosenValues(const QString &specify)
{
    QList<int> values;
    if (Missing::isMissing(specify))
        return values;
    for (const QString &part : specify.split(QLatin1Char(','))) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (ok)
            values.append(v);
    }
    return values;
}

// Wall-clock times of day that a change of the system zone's offset skips or repeats in the coming
// years: there the engine moves an occurrence on by the gap or takes the second pass, which the centre's
// own repetition does not reproduce. Learnt once per zone.
class UnsteadyTimes
{
public:
    static bool contains(int msecsOfDay)
    {
        static UnsteadyTimes times;
        times.refresh();
        for (const auto &[from, to] : times.m_ranges)
            if (msecsOfDay >= from && msecsOfDay < to)
                return true;
        return false;
    }

private:
    void refresh()
    {
        const QByteArray tz = qgetenv("TZ");
        const qint64 now = Clock::nowMSecs();
        // Rules may change; learn them again at least once a year.
        if (m_known && tz == m_tz && now >= m_from && now < m_from + year)
            return;
        m_known = true;
        m_tz = tz;
        m_from = now;
        m_ranges.clear();
        const QTimeZone zone = QTimeZone::systemTimeZone();
        const QDateTime from = QDateTime::fromMSecsSinceEpoch(now, Qt::UTC);
        constexpr int dayMSecs = 86400000;
        for (const QTimeZone::OffsetData &t : zone.transitions(from, from.addYears(6))) {
            const qint64 at = t.atUtc.toMSecsSinceEpoch();
            const qint64 before = zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(at - 1, Qt::UTC));
            const qint64 after = t.offsetFromUtc;
            if (before == after)
                continue;
            // Wall-clock readings between the two offsets at the change are skipped or repeated; an hour
            // of margin on both sides.
            const qint64 low = at + std::min(before, after) * 1000 - 3600000;
            const qint64 high = at + std::max(before, after) * 1000 + 3600000;
            const qint64 lowOfDay = ((low % dayMSecs) + dayMSecs) % dayMSecs;
            const qint64 length = std::min<qint64>(high - low, dayMSecs);
            if (lowOfDay + length <= dayMSecs) {
                m_ranges.append({int(lowOfDay), int(lowOfDay + length)});
            } else {
                m_ranges.append({int(lowOfDay), dayMSecs});
                m_ranges.append({0, int(lowOfDay + length - dayMSecs)});
            }
        }
    }

    static constexpr qint64 year = qint64(365) * 86400000;
    bool m_known = false;
    QByteArray m_tz;
    qint64 m_from = 0;
    QList<std::pair<int, int>> m_ranges;
};

// The centre's own repetition from `due` (an occurrence of the engine) when it gives exactly the engine's
// later occurrences, else none (a one-shot, followed by the next occurrence once delivered).
UserNotificationRepeat exactRepeat(CalendarIdentifier cal, const QDateTime &start, const QDateTime &due,
                                   int cycleType, int n, const QList<int> &values, bool hasEnd)
{
    if (cal != CalendarIdentifier::Gregorian || hasEnd || cycleType < RemindCycle::Day ||
        cycleType > RemindCycle::Year)
        return UserNotificationRepeat::none();
    const QDateTime localStart = start.toLocalTime();
    if (UnsteadyTimes::contains(localStart.time().msecsSinceStartOfDay()) ||
        localStart.time() != due.toLocalTime().time())
        return UserNotificationRepeat::none();
    // Months and years from a day past the 28th are clamped in short months; counted from the due
    // date rather than from the start they would differ.
    const bool dayKept = localStart.date().day() < 29;
    switch (cycleType) {
    case RemindCycle::Day: // the engine steps days whatever the chosen values
        return UserNotificationRepeat::days(n);
    case RemindCycle::Week:
        if (values.isEmpty())
            return UserNotificationRepeat::days(7 * n);
        // One weekday: only once the due date is on it (a start ahead may lie on another day).
        if (values.size() == 1 && DateManager::getWeekWithDate(due) == values.first())
            return UserNotificationRepeat::days(7 * n);
        break;
    case RemindCycle::Month:
        if (values.isEmpty() && dayKept)
            return UserNotificationRepeat::months(n);
        break;
    case RemindCycle::Quarter:
        if (values.isEmpty() && dayKept)
            return UserNotificationRepeat::months(3 * n);
        break;
    case RemindCycle::Year:
        if (values.isEmpty() && dayKept)
            return UserNotificationRepeat::years(n);
        break;
    }
    return UserNotificationRepeat::none();
}

} // namespace

NoteRemindManager::NoteRemindManager(Context &store, LocalNotificationManager &notifications)
    : m_store(store), m_notifications(notifications)
{
}

int NoteRemindManager::importantRemindIntervalMinutes() const
{
    const UserSet *set = m_store.findFirstWhere<UserSet>();
    const int minutes = set ? set->importantRemindInterval() : 0;
    // No settings row, or a value that would repeat without pause.
    return minutes < 1 ? 5 : minutes;
}

std::optional<NoteRemindManager::Plan>
NoteRemindManager::planWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date, int cycleType,
                                              qint64 interval, const QString &specify,
                                              const QDateTime &endDate)
{
    return planWithCalendarIdentifier(cal, date, date, cycleType, interval, specify, endDate);
}

std::optional<NoteRemindManager::Plan>
NoteRemindManager::planWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &start,
                                              const QDateTime &current, int cycleType, qint64 interval,
                                              const QString &specify, const QDateTime &endDate)
{
    // Every date comes from the engine: the notification falls on one of its occurrences.
    const QDateTime due = NoteDateManager::dueDateFromStartWithCalendarIdentifier(
        cal, start, current, cycleType, interval, specify, endDate);
    if (!due.isValid())
        return std::nullopt;
    const int n = int(std::clamp<qint64>(interval, 1, 10000));
    const QDateTime anchor = start.isValid() ? start : current;
    return Plan{due, exactRepeat(cal, anchor, due, cycleType, n, chosenValues(specify), endDate.isValid())};
}

std::optional<NoteRemindManager::Plan> NoteRemindManager::planWithNote(const NoteDetail *note) const
{
    return planWithNote(note, importantRemindIntervalMinutes());
}

std::optional<NoteRemindManager::Plan> NoteRemindManager::planWithNote(const NoteDetail *note,
                                                                       int importantMinutes)
{
    if (!note || note->isDeleted() || note->actionType() == RowAction::Deleted || note->isCompleted())
        return std::nullopt;
    const DateRemind *r = note->remind();
    if (!r || r->isDeleted() || r->remindActionType() == RemindAction::Cleared ||
        !Missing::isMissing(r->connectWifiIds()))
        return std::nullopt;

    const QDateTime current = DateManager::getDateFromString(r->remindRealDateTime());
    const bool snoozed = isDelayWithDelayTime(r->remindDelayTime());
    if (r->remindRType() == 1 && current.isValid() && !snoozed)
        return Plan{current, UserNotificationRepeat::minutes(importantMinutes < 1 ? 5 : importantMinutes)};
    if (snoozed)
        return Plan{DateManager::getDateFromString(r->remindDelayTime()), UserNotificationRepeat::none()};
    return planWithCalendarIdentifier(NoteDateManager::getCalendarIdentifierWithDateType(r->remindDateType()),
                                      DateManager::getDateFromString(r->remindDateTime()), current,
                                      r->remindCycleType(), r->remindCycleInterval(),
                                      r->remindCycleSpecific(),
                                      DateManager::getDateFromString(r->remindEndTime()));
}

bool NoteRemindManager::addDateUserNotificationWithNote(NoteDetail *note)
{
    if (!note)
        return true;
    if (m_notifications.getUserNoticationWithIdentifier(note->cId()))
        return true;
    return coverDateUserNotificationWithNote(note);
}

bool NoteRemindManager::coverDateUserNotificationWithNote(NoteDetail *note)
{
    if (!note || note->isDeleted())
        return true;
    const std::optional<Plan> plan = planWithNote(note);
    if (!plan) {
        // A reminder that is over, cleared, or on a deleted or completed note keeps nothing pending.
        m_notifications.removeScheduledNotificationWithIdentifiers({note->cId()});
        return true;
    }
    return m_notifications.addLocalNotificationWithDeliveryDate(plan->date, plan->repeat, note->content(),
                                                                note->cId());
}

bool NoteRemindManager::addUserNotificationWithCalendarIdentifier(CalendarIdentifier cal,
                                                                  const QDateTime &date, int cycleType,
                                                                  qint64 interval, const QString &specify,
                                                                  const QDateTime &endDate,
                                                                  const QString &text, const QString &cId)
{
    const std::optional<Plan> plan =
        planWithCalendarIdentifier(cal, date, cycleType, interval, specify, endDate);
    if (!plan)
        return true;
    return m_notifications.addLocalNotificationWithDeliveryDate(plan->date, plan->repeat, text, cId);
}

bool NoteRemindManager::addStarUserNotificationWithDate(const QDateTime &date, const QString &text,
                                                        const QString &cId)
{
    const UserNotificationRepeat repeat = UserNotificationRepeat::minutes(importantRemindIntervalMinutes());
    if (const auto pending = m_notifications.getUserNoticationWithIdentifier(cId)) {
        if (date.isValid() &&
            DateManager::getInitSecondDateFromDate(pending->deliveryDate) ==
                DateManager::getInitSecondDateFromDate(date) &&
            pending->repeatInterval == repeat)
            return false;
    }
    return m_notifications.addLocalNotificationWithDeliveryDate(date, repeat, text, cId);
}

bool NoteRemindManager::isDelayWithDelayTime(const QString &delayText)
{
    if (Missing::isMissing(delayText))
        return false;
    const QDateTime date = DateManager::getDateFromString(delayText);
    return date.isValid() && date > Clock::now();
}

bool NoteRemindManager::addDelayUserNotificationWithDate(const QDateTime &date, const QString &text,
                                                         const QString &cId)
{
    if (!date.isValid() || date <= Clock::now())
        return false;
    return m_notifications.addLocalNotificationWithDeliveryDate(date, UserNotificationRepeat::none(), text,
                                                                cId);
}

bool NoteRemindManager::addNoExistUserNotificationWithCalendarIdentifier(
    CalendarIdentifier cal, const QDateTime &date, int cycleType, qint64 interval, const QString &specify,
    const QDateTime &endDate, const QString &text, const QString &cId)
{
    if (m_notifications.getUserNoticationWithIdentifier(cId))
        return true;
    if (!endDate.isValid() || endDate > Clock::now())
        return addUserNotificationWithCalendarIdentifier(cal, date, cycleType, interval, specify, endDate,
                                                         text, cId);
    return true;
}
