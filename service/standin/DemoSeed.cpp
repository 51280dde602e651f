#include "service/standin/DemoSeed.h"

#include "core/reminders/dates/NoteDateManager.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinState.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
QString dateText(const QDateTime &t)
{
    return QLocale::c().toString(t, QStringLiteral("yyyy/M/d H:mm:ss"));
}

// A date reminder in the stored reminder's attribute names. The series starts
// at `start`; its current occurrence is the one the program's own recurrence
// engine finds next (the start itself when still ahead), so a weekly-on-Monday
// note is due next Monday whatever day the demo starts.
QJsonObject dateRemind(const QString &cId, const QDateTime &start, int cycleType = 0, int dateType = 0,
                       int important = 0, const QString &specific = {})
{
    QDateTime current = start;
    if (cycleType != 0) {
        current = NoteDateManager::nextDateWithCalendarIdentifier(
            NoteDateManager::getCalendarIdentifierWithDateType(dateType), start, cycleType, 1, specific);
        if (!current.isValid())
            current = start;
    }
    return QJsonObject{{"cId", cId},
                       {"remindActionType", 2},
                       {"remindDateType", dateType},
                       {"remindDateTime", dateText(start)},
                       {"remindRealDateTime", dateText(current)},
                       {"remindCycleType", cycleType},
                       {"remindCycleInterval", 1},
                       {"remindCycleSpecific", specific},
                       {"remindEndTime", ""},
                       {"remindRType", important},
                       {"remindDelayTime", ""},
                       {"connectWifiIds", ""},
                       {"connectWifiType", 0},
                       {"remindWifiStatus", 0},
                       {"remindWifiDateTime", ""}};
}

// A Wi-Fi reminder: it carries no date at all, only the networks it waits for.
QJsonObject wifiRemind(const QString &cId, const QString &wifiIds)
{
    QJsonObject r = dateRemind(cId, {});
    r.insert("remindDateTime", "");
    r.insert("remindRealDateTime", "");
    r.insert("connectWifiIds", wifiIds);
    return r;
}
} // namespace

QString DemoSeed::snapshotDate(const QDateTime &now)
{
    return dateText(QDateTime(now.date().addDays(-1), QTime(0, 0)));
}

void DemoSeed::seed(StandinState &state, NoteSyncHandlers &notes, const QDateTime &now)
{
    StandinAccount &a = state.addAccount(Account, Password);
    a.userInfo.insert("nick", QStringLiteral("演示用户"));
    a.sysSet.insert("remindTypes", "1,2");
    a.wifis =
        QJsonArray{QJsonObject{{"wifiId", "9001"}, {"name", "Home-WiFi"}, {"alias", QStringLiteral("家里")}},
                   QJsonObject{{"wifiId", "9002"}, {"name", "Office-5G"}, {"alias", QStringLiteral("公司")}}};
    NoteSyncHandlers::Data &d = notes.data(a);

    const QDate today = now.date();
    auto at = [&today](int days, int hour, int minute = 0) {
        return QDateTime(today.addDays(days), QTime(hour, minute));
    };

    struct Seed
    {
        QString classId, name, color;
        QList<NoteSyncHandlers::Note> items;
    };
    auto note = [](const QString &cId, const QString &content, const QJsonObject &remind = {},
                   const QString &fontColor = {}) {
        NoteSyncHandlers::Note n;
        n.cId = cId;
        n.content = content;
        n.remind = remind;
        n.fontColor = fontColor;
        return n;
    };
    QDate day25(today.year(), today.month(), 25);
    if (day25 < today)
        day25 = day25.addMonths(1);
    const QDateTime monthly25(day25, QTime(9, 0));
    // Series starts in the past; their current occurrences come from the recurrence engine.
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDateTime mondays(monday, QTime(10, 0));
    const QDateTime lessons(monday, QTime(7, 30));
    const QList<Seed> seeds{
        {QStringLiteral("7001"),
         QStringLiteral("工作"),
         QStringLiteral("#10b56c"),
         {note(QStringLiteral("8101"), QStringLiteral("周一上午十点部门例会，带上上周的进度表"),
               dateRemind(QStringLiteral("8101"), mondays, 2, 0, 0, QStringLiteral("1"))),
          note(QStringLiteral("8102"), QStringLiteral("提交季度报销单（重要）"),
               dateRemind(QStringLiteral("8102"), at(0, 16, 30), 0, 0, 1), QStringLiteral("#e35d5d")),
          note(QStringLiteral("8103"), QStringLiteral("给客户回复合同修改意见")),
          note(QStringLiteral("8104"), QStringLiteral("每月 25 日核对考勤"),
               dateRemind(QStringLiteral("8104"), monthly25.addMonths(-2), 3)),
          note(QStringLiteral("8105"), QStringLiteral("到家后把笔记本电脑充上电"),
               wifiRemind(QStringLiteral("8105"), QStringLiteral("9001")))}},
        {QStringLiteral("7002"),
         QStringLiteral("生活"),
         QStringLiteral("#f27830"),
         {note(QStringLiteral("8201"), QStringLiteral("妈妈生日（农历），提前订蛋糕"),
               dateRemind(QStringLiteral("8201"), at(20, 9), 5, 1)),
          note(QStringLiteral("8202"), QStringLiteral("每天晚上九点吃维生素"),
               dateRemind(QStringLiteral("8202"), at(-7, 21), 1)),
          note(QStringLiteral("8203"), QStringLiteral("周末去超市：牛奶、鸡蛋、青菜、洗衣液")),
          note(QStringLiteral("8204"), QStringLiteral("交物业费"),
               dateRemind(QStringLiteral("8204"), QDateTime(today.addDays(3).addMonths(-3), QTime(19, 0)),
                          4))}},
        {QStringLiteral("7003"),
         QStringLiteral("学习"),
         QStringLiteral("#2b9cc6"),
         {note(QStringLiteral("8301"), QStringLiteral("读完《三体》第二部")),
          note(QStringLiteral("8302"), QStringLiteral("英语听力练习 30 分钟"),
               dateRemind(QStringLiteral("8302"), lessons, 2, 0, 0, QStringLiteral("1,3,5")))}},
    };
    qint64 sort = seeds.size();
    for (const Seed &s : seeds) {
        NoteSyncHandlers::Category c;
        c.classId = s.classId;
        c.name = s.name;
        c.backColor = s.color;
        c.sort = sort--;
        c.version = ++a.version;
        d.classes.insert(c.classId, c);
        for (int i = 0; i < s.items.size(); ++i) {
            NoteSyncHandlers::Note n = s.items.at(i);
            n.classId = s.classId;
            n.nextId = i + 1 < s.items.size() ? s.items.at(i + 1).cId : QStringLiteral("-1");
            n.version = ++a.version;
            d.notes.insert(n.cId, n);
        }
    }
    // Yesterday's snapshot of these notes, which the settings can restore (the
    // account's own listed date has no data behind it).
    a.snapshots = QJsonArray{};
    notes.takeSnapshot(a, snapshotDate(now));
}
