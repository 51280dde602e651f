// The completed list's presenter against the stand-in service: how a showing
// brings the mirror up to date and what the list shows while and after it does,
// the more button, the filters over the whole mirror, the badge and the menu.

#include "core/model/NoteComplete.h"
#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/presenter/NoteCompleteListPresenter.h"
#include "notes/records/presenter/NoteCompleteSource.h"
#include "platform/store/Context.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/sync/RecordPager.h"
#include "tests/notes/DeviceRig.h"
#include "tests/support/TestEnv.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Records from..to on the service: text "完成 <tId>", category "7" for even ids and "8" for odd ones.
void serve(DeviceRig &rig, qint64 from, qint64 to,
           const QString &completedTime = QStringLiteral("2026/3/1 8:00:00"))
{
    NoteSyncHandlers::Data &d = rig.s.notes->data(rig.account());
    for (qint64 t = from; t <= to; ++t)
        d.completions.insert(t, QJsonObject{{"tId", QString::number(t)},
                                            {"cId", QStringLiteral("c%1").arg(t)},
                                            {"classId", t % 2 ? "8" : "7"},
                                            {"content", QStringLiteral("完成 %1").arg(t)},
                                            {"completedTime", completedTime},
                                            {"terminalId", 1}});
}

// The tIds the list shows, in order.
QList<qint64> shown(const NoteCompleteListPresenter &p)
{
    QList<qint64> out;
    for (int i = 0; i < p.model()->rowCount(); ++i)
        out << p.model()->tIdAt(i).toLongLong();
    return out;
}

QList<qint64> descending(qint64 from, qint64 to)
{
    QList<qint64> out;
    for (qint64 t = from; t >= to; --t)
        out << t;
    return out;
}

bool waitFor(QSignalSpy &spy, int count = 1)
{
    while (spy.size() < count)
        if (!spy.wait(10000))
            return false;
    return true;
}

NoteRecordPopUps popUps(int time, const QString &classId = {})
{
    NoteRecordPopUps p;
    p.first = time;
    if (!classId.isEmpty()) {
        p.second = 1;
        p.category.classId = classId;
    }
    return p;
}

} // namespace

class TstCompleteList : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void showing_data();
    void showing();
    void moreToTheEnd();
    void filtersOverTheWholeMirror_data();
    void filtersOverTheWholeMirror();
    void leavingBeforeThePagesArrive();
    void badge_data();
    void badge();
    void copyAndDelete();
    void recordsDeletedElsewhereLeaveTheList();

private:
    QString m_root;
};

void TstCompleteList::showing_data()
{
    QTest::addColumn<int>("stored");    // records 1..stored mirrored before the showing
    QTest::addColumn<int>("onService"); // records 1..onService on the service
    QTest::addColumn<QString>("fault"); // "refuse": every page code 500; "repeat": the newest page every time
    QTest::addColumn<bool>("overlay");  // the busy overlay stood during the chain
    QTest::addColumn<int>("mirrored");
    QTest::addColumn<int>("newest"); // first row shown (0: none)
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("more");

    QTest::newRow("empty mirror fills and shows the newest 200")
        << 0 << 450 << "" << true << 450 << 450 << 200 << true;
    QTest::newRow("newer records join at the top") << 450 << 455 << "" << false << 455 << 455 << 200 << true;
    QTest::newRow("fewer than a page: no more button")
        << 0 << 120 << "" << true << 120 << 120 << 120 << false;
    QTest::newRow("empty on both sides: the placeholder") << 0 << 0 << "" << true << 0 << 0 << 0 << false;
    QTest::newRow("a refused first page leaves the list empty")
        << 0 << 450 << "refuse" << true << 0 << 0 << 0 << false;
    QTest::newRow("a refused later page keeps the mirror shown")
        << 300 << 450 << "refuse" << false << 300 << 300 << 200 << true;
    QTest::newRow("a repeated boundary ends with what came")
        << 0 << 450 << "repeat" << true << 200 << 450 << 200 << true;
}

void TstCompleteList::showing()
{
    QFETCH(int, stored);
    QFETCH(int, onService);
    QFETCH(QString, fault);
    QFETCH(bool, overlay);
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, stored);
    if (stored > 0) {
        QSignalSpy first(rig.services.completionPager.get(), &RecordPager::finished);
        rig.services.completionPager->refresh();
        QVERIFY(waitFor(first));
    }
    serve(rig, stored + 1, onService);
    if (fault == "refuse") {
        rig.s.service->setFault("note/log/completed",
                                StandinFault::replyCode(500, QStringLiteral("服务繁忙")));
    } else if (fault == "repeat") {
        rig.s.service->registerHandler("note/log/completed", [&rig](StandinService::Context &c) {
            QString error;
            return StandinReply::ok(QJsonObject{
                {"datas",
                 NoteSyncHandlers::page(rig.s.notes->data(*c.user).completions,
                                        QJsonObject{{"pageSize", "200"}, {"sortType", "1"}}, &error)}});
        });
    }

    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QCOMPARE(p.isBusy(), overlay);
    QCOMPARE(rig.s.feedback->busyCount(), overlay ? 1 : 0);
    QVERIFY(waitFor(finished));
    // Every end of the chain takes the overlay down, a refusal included.
    QVERIFY(!p.isBusy());
    QCOMPARE(rig.s.feedback->busyCount(), 0);

    QTEST(int(rig.ctx()->fetch<NoteComplete>(FetchRequest{}).size()), "mirrored");
    const QList<qint64> rows = shown(p);
    QTEST(int(rows.size()), "rows");
    QFETCH(int, newest);
    if (newest > 0)
        QCOMPARE(rows, descending(newest, newest - int(rows.size()) + 1));
    QTEST(p.isMoreVisible(), "more");
    QCOMPARE(p.isEmptyVisible(), rows.isEmpty());
    QCOMPARE(p.page(), 0);
}

void TstCompleteList::moreToTheEnd()
{
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, 450);
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QVERIFY(waitFor(finished));
    struct Step
    {
        int rows;
        bool more;
        int page;
    };
    // 200, 400, 450; then the end: a toast, the list as it was, the button gone.
    for (const Step &step : {Step{400, true, 1}, Step{450, true, 2}, Step{450, false, 2}}) {
        QVERIFY(p.isMoreVisible());
        rig.s.feedback->clear();
        p.loadNextDatasAction();
        QCOMPARE(p.model()->rowCount(), step.rows);
        QCOMPARE(p.isMoreVisible(), step.more);
        QCOMPARE(p.page(), step.page);
    }
    QCOMPARE(rig.s.feedback->toasts(), QStringList{QStringLiteral("没有更多数据")});
    QCOMPARE(shown(p), descending(450, 1));
    // A new showing starts from the first page again.
    p.viewWillAppear();
    QCOMPARE(p.model()->rowCount(), 200);
    QVERIFY(p.isMoreVisible());
    QVERIFY(waitFor(finished, 2));
}

void TstCompleteList::filtersOverTheWholeMirror_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<QString>("classId");
    QTest::addColumn<QList<int>>("pages"); // rows after the first showing and each "more"
    QTest::addColumn<int>("newest");
    QTest::addColumn<int>("oldest");
    // Records 1..30 were completed today, 31..450 last month (a clock set wrong when they were made).
    QTest::newRow("today: matches beyond the first 200") << 2 << "" << QList<int>{30} << 30 << 1;
    QTest::newRow("today in one category") << 2 << "7" << QList<int>{15} << 30 << 2;
    QTest::newRow("last month pages by 200") << 6 << "" << QList<int>{200, 400, 420} << 450 << 31;
    QTest::newRow("a category over all times") << 0 << "8" << QList<int>{200, 225} << 449 << 1;
    QTest::newRow("yesterday: nothing") << 1 << "" << QList<int>{0} << 0 << 0;
    QTest::newRow("a category nothing is in") << 0 << "9" << QList<int>{0} << 0 << 0;
}

void TstCompleteList::filtersOverTheWholeMirror()
{
    QFETCH(int, time);
    QFETCH(QString, classId);
    QFETCH(QList<int>, pages);
    QFETCH(int, newest);
    QFETCH(int, oldest);
    DeviceRig rig(m_root); // now: Monday 2 March 2026, 9:00
    rig.signIn();
    serve(rig, 1, 30, QStringLiteral("2026/3/2 7:30:00"));
    serve(rig, 31, 450, QStringLiteral("2026/2/14 20:00:00"));
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QVERIFY(waitFor(finished));
    p.didSelectItemWithPopUps(popUps(time, classId));
    QCOMPARE(p.currDateType(), time);
    QCOMPARE(p.currClassId(), classId);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            p.loadNextDatasAction();
        QCOMPARE(p.model()->rowCount(), pages.at(i));
        // As with no filter, the button stays from 200 rows on until a press finds nothing more.
        QCOMPARE(p.isMoreVisible(), pages.at(i) >= 200);
    }
    QCOMPARE(p.isEmptyVisible(), pages.last() == 0);
    const QList<qint64> rows = shown(p);
    if (!rows.isEmpty()) {
        QCOMPARE(rows.first(), qint64(newest));
        QCOMPARE(rows.last(), qint64(oldest));
        QVERIFY(std::is_sorted(rows.cbegin(), rows.cend(), std::greater<>()));
    }
    for (qint64 t : rows) {
        if (!classId.isEmpty())
            QCOMPARE(t % 2 ? QString("8") : QString("7"), classId);
        if (time == 2)
            QVERIFY(t <= 30);
        if (time == 6)
            QVERIFY(t > 30);
    }
    // Back to everything: the newest 200 of the whole mirror.
    p.didSelectItemWithPopUps(popUps(0));
    QCOMPARE(shown(p), descending(450, 251));
}

void TstCompleteList::leavingBeforeThePagesArrive()
{
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, 450);
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    QSignalSpy changed(p.model(), &QAbstractItemModel::modelReset);
    p.viewWillAppear();
    QVERIFY(p.isBusy());
    p.viewDidDisappear();
    // The overlay goes with the list; the pages still fill the mirror, but the hidden list stays as it was.
    QVERIFY(!p.isBusy());
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    changed.clear();
    QVERIFY(waitFor(finished));
    QCOMPARE(rig.ctx()->fetch<NoteComplete>(FetchRequest{}).size(), 450);
    QCOMPARE(p.model()->rowCount(), 0);
    QCOMPARE(changed.size(), 0);
    // Shown again: the mirror shows at once, and only newer records are asked for.
    rig.s.service->clearRequests();
    p.viewWillAppear();
    QVERIFY(!p.isBusy());
    QCOMPARE(shown(p), descending(450, 251));
    QVERIFY(waitFor(finished, 2));
    QCOMPARE(rig.s.service->requestCount("note/log/completed"), 1);
    QCOMPARE(rig.s.service->requests().last().params.value("sortType").toString(), QString("0"));
    QCOMPARE(rig.s.service->requests().last().params.value("indexId").toString(), QString("450"));
}

void TstCompleteList::badge_data()
{
    QTest::addColumn<QString>("completedTime");
    QTest::addColumn<bool>("future");
    // Now: 2 March 2026, 9:00.
    QTest::newRow("an hour ago: red") << "2026/3/2 8:00:00" << false;
    QTest::newRow("this very second: red") << "2026/3/2 9:00:00" << false;
    QTest::newRow("a second later: grey") << "2026/3/2 9:00:01" << true;
    QTest::newRow("next year: grey") << "2027/1/1 0:00:00" << true;
    QTest::newRow("unreadable: red") << "明天" << false;
    QTest::newRow("missing: red") << "" << false;
}

void TstCompleteList::badge()
{
    QFETCH(QString, completedTime);
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, 1, completedTime);
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QVERIFY(waitFor(finished));
    QCOMPARE(p.model()->rowCount(), 1);
    const QModelIndex row = p.model()->index(0);
    QTEST(row.data(NoteCompleteListModel::FutureRole).toBool(), "future");
    QCOMPARE(row.data(NoteCompleteListModel::CompletedTimeTextRole).toString(), "完成于:" + completedTime);
    QCOMPARE(row.data(NoteCompleteListModel::StatusRole).toString(), QStringLiteral("完成"));
    QCOMPARE(row.data().toString(), QStringLiteral("完成 1"));
}

void TstCompleteList::copyAndDelete()
{
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, 5);
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QVERIFY(waitFor(finished));
    QCOMPARE(shown(p), descending(5, 1));

    QCOMPARE(p.menuItems().size(), 2);
    p.noteAction(1, NoteCompleteListPresenter::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("完成 4"));
    QCOMPARE(rig.s.feedback->toasts().last(), QStringLiteral("复制成功"));
    p.noteAction(-1, NoteCompleteListPresenter::Delete); // no row clicked
    p.noteAction(5, NoteCompleteListPresenter::Delete);  // below the rows
    QCOMPARE(rig.s.service->requestCount("note/logDel"), 0);

    // A refused deletion leaves the row where it was.
    rig.s.service->setFault("note/logDel", StandinFault{StandinFault::Kind::ReplyCode, 500, "服务繁忙", 1});
    p.noteAction(1, NoteCompleteListPresenter::Delete);
    QTRY_VERIFY(!p.isDeleting(p.model()->keyAt(1)));
    QCOMPARE(shown(p), descending(5, 1));
    QVERIFY(rig.s.notes->data(rig.account()).completions.contains(4));

    // An accepted one takes it off the service, the mirror and the list; a second press meanwhile sends
    // nothing.
    rig.s.service->clearRequests();
    const qint64 key = p.model()->keyAt(1);
    p.noteAction(1, NoteCompleteListPresenter::Delete);
    p.noteAction(1, NoteCompleteListPresenter::Delete);
    QVERIFY(p.isDeleting(key));
    QTRY_COMPARE(shown(p), (QList<qint64>{5, 3, 2, 1}));
    QCOMPARE(rig.s.service->requestCount("note/logDel"), 1);
    const QJsonObject sent = rig.s.service->requests().last().params;
    QCOMPARE(sent.value("delType").toInt(), 1);
    QCOMPARE(sent.value("indexId").toString(), QString("4"));
    QVERIFY(!rig.s.notes->data(rig.account()).completions.contains(4));
    QVERIFY(!rig.ctx()->findFirstByAttribute<NoteComplete>("tId", "4"));
    std::unique_ptr<Context> reader = rig.device->store->newContext();
    QCOMPARE(reader->fetch<NoteComplete>(FetchRequest{}).size(), 4);
}

void TstCompleteList::recordsDeletedElsewhereLeaveTheList()
{
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, 1, 5);
    NoteCompleteListPresenter p(rig.services);
    QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
    p.viewWillAppear();
    QVERIFY(waitFor(finished));
    // A pull (or anything else) that deletes mirrored rows takes them out of the shown list and the filters.
    for (const char *t : {"2", "5"})
        rig.ctx()->deleteObject(rig.ctx()->findFirstByAttribute<NoteComplete>("tId", t));
    QVERIFY(rig.ctx()->saveAndWait());
    QCOMPARE(shown(p), (QList<qint64>{4, 3, 1}));
    QCOMPARE(p.source()->size(), 3);
    p.didSelectItemWithPopUps(popUps(0, "8"));
    QCOMPARE(shown(p), (QList<qint64>{3, 1}));
    for (const char *t : {"3", "1"})
        rig.ctx()->deleteObject(rig.ctx()->findFirstByAttribute<NoteComplete>("tId", t));
    QVERIFY(rig.ctx()->saveAndWait());
    QCOMPARE(p.model()->rowCount(), 0);
    QVERIFY(p.isEmptyVisible());
}

PRELVANE_TEST_MAIN(TstCompleteList)
#include "tst_completelist.moc"
