// Scenes of the reminder window's popovers.

#include "app/services/Services.h"
#include "core/model/NoteRemindModel.h"
#include "notes/reminderwindow/views/DateRemindViewController.h"
#include "notes/reminderwindow/views/NoteRemindCalendarController.h"
#include "notes/reminderwindow/views/NoteRemindRepeatViewController.h"
#include "platform/base/Clock.h"
#include "platform/base/UserFeedback.h"
#include "tests/screenshots/ScreenshotScene.h"

namespace {

QWidget *customRepeat(CalendarIdentifier calendar, quint64 cycleType, qint64 interval, const char *specify)
{
    NoteRemindModel value;
    value.setRemindCycleType(cycleType);
    value.setRemindInterval(interval);
    value.setRemindSpecify(QString::fromLatin1(specify));
    return new NoteRemindRepeatViewController(calendar, value);
}

constexpr auto Gregorian = CalendarIdentifier::Gregorian;
constexpr auto Lunar = CalendarIdentifier::Chinese;

} // namespace

SCREENSHOT_SCENE(reminder_custom_repeat_day)
{
    return customRepeat(Gregorian, 1, 3, "");
}

SCREENSHOT_SCENE(reminder_custom_repeat_week)
{
    return customRepeat(Gregorian, 2, 2, "1,3,7");
}

SCREENSHOT_SCENE(reminder_custom_repeat_month)
{
    return customRepeat(Gregorian, 3, 1, "1,15,28,31");
}

SCREENSHOT_SCENE(reminder_custom_repeat_month_lunar)
{
    return customRepeat(Lunar, 3, 12, "1,15,30");
}

SCREENSHOT_SCENE(reminder_custom_repeat_quarter)
{
    return customRepeat(Gregorian, 4, 2, "");
}

SCREENSHOT_SCENE(reminder_custom_repeat_year)
{
    return customRepeat(Gregorian, 5, 1, "3,10,12");
}

SCREENSHOT_SCENE(reminder_custom_repeat_year_lunar)
{
    return customRepeat(Lunar, 5, 99, "1,8,12");
}

// The current month, today marked.
SCREENSHOT_SCENE(reminder_calendar_today)
{
    return new NoteRemindCalendarController(Clock::now(), 0);
}

// Seven rows, the chosen day the last of the month; lunar month names on the 1st of 二月.
SCREENSHOT_SCENE(reminder_calendar_seven_rows)
{
    return new NoteRemindCalendarController(QDateTime(QDate(2026, 3, 31), QTime(22, 48)), 1);
}

// A month with a lunar leap month starting in it (闰六月 begins on 25 July 2025).
SCREENSHOT_SCENE(reminder_calendar_leap_month)
{
    return new NoteRemindCalendarController(QDateTime(QDate(2025, 7, 25), QTime(7, 5)), 0);
}

namespace {

// Without a store the important interval is its default of 5 minutes.
QWidget *dateTab(const NoteRemindModel &value)
{
    Services services;
    services.feedback = UserFeedback::current();
    auto *tab = new DateRemindViewController(value, services);
    // The reminder window is 300 x 350 with its tab bar.
    tab->resize(300, 320);
    return tab;
}

NoteRemindModel dated(const char *real, quint64 cycleType = 0, qint64 interval = 1, const char *specify = "")
{
    NoteRemindModel value;
    value.setRemindRealDateTime(QString::fromLatin1(real));
    value.setRemindCycleType(cycleType);
    value.setRemindInterval(interval);
    value.setRemindSpecify(QString::fromLatin1(specify));
    return value;
}

} // namespace

SCREENSHOT_SCENE(reminder_date_tab_new)
{
    return dateTab(NoteRemindModel());
}

SCREENSHOT_SCENE(reminder_date_tab_weekly)
{
    return dateTab(dated("2026/12/9 10:15:00", 2));
}

SCREENSHOT_SCENE(reminder_date_tab_custom)
{
    NoteRemindModel value = dated("2026/12/9 10:15:00", 3, 2, "1,15,28,29,30,31");
    value.setRemindEndTime(QStringLiteral("2027/12/31 23:59:00"));
    return dateTab(value);
}

SCREENSHOT_SCENE(reminder_date_tab_lunar_important)
{
    NoteRemindModel value = dated("2026/12/9 10:15:00", 5, 1, "1,12");
    value.setRemindDateType(1);
    value.setRemindStarType(1);
    value.setRemindEndTime(QStringLiteral("2030/2/1 8:00:00"));
    return dateTab(value);
}
