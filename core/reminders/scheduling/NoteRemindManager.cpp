#include "core/reminders/scheduling/NoteRemindManager.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/store/Context.h"

#include <QList>

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

// D moved forward to the next day (0..6 days on) whose weekday is `weekday`.
QDateTime forwardToWeekday(const QDateTime &date, int weekday)
{
    const int r = DateManager::getWeekWithDate(date);
    return date.addDays(((weekday - r) % 7 + 7) % 7);
}

} // namespace

int NoteRemindManager::importantRemindIntervalMinutes()
{
    Context *ctx = Context::defaultContext();
    const UserSet *set = ctx ? ctx->findFirstWhere<UserSet>() : nullptr;
    const int minutes = set ? set->importantRemindInterval() : 0;
    // No settings row, or a value that would repeat without pause.
    return minutes < 1 ? 5 : minutes;
}

std::optional<NoteRemindManager::Plan>
NoteRemindManager::planWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date, int cycleType,
                                              qint64 interval, const QString &specify,
                                              const QDateTime &endDate)
{
    if (!date.isValid() || cycleType < 0 || cycleType > 5)
        return std::nullopt;
    const QDateTime now = Clock::now();
    const int n = int(std::clamp<qint64>(interval, 1, 10000));
    const QList<int> values = chosenValues(specify);
    const bool hasEnd = endDate.isValid();

    if (cycleType == 0) {
        if (date <= now || (hasEnd && date > endDate))
            return std::nullopt;
        return Plan{date, UserNotificationRepeat::none()};
    }

    // Where the centre's own repetition gives exactly the reminder's occurrences.
    if (cal == CalendarIdentifier::Gregorian && !hasEnd) {
        const int day = date.date().day();
        switch (cycleType) {
        case 1: // the engine steps days whatever the chosen values
            return Plan{date, UserNotificationRepeat::days(n)};
        case 2:
            if (values.isEmpty())
                return Plan{date, UserNotificationRepeat::days(7 * n)};
            if (values.size() == 1 && values.first() >= 1 && values.first() <= 7) {
                const int v = values.first();
                const int r = DateManager::getWeekWithDate(date);
                // The series the engine counts: the chosen weekday of D's week, one
                // step on when that day lies before D.
                const QDateTime first = date.addDays(v >= r ? v - r : v - r + 7 * n);
                return Plan{first, UserNotificationRepeat::days(7 * n)};
            }
            break;
        case 3:
            if (values.isEmpty() && day < 29)
                return Plan{date, UserNotificationRepeat::months(n)};
            break;
        case 4:
            if (values.isEmpty() && day < 29)
                return Plan{date, UserNotificationRepeat::months(3 * n)};
            break;
        case 5:
            if (values.isEmpty() && day < 29)
                return Plan{date, UserNotificationRepeat::years(n)};
            break;
        }
    }

    // A one-shot at the next occurrence; delivered, it is followed by the next one.
    QDateTime start = date;
    if (values.size() == 1) {
        const int v = values.first();
        if (cycleType == 2 && v >= 1 && v <= 7)
            start = forwardToWeekday(date, v);
        else if (cycleType == 3 || cycleType == 4)
            start = DateManager::getADayWithCalendarIdentifier(cal, date, v);
        else if (cycleType == 5)
            start = DateManager::getAMonthWithCalendarIdentifier(cal, date, v);
        if (!start.isValid())
            start = date;
    }
    const QDateTime next =
        NoteDateManager::getNowNextDateWithCalendarIdentifier(cal, start, cycleType, n, specify, endDate);
    if (!next.isValid() || next <= now || (hasEnd && next > endDate))
        return std::nullopt;
    return Plan{next, UserNotificationRepeat::none()};
}

std::optional<NoteRemindManager::Plan> NoteRemindManager::planWithNote(const NoteDetail *note)
{
    return planWithNote(note, importantRemindIntervalMinutes());
}

std::optional<NoteRemindManager::Plan> NoteRemindManager::planWithNote(const NoteDetail *note,
                                                                       int importantMinutes)
{
    if (!note || note->isDeleted() || note->actionType() == 3 || note->isCompleted())
        return std::nullopt;
    const DateRemind *r = note->remind();
    if (!r || r->isDeleted() || r->remindActionType() == 3 || !Missing::isMissing(r->connectWifiIds()))
        return std::nullopt;

    const QDateTime current = DateManager::getDateFromString(r->remindRealDateTime());
    const bool snoozed = isDelayWithDelayTime(r->remindDelayTime());
    if (r->remindRType() == 1 && current.isValid() && !snoozed)
        return Plan{current, UserNotificationRepeat::minutes(importantMinutes < 1 ? 5 : importantMinutes)};
    if (snoozed)
        return Plan{DateManager::getDateFromString(r->remindDelayTime()), UserNotificationRepeat::none()};
    if (!current.isValid())
        return std::nullopt;
    return planWithCalendarIdentifier(NoteDateManager::getCalendarIdentifierWithDateType(r->remindDateType()),
                                      current, r->remindCycleType(), r->remindCycleInterval(),
                                      r->remindCycleSpecific(),
                                      DateManager::getDateFromString(r->remindEndTime()));
}

bool NoteRemindManager::addDateUserNotificationWithNote(NoteDetail *note)
{
    if (!note)
        return true;
    if (LocalNotificationManager::getUserNoticationWithIdentifier(note->cId()))
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
        LocalNotificationManager::removeScheduledNotificationWithIdentifiers({note->cId()});
        return true;
    }
    return LocalNotificationManager::addLocalNotificationWithDeliveryDate(plan->date, plan->repeat,
                                                                          note->content(), note->cId());
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
    return LocalNotificationManager::addLocalNotificationWithDeliveryDate(plan->date, plan->repeat, text,
                                                                          cId);
}

bool NoteRemindManager::addStarUserNotificationWithDate(const QDateTime &date, const QString &text,
                                                        const QString &cId)
{
    const UserNotificationRepeat repeat = UserNotificationRepeat::minutes(importantRemindIntervalMinutes());
    if (const auto pending = LocalNotificationManager::getUserNoticationWithIdentifier(cId)) {
        if (date.isValid() &&
            DateManager::getInitSecondDateFromDate(pending->deliveryDate) ==
                DateManager::getInitSecondDateFromDate(date) &&
            pending->repeatInterval == repeat)
            return false;
    }
    return LocalNotificationManager::addLocalNotificationWithDeliveryDate(date, repeat, text, cId);
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
    return LocalNotificationManager::addLocalNotificationWithDeliveryDate(
        date, UserNotificationRepeat::none(), text, cId);
}

bool NoteRemindManager::addNoExistUserNotificationWithCalendarIdentifier(
    CalendarIdentifier cal, const QDateTime &date, int cycleType, qint64 interval, const QString &specify,
    const QDateTime &endDate, const QString &text, const QString &cId)
{
    if (LocalNotificationManager::getUserNoticationWithIdentifier(cId))
        return true;
    if (!endDate.isValid() || endDate > Clock::now())
        return addUserNotificationWithCalendarIdentifier(cal, date, cycleType, interval, specify, endDate,
                                                         text, cId);
    return true;
}
