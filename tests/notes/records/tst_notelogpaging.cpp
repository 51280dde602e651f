// The edit-history list against the stand-in service: a showing fills the
// mirror and shows it 200 at a time, newest first, to the end ("没有更多数据");
// the filters look at the whole mirror, not at the rows read so far; the busy
// overlay goes at every end of the chain; a deletion goes only when the
// service agreed.

#include "core/model/NoteLog.h"
#include "notes/records/presenter/NoteLogListModel.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "platform/store/Context.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/sync/RecordPager.h"
#include "tests/notes/DeviceRig.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct Record
{
    QString content;
    QString createTime;
    int actionType = 2;
    QString classId = QStringLiteral("7");
};

void serve(DeviceRig &rig, qint64 tId, const Record &r)
{
    rig.s.notes->data(rig.account())
        .history.insert(tId, QJsonObject{{"tId", QString::number(tId)},
                                         {"cId", QStringLiteral("c%1").arg(tId)},
                                         {"classId", r.classId},
                                         {"className", QStringLiteral("分类%1").arg(r.classId)},
                                         {"content", r.content},
                                         {"createTime", r.createTime},
                                         {"actionType", r.actionType},
                                         {"terminalId", 7},
                                         // The service's own order, which the mirror does not follow.
                                         {"sort", 5}});
}

void serveFiller(DeviceRig &rig, qint64 from, qint64 to)
{
    for (qint64 t = from; t <= to; ++t)
        serve(rig, t, {QStringLiteral("记录 %1").arg(t), QStringLiteral("2025/6/1 8:00:00")});
}

QStringList contents(const NoteLogListModel *m)
{
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->cellAt(i).text.text();
    return out;
}

QList<qint64> tIds(const NoteLogListModel *m)
{
    QList<qint64> out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->cellAt(i).tId.toLongLong();
    return out;
}

NoteRecordPopUps popUps(int kind, int range, const QString &classId = {})
{
    NoteRecordPopUps p;
    p.first = kind;
    p.third = range;
    p.second = classId.isEmpty() ? 0 : 1;
    p.category.classId = classId;
    return p;
}

RecordingFeedback &feedback(DeviceRig &rig)
{
    return *rig.s.feedback;
}

// Shows the list as the pane does: the list appears, then the pane tells it its reset pop-ups.
bool show(DeviceRig &rig, NoteLogListPresenter &list)
{
    QSignalSpy finished(rig.services.historyPager.get(), &RecordPager::finished);
    list.viewWillAppear();
    list.didSelectItemWithPopUps(popUps(0, 0));
    return finished.size() > 0 || finished.wait(10000);
}

} // namespace

class TstNoteLogPaging : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void moreToTheEnd();
    void filtersOverTheWholeMirror_data();
    void filtersOverTheWholeMirror();
    void refusedPageHidesTheOverlay();
    void newerRecordsAtTheNextShowing();
    void deleteOnlyWhenTheServiceAgrees();
    void copyPutsTheText();

private:
    QString m_root;
};

void TstNoteLogPaging::moreToTheEnd()
{
    DeviceRig rig(m_root);
    serveFiller(rig, 1, 450);
    NoteLogListPresenter list(rig.services);
    QVERIFY(list.isEmptyVisible());
    QVERIFY(show(rig, list));
    QCOMPARE(feedback(rig).busyCount(), 0);
    QCOMPARE(rig.ctx()->count(NoteLog::entity(), Predicate()), 450);

    // Newest first by tId (the records' own "sort" is the same for all), 200 a page.
    NoteLogListModel *m = list.model();
    QCOMPARE(m->rowCount(), 200);
    QCOMPARE(m->cellAt(0).tId, QStringLiteral("450"));
    QCOMPARE(m->cellAt(199).tId, QStringLiteral("251"));
    QVERIFY(list.isMoreVisible());
    QVERIFY(!list.isEmptyVisible());

    list.loadNextDatasAction();
    QCOMPARE(m->rowCount(), 400);
    QCOMPARE(list.page(), 1);
    list.loadNextDatasAction();
    QCOMPARE(m->rowCount(), 450);
    QCOMPARE(list.page(), 2);
    QVERIFY(list.isMoreVisible());
    QList<qint64> expected;
    for (qint64 t = 450; t >= 1; --t)
        expected << t;
    QCOMPARE(tIds(m), expected);
    QVERIFY(feedback(rig).toasts().isEmpty());

    // Past the last page: the toast, the button goes, the rows stay.
    list.loadNextDatasAction();
    QCOMPARE(m->rowCount(), 450);
    QCOMPARE(list.page(), 2);
    QCOMPARE(feedback(rig).toasts(), QStringList{QStringLiteral("没有更多数据")});
    QVERIFY(!list.isMoreVisible());
    // A filter change starts over.
    list.didSelectItemWithPopUps(popUps(0, 0));
    QCOMPARE(m->rowCount(), 200);
    QVERIFY(list.isMoreVisible());
}

void TstNoteLogPaging::filtersOverTheWholeMirror_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("classId");
    QTest::addColumn<QStringList>("expected");
    // Today is Monday 2 March 2026; the matches are the oldest records, far beyond the first 200.
    QTest::newRow("yesterday") << 0 << 1 << "" << QStringList{"B"};
    QTest::newRow("today") << 0 << 2 << "" << QStringList{"A"};
    QTest::newRow("this week") << 0 << 3 << "" << QStringList{"A"};
    QTest::newRow("last week") << 0 << 4 << "" << QStringList{"C", "B"};
    QTest::newRow("this month") << 0 << 5 << "" << QStringList{"B", "A"};
    QTest::newRow("last month") << 0 << 6 << "" << QStringList{"D", "C"};
    QTest::newRow("deleted, every category") << 3 << 0 << "" << QStringList{"D", "B"};
    QTest::newRow("deleted this month") << 3 << 5 << "" << QStringList{"B"};
    QTest::newRow("added") << 1 << 0 << "" << QStringList{"E", "A"};
    QTest::newRow("one category") << 0 << 0 << "9" << QStringList{"F", "C"};
    QTest::newRow("one category, changed, last week") << 2 << 4 << "9" << QStringList{"C"};
    QTest::newRow("one category, added") << 1 << 0 << "9" << QStringList{};
}

void TstNoteLogPaging::filtersOverTheWholeMirror()
{
    QFETCH(int, kind);
    QFETCH(int, range);
    QFETCH(QString, classId);
    QFETCH(QStringList, expected);
    DeviceRig rig(m_root);
    serve(rig, 1, {"A", "2026/3/2 8:00:00", 1});
    serve(rig, 2, {"B", "2026/3/1 23:59:59", 3});
    serve(rig, 3, {"C", "2026/2/23 0:00:00", 2, "9"});
    serve(rig, 4, {"D", "2026/2/22 23:59:59", 3});
    serve(rig, 5, {"E", "2026/1/31 10:00:00", 1});
    serve(rig, 6, {"F", "不是时间", 2, "9"});
    serveFiller(rig, 7, 450);
    NoteLogListPresenter list(rig.services);
    QVERIFY(show(rig, list));
    QCOMPARE(list.model()->rowCount(), 200);

    list.didSelectItemWithPopUps(popUps(kind, range, classId));
    QStringList shown = contents(list.model());
    if (kind == 0 && range == 0) // the filler is in every category but "9"
        shown = shown.filter(QRegularExpression("^[A-F]$"));
    QCOMPARE(shown, expected);
    QCOMPARE(list.isEmptyVisible(), expected.isEmpty());
    QVERIFY(!list.isMoreVisible());
    QCOMPARE(list.currActionType(), kind);
    QCOMPARE(list.currDateRange(), range);
    QCOMPARE(list.currClassId(), classId);

    // The next showing starts the filters over.
    list.viewWillAppear();
    QCOMPARE(list.currActionType(), 0);
    QCOMPARE(list.currDateRange(), 0);
    QVERIFY(list.currClassId().isEmpty());
}

void TstNoteLogPaging::refusedPageHidesTheOverlay()
{
    DeviceRig rig(m_root);
    serveFiller(rig, 1, 30);
    StandinFault f;
    f.kind = StandinFault::Kind::ReplyCode;
    f.code = 500;
    f.msg = QStringLiteral("服务繁忙");
    rig.s.service->setFault("note/log/timeAxis", f);
    NoteLogListPresenter list(rig.services);
    QSignalSpy finished(rig.services.historyPager.get(), &RecordPager::finished);
    list.viewWillAppear();
    QVERIFY(list.isBusy());
    QCOMPARE(feedback(rig).busyCount(), 1);
    QVERIFY(!list.isEmptyVisible()); // the overlay, not "empty", while the mirror fills
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().value<RecordPager::Result>(), RecordPager::Result::Refused);
    QVERIFY(!list.isBusy());
    QCOMPARE(feedback(rig).busyCount(), 0);
    QVERIFY(list.isEmptyVisible());

    // Without the fault the next showing fills the list.
    rig.s.service->clearFault("note/log/timeAxis");
    QVERIFY(show(rig, list));
    QCOMPARE(list.model()->rowCount(), 30);
    QCOMPARE(feedback(rig).busyCount(), 0);
}

void TstNoteLogPaging::newerRecordsAtTheNextShowing()
{
    DeviceRig rig(m_root);
    serveFiller(rig, 1, 20);
    NoteLogListPresenter list(rig.services);
    QVERIFY(show(rig, list));
    QCOMPARE(list.model()->rowCount(), 20);
    serveFiller(rig, 21, 25);
    rig.s.service->clearRequests();
    // A mirror with records is brought up to date without the overlay.
    QSignalSpy finished(rig.services.historyPager.get(), &RecordPager::finished);
    list.viewWillAppear();
    QVERIFY(!list.isBusy());
    list.didSelectItemWithPopUps(popUps(0, 0));
    QVERIFY(finished.wait(10000));
    QCOMPARE(list.model()->rowCount(), 25);
    QCOMPARE(list.model()->cellAt(0).tId, QStringLiteral("25"));
    QCOMPARE(rig.s.service->requests().first().params.value("sortType").toString(), QStringLiteral("0"));
    QCOMPARE(rig.s.service->requests().first().params.value("indexId").toString(), QStringLiteral("20"));
}

void TstNoteLogPaging::deleteOnlyWhenTheServiceAgrees()
{
    DeviceRig rig(m_root);
    serveFiller(rig, 1, 5);
    NoteLogListPresenter list(rig.services);
    QVERIFY(show(rig, list));
    NoteLogListModel *m = list.model();
    QCOMPARE(list.menuItems(0).size(), 2);
    QVERIFY(list.menuItems(5).isEmpty());

    // The service refuses: nothing changes.
    StandinFault f;
    f.kind = StandinFault::Kind::ReplyCode;
    f.code = 500;
    f.msg = QStringLiteral("服务繁忙");
    rig.s.service->setFault("note/logDel", f);
    list.triggerMenuItem(0, NoteLogListPresenter::Delete);
    QTRY_COMPARE(rig.s.service->requestCount("note/logDel"), 1);
    QTest::qWait(50);
    QCOMPARE(m->rowCount(), 5);
    QCOMPARE(rig.s.notes->data(rig.account()).history.size(), 5);
    rig.s.service->clearFault("note/logDel");

    // Agreed: the row leaves the list and the store only after the answer.
    rig.s.service->clearRequests();
    list.triggerMenuItem(1, NoteLogListPresenter::Delete);
    list.triggerMenuItem(1, NoteLogListPresenter::Delete); // a second press sends nothing
    QCOMPARE(m->rowCount(), 5);
    QTRY_COMPARE(m->rowCount(), 4);
    QCOMPARE(rig.s.service->requestCount("note/logDel"), 1);
    const StandinRequest &asked = rig.s.service->requests().first();
    QCOMPARE(asked.params.value("delType").toInt(), 2);
    QCOMPARE(asked.params.value("indexId").toString(), QStringLiteral("4"));
    QCOMPARE(tIds(m), (QList<qint64>{5, 3, 2, 1}));
    QVERIFY(!rig.s.notes->data(rig.account()).history.contains(4));
    QVERIFY(rig.ctx()->fetch<NoteLog>(Predicate::equals("tId", "4")).isEmpty());
}

void TstNoteLogPaging::copyPutsTheText()
{
    DeviceRig rig(m_root);
    serve(rig, 1, {QStringLiteral("复制这段\n文字"), QStringLiteral("2026/3/2 8:00:00")});
    NoteLogListPresenter list(rig.services);
    QVERIFY(show(rig, list));
    list.triggerMenuItem(0, NoteLogListPresenter::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("复制这段\n文字"));
    QCOMPARE(feedback(rig).toasts(), QStringList{QStringLiteral("复制成功")});
}

PRELVANE_TEST_MAIN(TstNoteLogPaging)
#include "tst_notelogpaging.moc"
