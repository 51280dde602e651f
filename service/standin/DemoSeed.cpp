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

// A few dozen records of the service: how the notes came to be, from every kind
// of terminal (1 PC … 6 web, 7 this program), and completions over the last weeks.
void seedRecords(StandinState &state, NoteSyncHandlers &notes, StandinAccount &a, const QDateTime &now)
{
    NoteSyncHandlers::Data &d = notes.data(a);
    const QList<NoteSyncHandlers::Note> live = d.notes.values();
    auto terminal = [&d](qint64 tId, int id) { d.history[tId].insert("terminalId", id); };
    int step = 0;
    // Additions, oldest first, spread over the weeks before the edits (times rise with the record ids,
    // as the service's do).
    for (const NoteSyncHandlers::Note &n : live) {
        const qint64 tId =
            notes.addHistory(state, a, n, 1, now.addDays(-40 + 2 * step).addSecs(-3600 * step));
        terminal(tId, 1 + step % 7);
        ++step;
    }
    // Edits: each shown against the text before it.
    const QList<QPair<QString, QString>> edits{
        {QStringLiteral("8101"), QStringLiteral("周一上午九点部门例会")},
        {QStringLiteral("8102"), QStringLiteral("提交报销单")},
        {QStringLiteral("8103"), QStringLiteral("给客户回复合同")},
        {QStringLiteral("8203"), QStringLiteral("周末去超市：牛奶、面包")},
        {QStringLiteral("8301"), QStringLiteral("读完《三体》第一部")},
        {QStringLiteral("8302"), QStringLiteral("英语听力练习 20 分钟，再背单词")},
        {QStringLiteral("8204"), QStringLiteral("交水电费和物业费")},
        {QStringLiteral("8202"), QStringLiteral("每天吃维生素")},
    };
    for (int i = 0; i < edits.size(); ++i) {
        const NoteSyncHandlers::Note n = d.notes.value(edits.at(i).first);
        const qint64 tId =
            notes.addHistory(state, a, n, 2, now.addDays(-12 + i).addSecs(-600 * i), &edits.at(i).second);
        terminal(tId, 1 + (i + 3) % 7);
    }
    // Notes added and deleted again.
    const QStringList gone{QStringLiteral("取快递"), QStringLiteral("预约周六上午体检"),
                           QStringLiteral("把旧衣服捐出去"), QStringLiteral("整理桌面上的文件")};
    for (int i = 0; i < gone.size(); ++i) {
        NoteSyncHandlers::Note n;
        n.cId = QString::number(8400 + i);
        n.classId = i % 2 ? QStringLiteral("7002") : QStringLiteral("7001");
        n.content = gone.at(i);
        terminal(notes.addHistory(state, a, n, 1, now.addDays(-4 + i)), 2 + i);
        terminal(notes.addHistory(state, a, n, 3, now.addDays(-4 + i).addSecs(1800)), 3 + i);
    }
    // Completions: yesterday, today, last week, last month and one dated ahead
    // (a device whose clock runs fast).
    // Oldest first, so that the times rise with the record ids as on the service.
    const QList<int> daysAgo{45, 33, 20, 13, 9, 6, 3, 1, 1, 0, 0, -1};
    for (int i = 0; i < daysAgo.size(); ++i) {
        NoteSyncHandlers::Note n = live.at(i % live.size());
        const QDateTime at = now.addDays(-daysAgo.at(i)).addSecs(-900 * (daysAgo.size() - i));
        notes.addCompletion(state, a, n, QJsonObject{{"completedTime", dateText(at)}, {"remindTime", ""}});
    }
}
} // namespace

QString DemoSeed::snapshotDate(const QDateTime &now)
{
    return dateText(QDateTime(now.date().addDays(-1), QTime(0, 0)));
}

void DemoSeed::seed(StandinState &state, NoteSyncHandlers &notes, const QDateTime &now)
{
    // WeChat on the stand-in's page signs in as the demo account (not the tests' account).
    if (StandinAccount *tester = state.accountByName(QStringLiteral("tester"))) {
        tester->openIds.remove(QStringLiteral("2"));
        tester->userInfo.insert("isOAuthWeChat", false);
    }
    StandinAccount &a = state.addAccount(Account, Password);
    a.userInfo.insert("nick", QStringLiteral("演示用户"));
    a.openIds.insert(QStringLiteral("2"), QStringLiteral("wx-open-demo"));
    a.userInfo.insert("isOAuthWeChat", true);
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
    seedRecords(state, notes, a, now);
    // Yesterday's snapshot of these notes, which the settings can restore (the
    // account's own listed date has no data behind it).
    a.snapshots = QJsonArray{};
    notes.takeSnapshot(a, snapshotDate(now));
}
