#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/WiFiRemind.h"
#include "notes/list/presenter/NoteRowFormatter.h"
#include "notes/list/presenter/NoteRowMenu.h"
#include "platform/store/Context.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"

namespace {

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

// A reminder as a row shows it; `present` false: the note has none.
struct Remind
{
    bool present = true;
    int actionType = 2;
    int dateType = 0; // 0 Gregorian, 1 lunar
    QString real = {};
    int cycle = 0;
    int interval = 0;
    QString specific = {};
    int rType = 0;
    QString delay = {};
    QString wifi = {};
    int wifiType = 0;
    int wifiStatus = 0;
};

struct Row
{
    QString content = QStringLiteral("买牛奶");
    QString fontColor = {};
    bool completed = false;
    bool error = false;
};

const Remind none{false};

} // namespace

Q_DECLARE_METATYPE(Remind)
Q_DECLARE_METATYPE(Row)

class TestNoteRows : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;

    NoteDetail *make(const Row &row, const Remind &r)
    {
        NoteDetail *n = m_fx.note("c1", nullptr, row.content);
        n->setContent(row.content);
        n->setFontColor(row.fontColor);
        n->setIsCompleted(row.completed);
        n->setIsError(row.error);
        if (r.present) {
            DateRemind *d = m_fx.remind(n, r.actionType);
            d->setRemindDateType(qint16(r.dateType));
            d->setRemindRealDateTime(r.real);
            d->setRemindDateTime(r.real);
            d->setRemindCycleType(qint16(r.cycle));
            d->setRemindCycleInterval(qint16(r.interval));
            d->setRemindCycleSpecific(r.specific);
            d->setRemindRType(qint16(r.rType));
            d->setRemindDelayTime(r.delay);
            d->setConnectWifiIds(r.wifi);
            d->setConnectWifiType(qint16(r.wifiType));
            d->setRemindWifiStatus(qint16(r.wifiStatus));
        }
        return n;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(now()));
        auto *home = m_fx.ctx()->create<WiFiRemind>();
        home->setWifiId("12");
        home->setName("TP-LINK_5G");
        home->setAlias("家");
        auto *office = m_fx.ctx()->create<WiFiRemind>();
        office->setWifiId("34");
        office->setName("Office");
    }
    void cleanup() { m_fx.close(); }

    // The note line: text without surrounding white space, its colour, the completed look.
    void noteLine_data()
    {
        QTest::addColumn<Row>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QColor>("strike");
        QTest::newRow("own colour") << Row{" 买牛奶\n", "#dc445b"} << "买牛奶" << QColor("#dc445b")
                                    << QColor();
        QTest::newRow("colour without #") << Row{"a", "10b56c"} << "a" << QColor("#10b56c") << QColor();
        QTest::newRow("empty colour") << Row{"a", ""} << "a" << QColor("#3a3a3a") << QColor();
        QTest::newRow("unreadable colour") << Row{"a", "zz"} << "a" << QColor("#3a3a3a") << QColor();
        QTest::newRow("only white space")
            << Row{" \n\t \n", "#dc445b"} << "" << QColor("#dc445b") << QColor();
        QTest::newRow("completed") << Row{"a", "#dc445b", true} << "a" << QColor("#adadad")
                                   << QColor("#e35d5d");
    }
    void noteLine()
    {
        QFETCH(Row, row);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QFETCH(QColor, strike);
        const NoteDetail *n = make(row, none);
        const NoteRowLook look = NoteRowFormatter::format(n, n->remind(), 5);
        QCOMPARE(look.text, text);
        QCOMPARE(look.textColor, color);
        QCOMPARE(look.strikeColor, strike);
        QVERIFY(!look.showLine);
        QCOMPARE(look.height, 41);
        QCOMPARE(look.dotColor, QColor("#999999"));
    }

    // The reminder line in both calendars, Wi-Fi, important, snoozed, cleared and completed.
    void reminderLine_data()
    {
        QTest::addColumn<Row>("row");
        QTest::addColumn<Remind>("remind");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("icon"); // "date", "wifi", "" (none) or "-" (no line)
        QTest::addColumn<bool>("red");
        QTest::addColumn<QString>("star"); // tip, "-" for no star
        QTest::addColumn<int>("starRight");
        QTest::addColumn<QString>("delay"); // tip, "-" for none
        const Row open;
        QTest::newRow("today, ahead") << open << Remind{.real = "2026/3/6 18:30:00"} << "今天 18:30"
                                      << ""
                                      << "date" << false << "-" << 8 << "-";
        QTest::newRow("tomorrow") << open << Remind{.real = "2026/3/7 08:05:00"} << "明天 08:05"
                                  << ""
                                  << "date" << false << "-" << 8 << "-";
        QTest::newRow("later, daily")
            << open << Remind{.real = "2026/4/15 09:00:00", .cycle = 1, .interval = 1} << "4月15日 09:00"
            << "每天"
            << "date" << false << "-" << 8 << "-";
        QTest::newRow("past, every 2 weeks on chosen days")
            << open << Remind{.real = "2026/3/5 09:00:00", .cycle = 2, .interval = 2, .specific = "1,3"}
            << "3月5日 09:00"
            << "每2周 周一、周三"
            << "date" << true << "-" << 8 << "-";
        QTest::newRow("lunar, monthly")
            << open << Remind{.dateType = 1, .real = "2026/3/19 09:00:00", .cycle = 3, .interval = 1}
            << "2026年二月初一 09:00"
            << "每月"
            << "date" << false << "-" << 8 << "-";
        QTest::newRow("lunar, yearly on chosen months")
            << open
            << Remind{.dateType = 1, .real = "2026/4/17 09:00:00", .cycle = 5, .interval = 1, .specific = "3"}
            << "三月初一 09:00"
            << "每年 三月"
            << "date" << false << "-" << 8 << "-";
        QTest::newRow("important, due")
            << open << Remind{.real = "2026/3/6 09:58:00", .rType = 1} << "今天 09:58"
            << ""
            << "date" << true << "2026/3/6 10:03:00" << 8 << "-";
        QTest::newRow("important, snoozed")
            << open << Remind{.real = "2026/3/6 09:00:00", .rType = 1, .delay = "2026/3/6 10:30:00"}
            << "今天 09:00"
            << ""
            << "date" << false << "2026/3/6 10:30:00" << 30 << "2026/3/6 10:30:00";
        QTest::newRow("snooze over") << open
                                     << Remind{.real = "2026/3/6 09:00:00", .delay = "2026/3/6 09:30:00"}
                                     << "今天 09:00"
                                     << ""
                                     << "date" << true << "-" << 8 << "-";
        QTest::newRow("unreadable occurrence") << open << Remind{.real = "soon"} << ""
                                               << ""
                                               << "" << false << "-" << 8 << "-";
        QTest::newRow("wifi join, any network") << open << Remind{.wifi = "0"} << "连接:任意无线"
                                                << ""
                                                << "wifi" << false << "-" << 8 << "-";
        QTest::newRow("wifi leave, two networks, fired")
            << open << Remind{.wifi = "12,34", .wifiType = 1, .wifiStatus = 1} << "断开:家;Office"
            << ""
            << "wifi" << true << "-" << 8 << "-";
        QTest::newRow("cleared") << open << Remind{.actionType = 3, .real = "2026/3/5 09:00:00", .rType = 1}
                                 << ""
                                 << ""
                                 << "-" << false << "-" << 8 << "-";
        QTest::newRow("neither date nor networks") << open << Remind{.cycle = 1, .interval = 1} << ""
                                                   << ""
                                                   << "-" << false << "-" << 8 << "-";
        QTest::newRow("completed, still due")
            << Row{"a", "", true} << Remind{.real = "2026/3/5 09:00:00"} << "3月5日 09:00"
            << ""
            << "date" << true << "-" << 8 << "-";
    }
    void reminderLine()
    {
        QFETCH(Row, row);
        QFETCH(Remind, remind);
        QFETCH(QString, date);
        QFETCH(QString, interval);
        QFETCH(QString, icon);
        QFETCH(bool, red);
        QFETCH(QString, star);
        QFETCH(int, starRight);
        QFETCH(QString, delay);
        const NoteDetail *n = make(row, remind);
        const NoteRowLook look = NoteRowFormatter::format(n, n->remind(), 5);
        QCOMPARE(look.showLine, icon != "-");
        QCOMPARE(look.height, icon != "-" ? 56 : 41);
        QCOMPARE(look.dotColor, red ? QColor("#ff3300") : QColor("#999999"));
        if (icon == "-")
            return;
        QCOMPARE(look.dateText, date);
        QCOMPARE(look.intervalText, interval);
        const NoteRowLook::LineIcon expectedIcon = icon == "date"   ? NoteRowLook::LineIcon::Date
                                                   : icon == "wifi" ? NoteRowLook::LineIcon::WiFi
                                                                    : NoteRowLook::LineIcon::None;
        QCOMPARE(look.lineIcon, expectedIcon);
        QCOMPARE(look.showStar, star != "-");
        if (look.showStar) {
            QCOMPARE(look.starTip, star);
            QCOMPARE(look.starRight, starRight);
        }
        QCOMPARE(look.showDelay, delay != "-");
        if (look.showDelay)
            QCOMPARE(look.delayTip, delay);
    }

    void syncIcon()
    {
        const NoteDetail *n = make(Row{"a", "", false, true}, none);
        QVERIFY(NoteRowFormatter::format(n, nullptr, 5).showSyncIcon);
    }

    // The row menu: the completion title, what can be cleared, and the one snooze item at the end.
    void menu_data()
    {
        QTest::addColumn<Row>("row");
        QTest::addColumn<Remind>("remind");
        QTest::addColumn<QString>("complete");
        QTest::addColumn<bool>("clearRemind");
        QTest::addColumn<bool>("clearImportant");
        QTest::addColumn<int>("last"); // 1001, 1002 or 0 for neither
        const Row open;
        QTest::newRow("no reminder") << open << none << "完成" << false << false << 0;
        QTest::newRow("completed") << Row{"a", "", true} << none << "撤回" << false << false << 0;
        QTest::newRow("ahead") << open << Remind{.real = "2026/3/6 18:00:00"} << "完成" << true << false << 0;
        QTest::newRow("due now") << open << Remind{.real = "2026/3/6 10:00:00"} << "完成" << true << false
                                 << 1001;
        QTest::newRow("past, important")
            << open << Remind{.real = "2026/3/1 10:00:00", .rType = 1} << "完成" << true << true << 1001;
        QTest::newRow("snoozed") << open << Remind{.real = "2026/3/1 10:00:00", .delay = "2026/3/6 10:30:00"}
                                 << "完成" << true << false << 1002;
        QTest::newRow("snooze over") << open
                                     << Remind{.real = "2026/3/1 10:00:00", .delay = "2026/3/6 9:30:00"}
                                     << "完成" << true << false << 1001;
        QTest::newRow("cleared") << open << Remind{.actionType = 3, .real = "2026/3/1 10:00:00", .rType = 1}
                                 << "完成" << false << true << 0;
        QTest::newRow("wifi") << open << Remind{.wifi = "12"} << "完成" << true << false << 0;
        QTest::newRow("unreadable occurrence") << open << Remind{.real = "x"} << "完成" << true << false << 0;
    }
    void menu()
    {
        QFETCH(Row, row);
        QFETCH(Remind, remind);
        QFETCH(QString, complete);
        QFETCH(bool, clearRemind);
        QFETCH(bool, clearImportant);
        QFETCH(int, last);
        const NoteRowMenu menu = NoteRowMenu::forNote(make(row, remind));
        QVERIFY(menu.isVisible());
        QList<NoteRowMenu::Item> expected{
            {1003, "复制", true}, {1006, complete, true},          {1007, "删除", true},
            {0, {}, true},        {1004, "清除提醒", clearRemind}, {1005, "清除重要", clearImportant},
        };
        if (last)
            expected << NoteRowMenu::Item{last, last == 1001 ? "延时" : "清除延时", true};
        QCOMPARE(menu.items(), expected);
    }

    void menuBelowTheRows() { QVERIFY(!NoteRowMenu().isVisible()); }
};

PRELVANE_TEST_CORE_MAIN(TestNoteRows)
#include "tst_noterows.moc"
