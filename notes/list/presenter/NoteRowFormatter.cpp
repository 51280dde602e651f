#include "notes/list/presenter/NoteRowFormatter.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "platform/base/Clock.h"

#include <algorithm>

namespace {

const QColor openTextColor(0x3a, 0x3a, 0x3a);
const QColor completedTextColor(0xad, 0xad, 0xad);
const QColor strikeLineColor(0xe3, 0x5d, 0x5d);
const QColor quietDot(0x99, 0x99, 0x99);
const QColor dueDot(0xff, 0x33, 0x00);

// A stored date, or an invalid one when the text is missing or unreadable
// (an unreadable date counts as missing).
QDateTime parsed(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    const QDateTime d = DateManager::getDateFromString(text);
    return d.isValid() ? d : QDateTime();
}

QColor noteColor(const QString &hex)
{
    const QString t = hex.trimmed();
    if (t.isEmpty())
        return openTextColor;
    const QColor c(t.startsWith(u'#') ? t : u'#' + t);
    return c.isValid() ? c : openTextColor;
}

} // namespace

bool NoteRowFormatter::isActive(const DateRemind *remind)
{
    // A record with neither a date nor networks (a cleared value confirmed on a note that had none) has
    // nothing to show.
    return remind &&
           isActive(remind->remindActionType(), remind->remindRealDateTime(), remind->connectWifiIds());
}

bool NoteRowFormatter::isActive(qint64 actionType, const QString &realDateTime, const QString &wifiIds)
{
    const auto blank = [](const QString &text) {
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
    };
    return actionType != RemindAction::Cleared && (!blank(realDateTime) || !blank(wifiIds));
}

int NoteRowFormatter::heightFor(const DateRemind *remind)
{
    return isActive(remind) ? reminderHeight : plainHeight;
}

NoteRowLook NoteRowFormatter::format(const NoteDetail *note, const DateRemind *remind,
                                     qint64 importantMinutes)
{
    NoteRowLook look;
    if (!note)
        return look;
    look.text = note->content().trimmed();
    if (note->isCompleted()) {
        look.textColor = completedTextColor;
        look.strikeColor = strikeLineColor;
    } else {
        look.textColor = noteColor(note->fontColor());
    }
    look.showSyncIcon = note->isError();
    look.dotColor = quietDot;
    look.height = heightFor(remind);
    if (!isActive(remind))
        return look;

    const QDateTime now = Clock::now();
    const QDateTime occurrence = parsed(remind->remindRealDateTime());
    const QDateTime delay = parsed(remind->remindDelayTime());
    const bool snoozed = delay.isValid() && delay > now;
    const QString wifiIds = remind->connectWifiIds().trimmed();

    if (!wifiIds.isEmpty()) {
        const QString names = WiFiRemindManager::getWiFiNamesWithWiFiIds(remind->context(), wifiIds);
        look.dateText =
            (remind->connectWifiType() == 0 ? QStringLiteral("连接:%1") : QStringLiteral("断开:%1"))
                .arg(names);
    } else {
        const CalendarIdentifier cal =
            NoteDateManager::getCalendarIdentifierWithDateType(remind->remindDateType());
        look.dateText = occurrence.isValid()
                            ? NoteDateManager::showFormatTimeWithDateString(remind->remindRealDateTime(), cal)
                            : QString();
        const QString repeat =
            NoteDateManager::showRemindInterval(remind->remindCycleInterval(), remind->remindCycleType());
        const QString specify = NoteDateManager::showRemindSpecifyWithCalendarIdentifier(
            cal, remind->remindCycleSpecific(), remind->remindCycleType());
        if (!repeat.isEmpty() && !specify.isEmpty())
            look.intervalText = repeat + u' ' + specify;
        else
            look.intervalText = repeat;
    }

    if (occurrence.isValid()) {
        look.lineIcon = NoteRowLook::LineIcon::Date;
        const QDateTime due = snoozed ? delay : occurrence;
        if (now >= due)
            look.dotColor = dueDot;
    } else if (!wifiIds.isEmpty()) {
        look.lineIcon = NoteRowLook::LineIcon::WiFi;
        if (remind->remindWifiStatus() == WiFiRemindStatus::Fired)
            look.dotColor = dueDot;
    }

    look.showLine = true;
    look.showDelay = snoozed;
    if (snoozed)
        look.delayTip = remind->remindDelayTime();
    if (remind->remindRType() == 1) {
        look.showStar = true;
        look.starTip = snoozed ? remind->remindDelayTime()
                               : NoteDateManager::getValidStarDateTimeWithDate(occurrence, importantMinutes);
        look.starRight = snoozed ? 30 : 8;
    }
    return look;
}
