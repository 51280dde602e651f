#include "notes/records/presenter/NoteDateGrouping.h"

#include "core/model/WiFiRemindStatus.h"
#include "core/reminders/dates/DateManager.h"

#include <limits>
#include <optional>

namespace {

bool blank(const QString &text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// An unreadable date counts as missing.
std::optional<qint64> parsed(const QString &text)
{
    if (blank(text))
        return std::nullopt;
    const QDateTime d = DateManager::getDateFromString(text);
    if (!d.isValid())
        return std::nullopt;
    return d.toMSecsSinceEpoch();
}

} // namespace

NoteDateGrouping::Now::Now(const QDateTime &at) : now(at.toMSecsSinceEpoch())
{
    const QDate today = at.date();
    todayStart = today.startOfDay().toMSecsSinceEpoch();
    tomorrowStart = today.addDays(1).startOfDay().toMSecsSinceEpoch();
    dayAfterStart = today.addDays(2).startOfDay().toMSecsSinceEpoch();
}

std::optional<NoteDateGrouping::Timing> NoteDateGrouping::timing(const Values &v)
{
    // Deleted notes wait for the push only; a cleared reminder keeps its date or networks but is over.
    if (v.noteActionType == 3 || v.remindActionType == 3)
        return std::nullopt;
    Timing t;
    if (!blank(v.wifiIds)) {
        // A Wi-Fi reminder lists by its state, whether the note is completed or not.
        t.wifi = true;
        t.fired = v.wifiStatus != WiFiRemindStatus::Armed;
        if (const auto when = parsed(v.wifiDateTime)) {
            t.occurrence = *when;
            t.hasTime = true;
        }
        return t;
    }
    if (v.completed)
        return std::nullopt;
    const auto occurrence = parsed(v.realDateTime);
    if (!occurrence)
        return std::nullopt;
    t.occurrence = *occurrence;
    t.hasTime = true;
    t.delay = parsed(v.delayTime).value_or(0);
    return t;
}

qint64 NoteDateGrouping::sortTime(const Timing &t, const Now &now)
{
    if (t.wifi)
        return t.hasTime ? t.occurrence : std::numeric_limits<qint64>::min();
    return snoozed(t, now) ? t.delay : t.occurrence;
}

NoteDateGrouping::Group NoteDateGrouping::group(const Timing &t, const Now &now)
{
    if (t.wifi)
        return t.fired ? Overdue : Later;
    const qint64 due = sortTime(t, now);
    if (due >= now.todayStart && due < now.tomorrowStart)
        return Today;
    if (due >= now.tomorrowStart && due < now.dayAfterStart)
        return Tomorrow;
    if (due > now.now)
        return Later;
    return Overdue;
}

QString NoteDateGrouping::name(int group)
{
    switch (group) {
    case Overdue:
        return QStringLiteral("超时");
    case Today:
        return QStringLiteral("今日");
    case Tomorrow:
        return QStringLiteral("明日");
    default:
        return QStringLiteral("未来");
    }
}

QString NoteDateGrouping::color(int group)
{
    switch (group) {
    case Overdue:
        return QStringLiteral("#c04b4b");
    case Today:
        return QStringLiteral("#e59312");
    case Tomorrow:
        return QStringLiteral("#3571ba");
    default:
        return QStringLiteral("#05ae5c");
    }
}
