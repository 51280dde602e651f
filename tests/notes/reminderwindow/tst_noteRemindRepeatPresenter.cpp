#include "core/model/NoteRemindModel.h"
#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/presenter/RemindRepeatSummary.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

namespace {

constexpr auto Greg = CalendarIdentifier::Gregorian;
constexpr auto Lunar = CalendarIdentifier::Chinese;

NoteRemindModel remind(quint64 cycleType, qint64 interval, const QString &specify)
{
    NoteRemindModel m;
    m.setRemindCycleType(cycleType);
    m.setRemindInterval(interval);
    m.setRemindSpecify(specify);
    return m;
}

QList<int> chosenPositions(const NoteRemindRepeatPresenter &p)
{
    QList<int> positions;
    for (int i = 0; i < p.labels().size(); ++i) {
        if (p.isChosen(i))
            positions.append(i);
    }
    return positions;
}

} // namespace

Q_DECLARE_METATYPE(CalendarIdentifier)

class TestNoteRemindRepeatPresenter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void opening_data()
    {
        QTest::addColumn<CalendarIdentifier>("cal");
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("shownInterval");
        QTest::addColumn<int>("labelCount");
        QTest::addColumn<int>("gridHeight");
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<QString>("handedBack");

        QTest::newRow("weekly Monday and Wednesday every 2")
            << Greg << 2 << 2 << "1,3"
            << "周" << 2 << 7 << 43 << QList<int>{0, 2} << "1,3";
        QTest::newRow("lunar weekly has the same weekdays") << Lunar << 2 << 1 << "7"
                                                            << "周" << 1 << 7 << 43 << QList<int>{6} << "7";
        QTest::newRow("monthly days in text order")
            << Greg << 3 << 1 << "31,1,15"
            << "月" << 1 << 31 << 175 << QList<int>{0, 14, 30} << "1,15,31";
        QTest::newRow("lunar monthly thirtieth") << Lunar << 3 << 1 << "30"
                                                 << "月" << 1 << 30 << 175 << QList<int>{29} << "30";
        QTest::newRow("lunar monthly keeps a 31st it cannot show")
            << Lunar << 3 << 1 << "31,2"
            << "月" << 1 << 30 << 175 << QList<int>{1} << "2,31";
        QTest::newRow("yearly months") << Greg << 5 << 3 << "12,3"
                                       << "年" << 3 << 12 << 76 << QList<int>{2, 11} << "3,12";
        QTest::newRow("lunar yearly months") << Lunar << 5 << 1 << "1"
                                             << "年" << 1 << 12 << 76 << QList<int>{0} << "1";
        QTest::newRow("daily has no grid") << Greg << 1 << 5 << ""
                                           << "天" << 5 << 0 << 0 << QList<int>{} << "";
        QTest::newRow("quarterly keeps values it cannot show")
            << Lunar << 4 << 2 << "15"
            << "季度" << 2 << 0 << 0 << QList<int>{} << "15";
        QTest::newRow("no repeat opens as days") << Greg << 0 << 0 << ""
                                                 << "天" << 1 << 0 << 0 << QList<int>{} << "";
        QTest::newRow("an unknown cycle type opens as days") << Greg << 9 << 4 << ""
                                                             << "天" << 4 << 0 << 0 << QList<int>{} << "";
        QTest::newRow("interval above the limit") << Greg << 1 << 150 << ""
                                                  << "天" << 99 << 0 << 0 << QList<int>{} << "";
        QTest::newRow("negative interval") << Greg << 2 << -3 << ""
                                           << "周" << 1 << 7 << 43 << QList<int>{} << "";
        QTest::newRow("empty and broken elements are no values")
            << Greg << 2 << 1 << "1,, 3,x,0,-2,"
            << "周" << 1 << 7 << 43 << QList<int>{0, 2} << "1,3";
        QTest::newRow("repeated values count once") << Greg << 3 << 1 << "5,5,05"
                                                    << "月" << 1 << 31 << 175 << QList<int>{4} << "5";
    }

    void opening()
    {
        QFETCH(CalendarIdentifier, cal);
        QFETCH(int, cycleType);
        QFETCH(int, interval);
        QFETCH(QString, specify);

        NoteRemindRepeatPresenter p(cal, remind(cycleType, interval, specify));
        QTEST(p.unitTitle(), "unit");
        QTEST(p.interval(), "shownInterval");
        QTEST(int(p.labels().size()), "labelCount");
        QTEST(p.gridHeight(), "gridHeight");
        QCOMPARE(p.hasGrid(), !p.labels().isEmpty());
        QTEST(chosenPositions(p), "chosen");
        QTEST(p.specifyText(), "handedBack");
    }

    void labels_data()
    {
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<CalendarIdentifier>("cal");
        QTest::addColumn<QStringList>("some"); // first, second, last

        QTest::newRow("weekdays") << 2 << Greg << QStringList{"周一", "周二", "周日"};
        QTest::newRow("lunar weekdays") << 2 << Lunar << QStringList{"周一", "周二", "周日"};
        QTest::newRow("days of the month") << 3 << Greg << QStringList{"1号", "2号", "31号"};
        QTest::newRow("lunar days") << 3 << Lunar << QStringList{"初一", "初二", "三十"};
        QTest::newRow("months") << 5 << Greg << QStringList{"1月", "2月", "12月"};
        QTest::newRow("lunar months") << 5 << Lunar << QStringList{"正月", "二月", "腊月"};
    }

    void labels()
    {
        QFETCH(int, cycleType);
        QFETCH(CalendarIdentifier, cal);
        QFETCH(QStringList, some);
        const QStringList labels = NoteRemindRepeatPresenter::labelsFor(cycleType, cal);
        QCOMPARE((QStringList{labels.value(0), labels.value(1), labels.value(labels.size() - 1)}), some);
    }

    void lunarDayLabelsInOrder()
    {
        const QStringList labels = NoteRemindRepeatPresenter::labelsFor(3, Lunar);
        QCOMPARE(labels[9], QStringLiteral("初十"));
        QCOMPARE(labels[19], QStringLiteral("二十"));
        QCOMPARE(labels[20], QStringLiteral("廿一"));
        QCOMPARE(NoteRemindRepeatPresenter::labelsFor(5, Lunar)[10], QStringLiteral("冬月"));
    }

    void changingTheUnitStartsAfresh()
    {
        NoteRemindRepeatPresenter p(Greg, remind(2, 2, "1,3"));
        QSignalSpy changed(&p, &NoteRemindRepeatPresenter::changed);

        p.selectUnit(2);
        QCOMPARE(p.cycleType(), 3);
        QCOMPARE(p.unitTitle(), QStringLiteral("月"));
        QCOMPARE(p.labels().size(), 31);
        QCOMPARE(p.interval(), 1);
        QCOMPARE(p.specifyText(), QString());

        p.selectUnit(1);
        QCOMPARE(p.unitTitle(), QStringLiteral("周"));
        QCOMPARE(p.interval(), 1);
        QVERIFY(chosenPositions(p).isEmpty());
        QCOMPARE(changed.size(), 2);

        p.selectUnit(5);
        p.selectUnit(-1);
        QCOMPARE(p.unitIndex(), 1);
        QCOMPARE(changed.size(), 2);
    }

    void togglingValues()
    {
        NoteRemindRepeatPresenter p(Greg, remind(3, 1, ""));
        for (int position : {9, 1, 0, 4})
            p.toggle(position);
        p.toggle(4); // off again
        QCOMPARE(p.specifyText(), QStringLiteral("1,2,10"));
        QVERIFY(p.isChosen(9));
        QVERIFY(!p.isChosen(4));

        // Positions outside the grid are not values.
        QSignalSpy changed(&p, &NoteRemindRepeatPresenter::changed);
        p.toggle(31);
        p.toggle(-1);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(p.specifyText(), QStringLiteral("1,2,10"));
    }

    void aValueTheGridLacksCannotBeToggledOff()
    {
        NoteRemindRepeatPresenter p(Lunar, remind(3, 1, "31"));
        p.toggle(30);
        p.toggle(29);
        QCOMPARE(p.specifyText(), QStringLiteral("30,31"));
    }

    void noGridMeansNothingToToggle()
    {
        NoteRemindRepeatPresenter p(Greg, remind(1, 3, ""));
        p.toggle(0);
        QCOMPARE(p.specifyText(), QString());
    }

    void intervalLimits_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("kept");
        QTest::newRow("lowest") << 1 << 1;
        QTest::newRow("highest") << 99 << 99;
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("negative") << -5 << 1;
        QTest::newRow("above") << 100 << 99;
        QTest::newRow("inside") << 14 << 14;
    }

    void intervalLimits()
    {
        QFETCH(int, typed);
        NoteRemindRepeatPresenter p(Greg, remind(1, 7, ""));
        p.setInterval(typed);
        QTEST(p.interval(), "kept");
    }

    void confirmHandsBackTheThreeValues_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QList<int>>("toggled");
        QTest::addColumn<uint>("cycleType");
        QTest::addColumn<QString>("specify");

        QTest::newRow("every 3 days") << 0 << 3 << QList<int>{} << 1u << "";
        QTest::newRow("every 2 weeks on Friday and Monday") << 1 << 2 << QList<int>{4, 0} << 2u << "1,5";
        QTest::newRow("monthly on the 10th, 2nd and 1st") << 2 << 1 << QList<int>{9, 1, 0} << 3u << "1,2,10";
        QTest::newRow("every 99 quarters") << 3 << 99 << QList<int>{} << 4u << "";
        QTest::newRow("yearly, nothing chosen") << 4 << 1 << QList<int>{} << 5u << "";
    }

    void confirmHandsBackTheThreeValues()
    {
        QFETCH(int, unit);
        QFETCH(int, interval);
        QFETCH(QList<int>, toggled);

        NoteRemindRepeatPresenter p(Greg, remind(0, 1, ""));
        QSignalSpy configured(&p, &NoteRemindRepeatPresenter::configured);
        QSignalSpy closing(&p, &NoteRemindRepeatPresenter::closeRequested);
        p.selectUnit(unit);
        p.setInterval(interval);
        for (int position : toggled)
            p.toggle(position);
        p.confirm();

        QCOMPARE(configured.size(), 1);
        QTEST(configured[0][0].toUInt(), "cycleType");
        QCOMPARE(configured[0][1].toLongLong(), qint64(interval));
        QTEST(configured[0][2].toString(), "specify");
        QCOMPARE(closing.size(), 1);

        // Closed: no further answer.
        p.toggle(0);
        p.confirm();
        p.cancel();
        QCOMPARE(configured.size(), 1);
        QCOMPARE(closing.size(), 1);
    }

    void cancelHandsBackNothing()
    {
        NoteRemindRepeatPresenter p(Greg, remind(2, 2, "1"));
        QSignalSpy configured(&p, &NoteRemindRepeatPresenter::configured);
        QSignalSpy closing(&p, &NoteRemindRepeatPresenter::closeRequested);
        p.toggle(3);
        p.cancel();
        p.confirm();
        QCOMPARE(configured.size(), 0);
        QCOMPARE(closing.size(), 1);
    }

    void summaries_data()
    {
        QTest::addColumn<CalendarIdentifier>("cal");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<QString>("text");

        const QDateTime dec9(QDate(2026, 12, 9), QTime(10, 15));
        const QDateTime jan15(QDate(2026, 1, 15), QTime(8, 5));
        QTest::newRow("every 3 days") << Greg << dec9 << 1 << 3 << ""
                                      << "2026年12月9日 10:15 每3天 ";
        QTest::newRow("every 2 weeks on Monday and Wednesday") << Greg << dec9 << 2 << 2 << "1,3"
                                                               << "2026年12月9日 10:15 每2周 周一、周三";
        QTest::newRow("monthly on days") << Greg << dec9 << 3 << 1 << "1,15,31"
                                         << "2026年12月9日 10:15 每月 1号、15号、31号";
        QTest::newRow("every 2 quarters") << Greg << dec9 << 4 << 2 << ""
                                          << "2026年12月9日 10:15 每2季度 ";
        QTest::newRow("yearly in months") << Greg << dec9 << 5 << 1 << "3,9"
                                          << "2026年12月9日 10:15 每年 3月、9月";
        QTest::newRow("lunar weekly") << Lunar << dec9 << 2 << 2 << "1,3"
                                      << "2026年冬月初一 10:15 每2周 周一、周三";
        QTest::newRow("lunar monthly before the lunar new year") << Lunar << jan15 << 3 << 1 << "1,15"
                                                                 << "2025年冬月廿七 08:05 每月 初一、十五";
        QTest::newRow("lunar monthly keeps only days it can name") << Lunar << dec9 << 3 << 4 << "30,31"
                                                                   << "2026年冬月初一 10:15 每4月 三十";
        QTest::newRow("lunar yearly") << Lunar << dec9 << 5 << 1 << "1,12"
                                      << "2026年冬月初一 10:15 每年 正月、腊月";
        QTest::newRow("lunar in a leap month shows its month's name")
            << Lunar << QDateTime(QDate(2025, 8, 1), QTime(7, 0)) << 5 << 2 << ""
            << "2025年六月初八 07:00 每2年 ";
        QTest::newRow("unknown cycle type has no repeat text") << Greg << dec9 << 8 << 3 << "1"
                                                               << "2026年12月9日 10:15  ";
    }

    void summaries()
    {
        QFETCH(CalendarIdentifier, cal);
        QFETCH(QDateTime, start);
        QFETCH(int, cycleType);
        QFETCH(int, interval);
        QFETCH(QString, specify);
        QTEST(RemindRepeatSummary::text(cal, start, cycleType, interval, specify), "text");
    }

    // What the popover hands back reads back in the date tab's summary, in either calendar.
    void popoverResultInTheSummary_data()
    {
        QTest::addColumn<CalendarIdentifier>("cal");
        QTest::addColumn<QString>("text");
        QTest::newRow("Gregorian") << Greg << "2026年12月9日 10:15 每2年 1月、12月";
        QTest::newRow("lunar") << Lunar << "2026年冬月初一 10:15 每2年 正月、腊月";
    }

    void popoverResultInTheSummary()
    {
        QFETCH(CalendarIdentifier, cal);
        NoteRemindRepeatPresenter p(cal, remind(1, 1, ""));
        QSignalSpy configured(&p, &NoteRemindRepeatPresenter::configured);
        p.selectUnit(4);
        p.setInterval(2);
        p.toggle(11);
        p.toggle(0);
        p.confirm();
        QCOMPARE(configured.size(), 1);
        const int cycleType = int(configured[0][0].toUInt());
        const qint64 interval = configured[0][1].toLongLong();
        const QString specify = configured[0][2].toString();
        QVERIFY(!RemindRepeatSummary::isPlain(specify, interval));
        QTEST(RemindRepeatSummary::text(cal, QDateTime(QDate(2026, 12, 9), QTime(10, 15)), cycleType,
                                        interval, specify),
              "text");
    }

    void plainOrCustom_data()
    {
        QTest::addColumn<QString>("specify");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("plain");
        QTest::newRow("nothing chosen, interval 1") << "" << 1 << true;
        QTest::newRow("interval 0") << "" << 0 << true;
        QTest::newRow("interval 3") << "" << 3 << false;
        QTest::newRow("a chosen value") << "2" << 1 << false;
    }

    void plainOrCustom()
    {
        QFETCH(QString, specify);
        QFETCH(int, interval);
        QTEST(RemindRepeatSummary::isPlain(specify, interval), "plain");
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteRemindRepeatPresenter)
#include "tst_noteRemindRepeatPresenter.moc"
