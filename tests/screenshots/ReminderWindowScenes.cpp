// Scenes of the reminder window's popovers.

#include "app/services/Services.h"
#include "core/model/NoteRemindModel.h"
#include "notes/reminderwindow/view/DateRemindViewController.h"
#include "notes/reminderwindow/view/NoteRemindCalendarController.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"
#include "platform/base/Clock.h"
#include "platform/base/UserFeedback.h"
#include "tests/screenshots/SceneServices.h"
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

// On an empty store the important interval is its default of 5 minutes.
QWidget *dateTab(const NoteRemindModel &value)
{
    auto *tab = new DateRemindViewController(value, sceneServices(emptySceneStore()));
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

// ---- The reminder window: both tabs over a store of their own.

#include "core/model/DataModel.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "notes/reminderwindow/view/NoteRemindViewController.h"
#include "notes/reminderwindow/view/WIFIRemindViewController.h"
#include "notes/reminderwindow/view/WiFiListViewController.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"

#include <QTabWidget>

namespace {

// A store of the window scenes alone: an important interval of 10 minutes and saved networks, some with
// long names. `networks` false gives a store without any.
Context *windowStore(bool networks)
{
    static std::unique_ptr<Store> stores[2];
    std::unique_ptr<Store> &store = stores[networks ? 1 : 0];
    if (!store) {
        store = Store::open(TestEnv::rootFolder() + (networks ? QStringLiteral("/remind-window-wifi.sqlite")
                                                              : QStringLiteral("/remind-window.sqlite")),
                            DataModel::model());
        if (!store)
            return nullptr;
        Context *ctx = store->mainContext();
        ctx->create<UserSet>()->setImportantRemindInterval(10);
        if (networks) {
            const QList<QStringList> saved{
                {"7001", "TP-LINK_5G", QStringLiteral("家里")},
                {"7002", "Office-Guest", QStringLiteral("公司")},
                {"7003", "CMCC-Very-Long-Network-Name-For-The-Upstairs-Neighbours-5GHz",
                 QStringLiteral("楼上邻居家的无线网络名字特别长")},
                {"7004", QStringLiteral("咖啡馆免费无线"), {}},
            };
            for (const QStringList &s : saved) {
                auto *w = ctx->create<WiFiRemind>();
                w->setWifiId(s.at(0));
                w->setName(s.at(1));
                w->setAlias(s.at(2));
            }
        }
        if (!ctx->saveAndWait())
            return nullptr;
    }
    return store->mainContext();
}

NoteRemindViewController *remindWindow(const NoteRemindModel &value, bool networks = false)
{
    Context *store = windowStore(networks);
    if (!store)
        qFatal("no store for the reminder window scenes");
    return new NoteRemindViewController(value, sceneServices(*store->store()), nullptr);
}

NoteRemindViewController *wifiWindow(const QString &ids, qint64 type, bool networks)
{
    NoteRemindModel value;
    value.setConnectWifiIds(ids);
    value.setConnectWifiType(type);
    NoteRemindViewController *window = remindWindow(value, networks);
    window->tabs()->setCurrentIndex(NoteRemindViewController::WifiTab);
    return window;
}

} // namespace

SCREENSHOT_SCENE(reminder_window_new)
{
    return remindWindow(NoteRemindModel());
}

SCREENSHOT_SCENE(reminder_window_daily)
{
    return remindWindow(dated("2026/12/9 8:30:00", 1));
}

SCREENSHOT_SCENE(reminder_window_weekly)
{
    return remindWindow(dated("2026/12/9 10:15:00", 2));
}

SCREENSHOT_SCENE(reminder_window_monthly)
{
    return remindWindow(dated("2026/12/31 9:00:00", 3));
}

SCREENSHOT_SCENE(reminder_window_quarterly)
{
    return remindWindow(dated("2026/12/9 10:15:00", 4));
}

SCREENSHOT_SCENE(reminder_window_yearly)
{
    return remindWindow(dated("2026/12/9 10:15:00", 5));
}

SCREENSHOT_SCENE(reminder_window_custom_weeks)
{
    NoteRemindModel value = dated("2026/12/9 10:15:00", 2, 2, "1,3,5");
    value.setRemindEndTime(QStringLiteral("2027/6/30 18:00:00"));
    return remindWindow(value);
}

SCREENSHOT_SCENE(reminder_window_lunar_yearly)
{
    NoteRemindModel value = dated("2027/2/6 9:00:00", 5);
    value.setRemindDateType(1);
    return remindWindow(value);
}

SCREENSHOT_SCENE(reminder_window_lunar_custom_month)
{
    NoteRemindModel value = dated("2026/12/9 10:15:00", 3, 1, "1,15,30");
    value.setRemindDateType(1);
    return remindWindow(value);
}

SCREENSHOT_SCENE(reminder_window_important)
{
    NoteRemindModel value = dated("2026/12/9 10:15:00", 1);
    value.setRemindStarType(1);
    value.setRemindEndTime(QStringLiteral("2026/12/31 23:00:00"));
    return remindWindow(value);
}

SCREENSHOT_SCENE(reminder_window_wifi_empty)
{
    return wifiWindow({}, 0, false);
}

SCREENSHOT_SCENE(reminder_window_wifi_any)
{
    return wifiWindow(QStringLiteral("0"), 0, true);
}

// Two networks ticked, one with a name far longer than its column, a leave reminder.
SCREENSHOT_SCENE(reminder_window_wifi_long_names)
{
    return wifiWindow(QStringLiteral("7003,7004"), 1, true);
}

SCREENSHOT_SCENE(reminder_wifi_nearby)
{
    return new WiFiListViewController(
        {QStringLiteral("TP-LINK_5G"), QStringLiteral("ChinaNet-Home"),
         QStringLiteral("CMCC-Very-Long-Network-Name-For-The-Upstairs-Neighbours"),
         QStringLiteral("咖啡馆免费无线")});
}

SCREENSHOT_SCENE(reminder_wifi_nearby_none)
{
    return new WiFiListViewController({});
}
