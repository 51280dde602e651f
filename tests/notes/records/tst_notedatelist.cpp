// The due-date list and the records pane's pop-ups over a store: which group
// each kind of reminder falls in, the counts and the order, the rows following
// the store's changes without a reset, the groups moving at midnight, the menu.

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/operations/NoteActionManager.h"
#include "notes/records/presenter/NoteDateGrouping.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteDateListPresenter.h"
#include "notes/records/presenter/NoteRecordPopUpDelegate.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/NoteViewsRig.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

#include <memory>

namespace {

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

QString text(const QDateTime &t)
{
    return QLocale::c().toString(t, QStringLiteral("yyyy/M/d H:mm:ss"));
}

QString at(int days, int hour, int minute = 0, int second = 0)
{
    return text(QDateTime(now().date().addDays(days), QTime(hour, minute, second)));
}

// One note's reminder as a case gives it.
struct Case
{
    QString real = {};
    QString delay = {};
    QString wifi = {};
    int wifiStatus = 0;
    int remindActionType = 2;
    int noteActionType = 0;
    bool completed = false;
    int dateType = 0;
    int cycleType = 0;
};

// A list the pane tells of its pop-ups.
struct RecordingList : NoteRecordPopUpDelegate
{
    QList<NoteRecordPopUps> told;
    void didSelectItemWithPopUps(const NoteRecordPopUps &p) override { told << p; }
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestNoteDateList : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ManualScheduler> m_scheduler;
    NoteViewsRig m_rig;
    std::unique_ptr<NoteDateListPresenter> m_list;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    int m_next = 0;

    Context *ctx() { return m_rig.fx.ctx(); }
    NoteDateListModel *model() { return m_list->model(); }
    void save() { QVERIFY(ctx()->saveAndWait()); }
    NoteDetail *note(const QString &cId) { return ctx()->findFirstByAttribute<NoteDetail>("cId", cId); }

    NoteDetail *add(const QString &cId, const Case &c, Classify *category = nullptr)
    {
        NoteDetail *n = m_rig.fx.note(cId, category ? category : m_rig.work);
        n->setSort(qint16(++m_next));
        n->setNextId(QStringLiteral("-1"));
        n->setIsSync(true);
        n->setActionType(qint16(c.noteActionType));
        n->setIsCompleted(c.completed);
        DateRemind *r = m_rig.fx.remind(n, c.remindActionType);
        r->setRemindDateTime(c.real);
        r->setRemindRealDateTime(c.real);
        r->setRemindDelayTime(c.delay);
        r->setConnectWifiIds(c.wifi);
        r->setRemindWifiStatus(qint16(c.wifiStatus));
        r->setRemindDateType(qint16(c.dateType));
        r->setRemindCycleType(qint16(c.cycleType));
        r->setRemindCycleInterval(1);
        return n;
    }

    void show(int first = 0, const CategoryKey &category = {})
    {
        m_list->didSelectItemWithPopUps(NoteRecordPopUps{first, category.isNull() ? 0 : 1, 0, category});
    }

    // The notes of each group by cId, in order.
    QList<QStringList> groups()
    {
        QList<QStringList> out;
        for (int g = 0; g < NoteDateGrouping::GroupCount; ++g) {
            QStringList ids;
            for (qint64 pk : model()->keys(g))
                ids << ctx()->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk})->cId();
            out << ids;
        }
        return out;
    }
    // Every row as the view shows it: headers "超时 0/3", notes by cId, placeholders "-".
    QStringList rows()
    {
        QStringList out;
        for (int i = 0; i < model()->rowCount(); ++i) {
            const QModelIndex x = model()->index(i);
            switch (model()->kindAt(i)) {
            case NoteDateListModel::Kind::Header:
                out << QStringLiteral("%1 %2/%3")
                           .arg(x.data().toString())
                           .arg(x.data(NoteDateListModel::CountRole).toInt())
                           .arg(x.data(NoteDateListModel::TotalRole).toInt());
                break;
            case NoteDateListModel::Kind::Placeholder:
                out << QStringLiteral("-");
                break;
            case NoteDateListModel::Kind::Note:
                out << x.data(NoteDateListModel::CIdRole).toString();
                break;
            }
        }
        return out;
    }

private slots:
    void init()
    {
        QVERIFY(m_rig.open(now()));
        m_scheduler = std::make_unique<ManualScheduler>();
        m_rig.fx.settings()->setNoteCompleteActionType(0);
        save();
        m_list = std::make_unique<NoteDateListPresenter>(
            m_rig.start(ProgramServices::Parts().use(m_scheduler.get())));
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_rig.record();
        m_next = 0;
    }

    void cleanup()
    {
        m_tester.reset();
        m_list.reset();
        m_rig.close();
        m_scheduler.reset();
    }

    void grouping_data()
    {
        QTest::addColumn<Case>("reminder");
        QTest::addColumn<int>("group"); // -1: not listed

        QTest::newRow("at 08:00 today, seen at 10:00") << Case{at(0, 8)} << 1;
        QTest::newRow("later today") << Case{at(0, 23, 59, 59)} << 1;
        QTest::newRow("today at midnight") << Case{at(0, 0)} << 1;
        QTest::newRow("a second before today") << Case{at(-1, 23, 59, 59)} << 0;
        QTest::newRow("tomorrow at midnight") << Case{at(1, 0)} << 2;
        QTest::newRow("late tomorrow") << Case{at(1, 23, 59, 59)} << 2;
        QTest::newRow("the day after tomorrow") << Case{at(2, 0)} << 3;
        QTest::newRow("next year") << Case{at(365, 9)} << 3;
        QTest::newRow("without seconds") << Case{QStringLiteral("2026/3/6 8:30")} << 1;
        QTest::newRow("yesterday, snoozed to 30 minutes on") << Case{at(-1, 9), at(0, 10, 30)} << 1;
        QTest::newRow("yesterday, snoozed past midnight") << Case{at(-1, 9), at(1, 0, 30)} << 2;
        QTest::newRow("yesterday, the snooze over") << Case{at(-1, 9), at(0, 9, 30)} << 0;
        QTest::newRow("tomorrow, snooze text unreadable") << Case{at(1, 9), QStringLiteral("soon")} << 2;
        QTest::newRow("Wi-Fi fired") << Case{{}, {}, QStringLiteral("9001"), 1} << 0;
        QTest::newRow("Wi-Fi armed") << Case{{}, {}, QStringLiteral("9001"), 0} << 3;
        QTest::newRow("Wi-Fi fired, note completed")
            << Case{{}, {}, QStringLiteral("9001"), 1, 2, 0, true} << 0;
        QTest::newRow("a date and networks, armed: once, as Wi-Fi")
            << Case{at(0, 18), {}, QStringLiteral("9001"), 0} << 3;
        QTest::newRow("completed date reminder") << Case{at(0, 8), {}, {}, 0, 2, 0, true} << -1;
        QTest::newRow("cleared reminder") << Case{at(0, 8), {}, {}, 0, 3} << -1;
        QTest::newRow("cleared Wi-Fi reminder") << Case{{}, {}, QStringLiteral("9001"), 1, 3} << -1;
        QTest::newRow("note marked deleted") << Case{at(0, 8), {}, {}, 0, 2, 3} << -1;
        QTest::newRow("no date") << Case{QString()} << -1;
        QTest::newRow("blank date") << Case{QStringLiteral("  ")} << -1;
        QTest::newRow("unreadable date") << Case{QStringLiteral("2026-03-06 08:00")} << -1;
        QTest::newRow("lunar yearly, stored occurrence tomorrow")
            << Case{at(1, 9), {}, {}, 0, 2, 0, false, 1, 5} << 2;
        QTest::newRow("daily, stored occurrence three days ago")
            << Case{at(-3, 9), {}, {}, 0, 2, 0, false, 0, 1} << 0;
    }

    void grouping()
    {
        QFETCH(Case, reminder);
        QFETCH(int, group);
        add(QStringLiteral("n1"), reminder);
        save();
        show();
        QList<QStringList> expected(NoteDateGrouping::GroupCount);
        if (group >= 0)
            expected[group] << QStringLiteral("n1");
        QCOMPARE(groups(), expected);
        // The same placement when the note arrives by a change set after the list was read.
        ctx()->deleteObject(note(QStringLiteral("n1")));
        save();
        QCOMPARE(model()->total(), 0);
        add(QStringLiteral("n1"), reminder);
        save();
        QCOMPARE(groups(), expected);
    }

    void countsAndPlaceholders()
    {
        show();
        QCOMPARE(rows(), QStringList({"超时 0/0", "-", "今日 0/0", "-", "明日 0/0", "-", "未来 0/0", "-"}));
        add("a", Case{at(0, 8)});
        add("b", Case{at(0, 12)});
        add("c", Case{at(0, 20)});
        save();
        show();
        QCOMPARE(rows(),
                 QStringList({"超时 0/3", "-", "今日 3/3", "a", "b", "c", "明日 0/3", "-", "未来 0/3", "-"}));
        QCOMPARE(model()->index(1).data(NoteDateListModel::HeightRole).toInt(), 30);
        QCOMPARE(model()->index(3).data(NoteDateListModel::HeightRole).toInt(), 56);
    }

    // By the parsed date, not the text (the first of October after the first of September); Wi-Fi
    // notes after the dated ones of their group, both ways; the category filter.
    void orderAndFilter()
    {
        add("oct", Case{QStringLiteral("2026/10/1 9:00:00")});
        add("sep", Case{QStringLiteral("2026/9/1 9:00:00")});
        add("may", Case{QStringLiteral("2026/5/1 9:00:00")}, m_rig.home);
        add("wifi", Case{{}, {}, QStringLiteral("9001")});
        add("soon", Case{at(0, 11), at(0, 23)}); // snoozed: ordered by the snooze time
        add("noon", Case{at(0, 12)});
        save();
        show(0);
        QCOMPARE(groups(), QList<QStringList>({{}, {"noon", "soon"}, {}, {"may", "sep", "oct", "wifi"}}));
        show(1);
        QCOMPARE(groups(), QList<QStringList>({{}, {"soon", "noon"}, {}, {"oct", "sep", "may", "wifi"}}));
        QVERIFY(m_list->currAscending());
        show(0, {m_rig.home->objectId().pk, m_rig.home->classId()});
        QCOMPARE(groups(), QList<QStringList>({{}, {}, {}, {"may"}}));
        QCOMPARE(m_list->currClassId(), QStringLiteral("k2"));
        // A note of another category changing is no concern of the filtered list.
        NoteDetail *n = note("oct");
        n->remind()->setRemindRealDateTime(at(0, 9));
        save();
        QCOMPARE(groups(), QList<QStringList>({{}, {}, {}, {"may"}}));
        // One moving into the category arrives.
        n->setClassify(m_rig.home);
        n->setClassId(m_rig.home->classId());
        save();
        QCOMPARE(groups(), QList<QStringList>({{}, {"oct"}, {}, {"may"}}));
    }

    // A snooze, a completion, a new reminder, a cleared one and a pull's change elsewhere each move
    // rows, with no reset of the list.
    void followsTheStoreWithoutAReset()
    {
        add("late", Case{at(-1, 9)});
        add("today", Case{at(0, 15)});
        add("tomorrow", Case{at(1, 9)});
        add("plain", Case{});
        note("plain")->remind()->setRemindActionType(3);
        save();
        show();
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        QSignalSpy moves(model(), &QAbstractItemModel::rowsMoved);
        QCOMPARE(rows(), QStringList({"超时 1/3", "late", "今日 1/3", "today", "明日 1/3", "tomorrow",
                                      "未来 0/3", "-"}));

        // Snoozed an hour: from overdue to today, where it sorts by the snooze time (11:00).
        QVERIFY(m_rig.graph->services().noteActions->addDelayRemindWithNote(note("late"), 2002));
        QCOMPARE(rows(), QStringList({"超时 0/3", "-", "今日 2/3", "late", "today", "明日 1/3", "tomorrow",
                                      "未来 0/3", "-"}));
        QCOMPARE(moves.size(), 1);

        // A one-shot completed elsewhere: gone, its group's placeholder back.
        m_rig.graph->services().noteActions->completeActionWithNote(note("tomorrow"));
        QCOMPARE(rows(), QStringList({"超时 0/2", "-", "今日 2/2", "late", "today", "明日 0/2", "-",
                                      "未来 0/2", "-"}));

        // A reminder set on another note, and one that a pull moved to next week.
        note("plain")->remind()->setRemindActionType(2);
        note("plain")->remind()->setRemindRealDateTime(at(1, 8));
        note("today")->remind()->setRemindRealDateTime(at(7, 8));
        save();
        QCOMPARE(rows(), QStringList({"超时 0/3", "-", "今日 1/3", "late", "明日 1/3", "plain", "未来 1/3",
                                      "today"}));

        // The reminder row itself goes (a pull removed it).
        ctx()->deleteObject(note("plain")->remind());
        save();
        QCOMPARE(rows(),
                 QStringList({"超时 0/2", "-", "今日 1/2", "late", "明日 0/2", "-", "未来 1/2", "today"}));
        QCOMPARE(resets.size(), 0);
    }

    // At midnight tomorrow's notes are today's and today's overdue; a snooze that ends moves its note back.
    void groupsMoveAtMidnightAndWhenASnoozeEnds()
    {
        add("morning", Case{at(0, 8)});
        add("tomorrow", Case{at(1, 9)});
        add("later", Case{at(2, 9)});
        add("snoozed", Case{at(-1, 9), at(0, 10, 30)});
        save();
        show();
        QCOMPARE(groups(), QList<QStringList>({{}, {"morning", "snoozed"}, {"tomorrow"}, {"later"}}));
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        m_scheduler->advance(31 * 60 * 1000); // 10:31
        QCOMPARE(groups(), QList<QStringList>({{"snoozed"}, {"morning"}, {"tomorrow"}, {"later"}}));
        m_scheduler->advance(QDateTime(now().date().addDays(1), QTime(0, 0)).toMSecsSinceEpoch() -
                             Clock::nowMSecs());
        QCOMPARE(Clock::now(), QDateTime(now().date().addDays(1), QTime(0, 0)));
        QCOMPARE(groups(), QList<QStringList>({{"snoozed", "morning"}, {"tomorrow"}, {"later"}, {}}));
        QCOMPARE(resets.size(), 0);
        // And again the next night.
        m_scheduler->advance(24 * 3600 * 1000LL);
        QCOMPARE(groups(), QList<QStringList>({{"snoozed", "morning", "tomorrow"}, {"later"}, {}, {}}));
    }

    void menuByRow_data()
    {
        QTest::addColumn<Case>("reminder");
        QTest::addColumn<QString>("completeTitle");
        QTest::addColumn<bool>("completeEnabled");
        QTest::newRow("date") << Case{at(0, 8)} << QStringLiteral("完成") << true;
        QTest::newRow("Wi-Fi fired") << Case{{}, {}, QStringLiteral("9001"), 1} << QStringLiteral("完成")
                                     << true;
        QTest::newRow("Wi-Fi armed") << Case{{}, {}, QStringLiteral("9001"), 0} << QStringLiteral("已完成")
                                     << false;
    }

    void menuByRow()
    {
        QFETCH(Case, reminder);
        QFETCH(QString, completeTitle);
        QFETCH(bool, completeEnabled);
        add("n", reminder);
        save();
        show();
        const int row = model()->rowOfKey(note("n")->objectId().pk);
        const NoteDateMenu menu = m_list->openMenu(row);
        QCOMPARE(menu.items(), QList<NoteDateMenu::Item>({{1001, completeTitle, completeEnabled},
                                                          {1004, "删除", true},
                                                          {0, {}, true},
                                                          {1005, "复制", true},
                                                          {1006, "详情", true}}));
        // Headers, placeholders and a click below the rows open nothing.
        QVERIFY(!m_list->openMenu(0).isVisible());
        QVERIFY(!m_list->openMenu(row == 1 ? 3 : 1).isVisible());
        QVERIFY(!m_list->openMenu(-1).isVisible());
        QVERIFY(!m_list->openMenu(model()->rowCount()).isVisible());
        // A disabled "已完成" does nothing when chosen anyway.
        if (!completeEnabled) {
            m_list->triggerMenuItem(row, NoteDateMenu::Complete);
            QCOMPARE(note("n")->actionType(), 0);
            QVERIFY(m_rig.recorder->events.isEmpty());
        }
    }

    void menuSteps()
    {
        add("a", Case{at(0, 8)});
        add("b", Case{at(0, 9)});
        add("daily", Case{at(-1, 9), {}, {}, 0, 2, 0, false, 0, 1});
        NoteDetail *a = note("a");
        a->setContent(QStringLiteral("  取快递  "));
        save();
        show();
        // "复制": the raw text, and the toast.
        m_list->triggerMenuItem(model()->rowOfKey(a->objectId().pk), NoteDateMenu::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("  取快递  "));
        QCOMPARE(m_rig.feedback->toasts(), QStringList({"复制成功"}));
        // "详情": the category column selects the note.
        m_list->triggerMenuItem(model()->rowOfKey(a->objectId().pk), NoteDateMenu::Detail);
        QCOMPARE(m_rig.recorder->events, QStringList({"ReloadLeftHomeList=a"}));
        m_rig.recorder->events.clear();
        // "删除": flagged, pushed, and the list is recounted at once.
        m_list->triggerMenuItem(model()->rowOfKey(a->objectId().pk), NoteDateMenu::Delete);
        QCOMPARE(note("a")->actionType(), 3);
        QCOMPARE(m_rig.recorder->events, QStringList({"SyncPushNoteDatas="}));
        QCOMPARE(rows(),
                 QStringList({"超时 1/2", "daily", "今日 1/2", "b", "明日 0/2", "-", "未来 0/2", "-"}));
        // "完成" on a daily reminder moves it on to its next day; on a one-shot it leaves the list.
        m_list->triggerMenuItem(model()->rowOfKey(note("daily")->objectId().pk), NoteDateMenu::Complete);
        QCOMPARE(rows(),
                 QStringList({"超时 0/2", "-", "今日 1/2", "b", "明日 1/2", "daily", "未来 0/2", "-"}));
        m_list->triggerMenuItem(model()->rowOfKey(note("b")->objectId().pk), NoteDateMenu::Complete);
        QVERIFY(note("b")->isCompleted());
        QCOMPARE(rows(),
                 QStringList({"超时 0/1", "-", "今日 0/1", "-", "明日 1/1", "daily", "未来 0/1", "-"}));
        QCOMPARE(m_rig.recorder->events.filter("SyncPushNoteDatas").size(), 3);
    }

    void signOutDropsTheRows()
    {
        add("a", Case{at(0, 8)});
        save();
        m_rig.graph->services().session->signIn(QStringLiteral("77"));
        show();
        QCOMPARE(model()->total(), 1);
        m_rig.graph->services().session->signOut();
        QCOMPARE(model()->total(), 0);
        QVERIFY(!model()->isLoaded());
    }

    // The pane: the first showing, a segment switch resets the pop-ups, every choice reaches the list
    // shown, a showing of the pane starts over, categories marked deleted are not offered.
    void recordsPanePopUps()
    {
        m_rig.fx.category("k3", "旧的")->setActionType(3);
        m_rig.work->setSort(2);
        m_rig.home->setSort(1);
        save();
        NoteRecordPresenter pane(m_rig.graph->services());
        RecordingList dates, history;
        pane.setList(NoteRecordPresenter::DueDates, &dates);
        pane.setList(NoteRecordPresenter::History, &history);
        pane.paneShown();
        QCOMPARE(pane.items(0), QStringList({"最先到期", "最晚到期"}));
        QCOMPARE(pane.items(1), QStringList({"全部分类", "生活", "工作"}));
        QVERIFY(!pane.isThirdVisible());
        QCOMPARE(dates.told, QList<NoteRecordPopUps>{NoteRecordPopUps{}});

        pane.popUpAction(NoteRecordPresenter::FirstPopUp, 1);
        pane.popUpAction(NoteRecordPresenter::SecondPopUp, 2);
        QCOMPARE(dates.told.last(), (NoteRecordPopUps{1, 2, 0, {m_rig.work->objectId().pk, "k1"}}));
        // The third pop-up is hidden on this segment: a report of it changes nothing.
        pane.popUpAction(NoteRecordPresenter::ThirdPopUp, 1);
        QCOMPARE(dates.told.size(), 3);

        // To the history and back: each list told its reset filters; a new category shows from then on.
        m_rig.fx.category("k4", "新的")->setSort(3);
        save();
        pane.segmentedAction(NoteRecordPresenter::History);
        QCOMPARE(pane.items(0), QStringList({"全部类型", "新增", "修改", "删除"}));
        QCOMPARE(pane.items(2).size(), 7);
        QVERIFY(pane.isThirdVisible());
        QCOMPARE(history.told, QList<NoteRecordPopUps>{NoteRecordPopUps{}});
        pane.popUpAction(NoteRecordPresenter::ThirdPopUp, 3);
        QCOMPARE(history.told.last().third, 3);
        QCOMPARE(dates.told.size(), 3); // only the list shown hears
        pane.segmentedAction(NoteRecordPresenter::DueDates);
        QCOMPARE(dates.told.last(), NoteRecordPopUps{});
        QCOMPARE(pane.items(1), QStringList({"全部分类", "生活", "工作", "新的"}));
        QCOMPARE(pane.items(2), QStringList());

        // The completed list is not there yet: switching to it tells nobody.
        pane.segmentedAction(NoteRecordPresenter::Completed);
        QCOMPARE(pane.items(0).first(), QStringLiteral("全部时间"));
        pane.popUpAction(NoteRecordPresenter::FirstPopUp, 2);
        QCOMPARE(dates.told.size(), 4);
        QCOMPARE(history.told.size(), 2);

        // Shown again after a filter was chosen: the pop-ups start over and the list shown is told.
        pane.segmentedAction(NoteRecordPresenter::DueDates);
        pane.popUpAction(NoteRecordPresenter::FirstPopUp, 1);
        pane.paneShown();
        QCOMPARE(pane.selectedIndex(0), 0);
        QCOMPARE(dates.told.last(), NoteRecordPopUps{});
    }
};

PRELVANE_TEST_MAIN(TestNoteDateList)
#include "tst_notedatelist.moc"
