#include "app/services/Services.h"
#include "core/model/UserSet.h"
#include "notes/reminderwindow/presenter/DateRemindPresenter.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QSignalSpy>

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(10, 15, 42));

QDateTime at(int y, int m, int d, int h = 10, int mi = 15, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}

// The value the window opens with; each setter names one field.
struct Value
{
    quint64 cycleType = 0;
    qint64 interval = 1;
    QString specify;
    QString real = QStringLiteral("2026/12/9 10:15:00");
    QString end;
    quint64 dateType = 0;
    quint64 star = 0;

    Value &cycle(quint64 v) { return cycleType = v, *this; }
    Value &every(qint64 v) { return interval = v, *this; }
    Value &on(const QString &v) { return specify = v, *this; }
    Value &occurrence(const QString &v) { return real = v, *this; }
    Value &until(const QString &v) { return end = v, *this; }
    Value &lunar(quint64 v) { return dateType = v, *this; }
    Value &important(quint64 v) { return star = v, *this; }
};

NoteRemindModel model(const Value &v)
{
    NoteRemindModel m;
    m.setRemindActionType(2);
    m.setRemindCycleType(v.cycleType);
    m.setRemindInterval(v.interval);
    m.setRemindSpecify(v.specify);
    m.setRemindStartTime(QStringLiteral("2026/1/1 8:00:00"));
    m.setRemindRealDateTime(v.real);
    m.setRemindEndTime(v.end);
    m.setRemindDateType(v.dateType);
    m.setRemindStarType(v.star);
    m.setRemindDelayTime(QStringLiteral("2026/12/9 10:20:00"));
    return m;
}

QString dateText(const QDateTime &d)
{
    return d.toString(QStringLiteral("yyyy/M/d H:mm:ss"));
}

} // namespace

Q_DECLARE_METATYPE(NoteRemindModel)
Q_DECLARE_METATYPE(CalendarIdentifier)

class TestDateRemindPresenter : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_store.open(Now));
        m_store.settings()->setImportantRemindInterval(10);
    }
    void cleanup()
    {
        m_graph.reset();
        m_store.close();
    }

    void openingShowsTheRepeat_data()
    {
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<int>("dateType");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("summary");

        QTest::newRow("weekly") << 2 << 1 << "" << 0 << 2 << "";
        QTest::newRow("every 3 weeks") << 2 << 3 << "" << 0 << 6 << "2026年12月9日 10:15 每3周 ";
        QTest::newRow("none with interval 0") << 0 << 0 << "" << 0 << 0 << "";
        QTest::newRow("yearly") << 5 << 1 << "" << 1 << 5 << "";
        QTest::newRow("weekly on chosen days")
            << 2 << 2 << "1,3" << 0 << 6 << "2026年12月9日 10:15 每2周 周一、周三";
        QTest::newRow("lunar monthly on chosen days")
            << 3 << 1 << "1,15" << 1 << 6 << "2026年冬月初一 10:15 每月 初一、十五";
        QTest::newRow("a cycle type no item stands for") << 9 << 1 << "" << 0 << -1 << "";
    }

    void openingShowsTheRepeat()
    {
        QFETCH(int, cycleType);
        QFETCH(int, interval);
        QFETCH(QString, specify);
        QFETCH(int, dateType);
        RecordingFeedback feedback;
        DateRemindPresenter p(
            model(Value().cycle(quint64(cycleType)).every(interval).on(specify).lunar(quint64(dateType))),
            services(feedback));
        QCOMPARE(p.isLunar(), dateType != 0);
        QTEST(p.repeatIndex(), "index");
        QTEST(p.summary(), "summary");
    }

    void openingShowsTheDates_data()
    {
        QTest::addColumn<QString>("real");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<bool>("endOn");
        QTest::addColumn<QDateTime>("endDate");

        // Offered from the clock to the minute: the pickers cannot show seconds.
        const QDateTime nowToTheMinute(Now.date(), QTime(10, 15));
        const QDateTime dayLater = nowToTheMinute.addSecs(86400);
        QTest::newRow("the current occurrence and an end")
            << "2027/2/3 7:30:15"
            << "2027/5/1 9:00" << at(2027, 2, 3, 7, 30, 15) << true << at(2027, 5, 1, 9, 0);
        QTest::newRow("no end") << "2027/2/3 7:30:15" << QString() << at(2027, 2, 3, 7, 30, 15) << false
                                << dayLater;
        QTest::newRow("an empty end") << "2027/2/3 7:30:15"
                                      << "" << at(2027, 2, 3, 7, 30, 15) << false << dayLater;
        QTest::newRow("unreadable dates count as none") << "2027-02-03"
                                                        << "soon" << nowToTheMinute << false << dayLater;
        QTest::newRow("no date at all") << QString() << QString() << nowToTheMinute << false << dayLater;
    }

    void openingShowsTheDates()
    {
        QFETCH(QString, real);
        QFETCH(QString, end);
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().occurrence(real).until(end)), services(feedback));
        QVERIFY(p.isStartEnabled());
        QTEST(p.startDate(), "start");
        QTEST(p.isEndEnabled(), "endOn");
        QTEST(p.endDate(), "endDate");
    }

    void importantTitle_data()
    {
        QTest::addColumn<bool>("settingsRow");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("title");
        QTest::newRow("the user's interval") << true << 30 << "每30分钟提醒";
        QTest::newRow("none set counts as 5") << true << 0 << "每5分钟提醒";
        QTest::newRow("negative counts as 5") << true << -3 << "每5分钟提醒";
        QTest::newRow("no settings row counts as 5") << false << 0 << "每5分钟提醒";
    }

    void importantTitle()
    {
        QFETCH(bool, settingsRow);
        QFETCH(int, minutes);
        RecordingFeedback feedback;
        m_store.settings()->setImportantRemindInterval(qint16(minutes));
        if (!settingsRow)
            m_store.ctx()->deleteAll<UserSet>();
        DateRemindPresenter p(model(Value().important(1)), services(feedback));
        QVERIFY(p.isImportant());
        QTEST(p.importantTitle(), "title");
    }

    // Each plain choice, in either calendar, comes back from confirm as the value the engine stores.
    void plainChoicesRoundTrip_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("lunar");
        for (int i = 0; i < 6; ++i) {
            const QString title = DateRemindPresenter::repeatTitles()[i];
            QTest::addRow("%s", qPrintable(title)) << i << false;
            QTest::addRow("%s lunar", qPrintable(title)) << i << true;
        }
    }

    void plainChoicesRoundTrip()
    {
        QFETCH(int, index);
        QFETCH(bool, lunar);
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(3).every(4).on("5,9")), services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        p.setLunar(lunar);
        p.chooseRepeat(index);
        QCOMPARE(p.repeatIndex(), index);
        QCOMPARE(p.summary(), QString());
        p.confirm();
        QCOMPARE(confirmed.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        QCOMPARE(out.remindActionType(), 2u);
        QCOMPARE(out.remindCycleType(), quint64(index));
        QCOMPARE(out.remindInterval(), 1);
        QVERIFY(out.remindSpecify().isNull());
        QCOMPARE(out.remindDateType(), lunar ? 1u : 0u);

        // And opens again as the same choice.
        DateRemindPresenter again(out, services(feedback));
        QCOMPARE(again.repeatIndex(), index);
        QCOMPARE(again.isLunar(), lunar);
        QCOMPARE(again.startDate(), at(2026, 12, 9));
    }

    void confirmBuildsANewDateValue()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value()
                                        .cycle(2)
                                        .every(1)
                                        .occurrence("2026/12/20 18:05:33")
                                        .until("2027/1/1 0:00:00")
                                        .important(0)),
                              services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        QSignalSpy closing(&p, &DateRemindPresenter::closeRequested);
        p.setImportant(true);
        p.confirm();
        QCOMPARE(confirmed.size(), 1);
        QCOMPARE(closing.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        // The current occurrence becomes the start, seconds as the picker holds them.
        QCOMPARE(out.remindStartTime(), QStringLiteral("2026/12/20 18:05:33"));
        QCOMPARE(out.remindRealDateTime(), QStringLiteral("2026/12/20 18:05:33"));
        QCOMPARE(out.remindEndTime(), QStringLiteral("2027/1/1 0:00:00"));
        QCOMPARE(out.remindStarType(), 1u);
        QCOMPARE(out.remindCycleType(), 2u);
        // A confirmed value drops the snooze and is no Wi-Fi reminder.
        QVERIFY(out.remindDelayTime().isNull());
        QVERIFY(out.connectWifiIds().isNull());
        QVERIFY(out.cId().isNull());
        QVERIFY(confirmed.size() == 1 && feedback.messages().isEmpty());
    }

    void aTimeChosenToTheMinuteIsSetToSecondZero()
    {
        // The window opens at 10:15:42 on a note without reminder; the user moves the start to 21:09.
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value()), services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        QCOMPARE(p.startDate().time().second(), 0);
        QCOMPARE(p.endDate().time().second(), 0);
        QDateTime chosen = p.startDate();
        chosen.setTime(QTime(21, 9, p.startDate().time().second()));
        p.setStartDate(chosen);
        p.confirm();
        QCOMPARE(confirmed.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        QCOMPARE(out.remindStartTime(), QStringLiteral("2026/12/9 21:09:00"));
        QCOMPARE(out.remindRealDateTime(), QStringLiteral("2026/12/9 21:09:00"));
    }

    void customRepeat()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(2).every(1)), services(feedback));
        QSignalSpy asked(&p, &DateRemindPresenter::customRepeatRequested);
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);

        // An empty summary ignores clicks.
        p.clickSummary();
        QCOMPARE(asked.size(), 0);

        p.chooseRepeat(DateRemindPresenter::CustomRepeatIndex);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0][0].value<CalendarIdentifier>(), CalendarIdentifier::Gregorian);
        QCOMPARE(asked[0][1].value<NoteRemindModel>().remindCycleType(), 2u);
        QCOMPARE(p.repeatIndex(), DateRemindPresenter::CustomRepeatIndex);

        // The popover was closed without an answer: confirm asks for a custom repeat and keeps the window.
        p.confirm();
        QCOMPARE(feedback.messages(), QStringList{QStringLiteral("请设置自定义提醒")});
        QCOMPARE(confirmed.size(), 0);

        p.applyCustomRepeat(3, 2, QStringLiteral("1,15"));
        QCOMPARE(p.summary(), QStringLiteral("2026年12月9日 10:15 每2月 1号、15号"));
        p.clickSummary();
        QCOMPARE(asked.size(), 2);

        // The summary follows the calendar and the start picker; the value's calendar waits for confirm.
        p.setLunar(true);
        QCOMPARE(p.summary(), QStringLiteral("2026年冬月初一 10:15 每2月 初一、十五"));
        QCOMPARE(p.remind().remindDateType(), 0u);
        p.setStartDate(at(2026, 12, 10, 7, 0));
        QCOMPARE(p.summary(), QStringLiteral("2026年冬月初二 07:00 每2月 初一、十五"));

        p.confirm();
        QCOMPARE(confirmed.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        QCOMPARE(out.remindDateType(), 1u);
        QCOMPARE(out.remindCycleType(), 3u);
        QCOMPARE(out.remindInterval(), 2);
        QCOMPARE(out.remindSpecify(), QStringLiteral("1,15"));
    }

    void aCustomAnswerWithoutRepeatShowsThePlainItem()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(2).every(3)), services(feedback));
        QCOMPARE(p.repeatIndex(), DateRemindPresenter::CustomRepeatIndex);
        p.applyCustomRepeat(5, 1, QString(""));
        QCOMPARE(p.repeatIndex(), 5);
        QCOMPARE(p.summary(), QString());
    }

    void aPlainChoiceAfterACustomRepeat()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(2).every(2).on("1,3")), services(feedback));
        p.chooseRepeat(3);
        QCOMPARE(p.remind().remindCycleType(), 3u);
        QCOMPARE(p.remind().remindInterval(), 1);
        QVERIFY(p.remind().remindSpecify().isNull());
        QCOMPARE(p.summary(), QString());
        // A pick outside the pop-up changes nothing.
        p.chooseRepeat(7);
        p.chooseRepeat(-1);
        QCOMPARE(p.repeatIndex(), 3);
    }

    void calendarSwitchOfAPlainRepeatKeepsTheItem()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(4).every(1)), services(feedback));
        p.setLunar(true);
        QCOMPARE(p.repeatIndex(), 4);
        QCOMPARE(p.summary(), QString());
    }

    void dateChecks_data()
    {
        QTest::addColumn<bool>("startOn");
        QTest::addColumn<bool>("endOn");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("alert"); // empty: confirmed

        const QDateTime t = at(2027, 3, 1, 9, 0);
        QTest::newRow("end after start") << true << true << t << t.addSecs(60) << "";
        QTest::newRow("end equal to start") << true << true << t << t << "结束日期不能小于开始日期";
        QTest::newRow("end before start") << true << true << t << t.addDays(-1) << "结束日期不能小于开始日期";
        QTest::newRow("end box off ignores the end") << true << false << t << t.addDays(-1) << "";
        QTest::newRow("start box off makes no date check") << false << true << t << t.addDays(-1) << "";
    }

    void dateChecks()
    {
        QFETCH(bool, startOn);
        QFETCH(bool, endOn);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QString, alert);
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(1)), services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        QSignalSpy closing(&p, &DateRemindPresenter::closeRequested);
        p.setStartDate(start);
        p.setEndDate(end);
        p.setStartEnabled(startOn);
        p.setEndEnabled(endOn);
        p.confirm();
        if (!alert.isEmpty()) {
            QCOMPARE(feedback.messages(), QStringList{alert});
            QCOMPARE(confirmed.size(), 0);
            QCOMPARE(closing.size(), 0);
            return;
        }
        QCOMPARE(confirmed.size(), 1);
        QCOMPARE(closing.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        if (!startOn) {
            QCOMPARE(out.remindActionType(), 3u);
            QVERIFY(out.remindStartTime().isNull());
            QVERIFY(out.remindEndTime().isNull());
            QCOMPARE(out.remindCycleType(), 0u);
            return;
        }
        QCOMPARE(out.remindStartTime(), dateText(start));
        QCOMPARE(out.remindEndTime(), endOn ? dateText(end) : QString());
        QCOMPARE(out.remindEndTime().isNull(), !endOn);
    }

    void startOffClearsEvenACustomRepeatWithoutValues()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(2)), services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        p.chooseRepeat(DateRemindPresenter::CustomRepeatIndex);
        p.setStartEnabled(false);
        p.confirm();
        // The custom check comes first, as the window shows it.
        QCOMPARE(feedback.messages(), QStringList{QStringLiteral("请设置自定义提醒")});
        QCOMPARE(confirmed.size(), 0);
    }

    void calendarPopover()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().occurrence("2026/12/20 18:05:33").until("2027/1/1 0:00:00")),
                              services(feedback));
        QSignalSpy asked(&p, &DateRemindPresenter::calendarRequested);
        p.openCalendar(DateRemindPresenter::StartDateType);
        p.openCalendar(DateRemindPresenter::EndDateType);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0][0].toDateTime(), at(2026, 12, 20, 18, 5, 33));
        QCOMPARE(asked[0][1].toUInt(), 0u);
        QCOMPARE(asked[1][0].toDateTime(), at(2027, 1, 1, 0, 0));
        QCOMPARE(asked[1][1].toUInt(), 1u);

        p.applyCalendarDate(at(2027, 2, 1, 7, 5), DateRemindPresenter::StartDateType);
        p.applyCalendarDate(at(2027, 3, 1, 7, 5), DateRemindPresenter::EndDateType);
        QCOMPARE(p.startDate(), at(2027, 2, 1, 7, 5));
        QCOMPARE(p.endDate(), at(2027, 3, 1, 7, 5));
    }

    void showingAgainDropsUnconfirmedPickerEdits()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(1).until("2027/1/1 0:00:00")), services(feedback));
        p.setStartDate(at(2027, 6, 1));
        p.setEndEnabled(false);
        p.chooseRepeat(5);
        p.showValue();
        QCOMPARE(p.startDate(), at(2026, 12, 9));
        QVERIFY(p.isEndEnabled());
        QCOMPARE(p.repeatIndex(), 5); // repeat choices are made on the tab's copy and stay
    }

    void cancelHandsBackNothing()
    {
        RecordingFeedback feedback;
        const NoteRemindModel opened = model(Value().cycle(2).every(2).on("1"));
        DateRemindPresenter p(opened, services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        QSignalSpy closing(&p, &DateRemindPresenter::closeRequested);
        p.chooseRepeat(1);
        p.cancel();
        p.confirm();
        QCOMPARE(confirmed.size(), 0);
        QCOMPARE(closing.size(), 1);
    }

    void anUnknownCycleTypePassesUnchanged()
    {
        RecordingFeedback feedback;
        DateRemindPresenter p(model(Value().cycle(9).every(1)), services(feedback));
        QSignalSpy confirmed(&p, &DateRemindPresenter::confirmed);
        p.confirm();
        QCOMPARE(confirmed.size(), 1);
        QCOMPARE(confirmed[0][0].value<NoteRemindModel>().remindCycleType(), 9u);
    }

private:
    // One graph per test function and recorder.
    const Services &services(RecordingFeedback &feedback)
    {
        if (!m_graph || m_graphFeedback != &feedback) {
            m_graph.reset();
            m_graph = std::make_unique<TestGraph>(m_store, ProgramServices::Parts().use(&feedback));
            m_graphFeedback = &feedback;
        }
        return m_graph->services();
    }

    StoreFixture m_store;
    std::unique_ptr<TestGraph> m_graph;
    RecordingFeedback *m_graphFeedback = nullptr;
};

PRELVANE_TEST_CORE_MAIN(TestDateRemindPresenter)
#include "tst_dateRemindPresenter.moc"
