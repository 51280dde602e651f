// The pagers of the record mirrors against the stand-in service: how a chain
// walks the service's records into the store and where it ends.

#include "core/model/NoteComplete.h"
#include "core/model/NoteLog.h"
#include "platform/store/Context.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/sync/RecordPager.h"
#include "tests/notes/DeviceRig.h"
#include "tests/support/TestEnv.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(RecordPager::Kind)

namespace {

const char *pathOf(RecordPager::Kind kind)
{
    return kind == RecordPager::Kind::History ? "note/log/timeAxis" : "note/log/completed";
}

} // namespace

class TstRecordPager : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void chains_data();
    void chains();
    void secondRefreshJoinsTheChain();
    void pageAfterTheSignInEndedIsDropped();
    void historyImportMendsSortAndReadsSpans();

private:
    // Records with these tIds on the service, of the pager's kind.
    static void serve(DeviceRig &rig, RecordPager::Kind kind, qint64 from, qint64 to)
    {
        NoteSyncHandlers::Data &d = rig.s.notes->data(rig.account());
        for (qint64 t = from; t <= to; ++t) {
            const QJsonObject r{{"tId", QString::number(t)},
                                {"classId", "7"},
                                {"content", QStringLiteral("记录 %1").arg(t)},
                                {"createTime", "2026/3/1 8:00:00"},
                                {"completedTime", "2026/3/1 8:00:00"},
                                {"actionType", 2},
                                {"sort", 1}};
            (kind == RecordPager::Kind::History ? d.history : d.completions).insert(t, r);
        }
    }
    static RecordPager &pager(DeviceRig &rig, RecordPager::Kind kind)
    {
        return kind == RecordPager::Kind::History ? *rig.services.historyPager
                                                  : *rig.services.completionPager;
    }
    // The mirror's tIds by `sort`, descending, and whether every sort is its tId.
    static QList<qint64> mirror(DeviceRig &rig, RecordPager::Kind kind, bool *sortIsTId = nullptr)
    {
        const EntityDescription &e =
            kind == RecordPager::Kind::History ? NoteLog::entity() : NoteComplete::entity();
        QList<qint64> out;
        bool ok = true;
        for (ManagedObject *row : rig.ctx()->fetch(e, FetchRequest{Predicate(), {{"sort", false}}, -1})) {
            out << row->value("sort").toLongLong();
            ok = ok && row->value("tId").toString() == QString::number(out.last());
        }
        if (sortIsTId)
            *sortIsTId = ok;
        return out;
    }
    static bool waitFor(QSignalSpy &finished) { return finished.size() > 0 || finished.wait(10000); }

    QString m_root;
};

void TstRecordPager::chains_data()
{
    QTest::addColumn<RecordPager::Kind>("kind");
    QTest::addColumn<int>("stored");    // records 1..stored already mirrored
    QTest::addColumn<int>("onService"); // records 1..onService on the service
    QTest::addColumn<QString>(
        "fault"); // "", "refuse" (code 500 for every page), "repeat" (the same page again)
    QTest::addColumn<QStringList>("asked"); // each page's "sortType:indexId"
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("mirrored");
    QTest::addColumn<int>("pageSize"); // asked of the refresh; 0: the pager's own

    for (const auto kind : {RecordPager::Kind::History, RecordPager::Kind::Completion}) {
        const QByteArray k = kind == RecordPager::Kind::History ? "history: " : "completions: ";
        // tIds cross 99/100 and 199/200: the chain steps by number, not by text.
        QTest::newRow(k + "empty mirror pages back from the newest")
            << kind << 0 << 450 << "" << QStringList{"1:", "1:251", "1:51", "1:1"}
            << int(RecordPager::Result::Done) << 450 << 0;
        QTest::newRow(k + "newer records from the highest")
            << kind << 450 << 455 << "" << QStringList{"0:450", "0:455"} << int(RecordPager::Result::Done)
            << 455 << 0;
        QTest::newRow(k + "nothing new")
            << kind << 30 << 30 << "" << QStringList{"0:30"} << int(RecordPager::Result::Done) << 30 << 0;
        QTest::newRow(k + "empty on both sides")
            << kind << 0 << 0 << "" << QStringList{"1:"} << int(RecordPager::Result::Done) << 0 << 0;
        QTest::newRow(k + "a refused page ends the chain")
            << kind << 0 << 450 << "refuse" << QStringList{"1:"} << int(RecordPager::Result::Refused) << 0
            << 0;
        QTest::newRow(k + "a repeated boundary ends the chain")
            << kind << 0 << 450 << "repeat" << QStringList{"1:", "1:251"} << int(RecordPager::Result::Done)
            << 200 << 0;
    }
    // The search pane refreshes the history with pages of 100.
    QTest::newRow("history: pages of 100")
        << RecordPager::Kind::History << 0 << 250 << "" << QStringList{"1:", "1:151", "1:51", "1:1"}
        << int(RecordPager::Result::Done) << 250 << 100;
    QTest::newRow("history: newer records, pages of 100")
        << RecordPager::Kind::History << 30 << 160 << "" << QStringList{"0:30", "0:130", "0:160"}
        << int(RecordPager::Result::Done) << 160 << 100;
}

void TstRecordPager::chains()
{
    QFETCH(RecordPager::Kind, kind);
    QFETCH(int, stored);
    QFETCH(int, onService);
    QFETCH(QString, fault);
    QFETCH(int, pageSize);
    DeviceRig rig(m_root);
    serve(rig, kind, 1, stored);
    if (stored > 0) {
        QSignalSpy first(&pager(rig, kind), &RecordPager::finished);
        pager(rig, kind).refresh();
        QVERIFY(waitFor(first));
        QCOMPARE(mirror(rig, kind).size(), stored);
    }
    serve(rig, kind, stored + 1, onService);
    const QString path = pathOf(kind);
    if (fault == "refuse") {
        StandinFault f;
        f.kind = StandinFault::Kind::ReplyCode;
        f.code = 500;
        f.msg = QStringLiteral("服务繁忙");
        rig.s.service->setFault(path, f);
    } else if (fault == "repeat") {
        // A service that ignores the index: the same newest page every time.
        rig.s.service->registerHandler(path, [&rig, kind](StandinService::Context &c) {
            QString error;
            const auto &d = rig.s.notes->data(*c.user);
            return StandinReply::ok(QJsonObject{
                {"datas",
                 NoteSyncHandlers::page(kind == RecordPager::Kind::History ? d.history : d.completions,
                                        QJsonObject{{"pageSize", "200"}, {"sortType", "1"}}, &error)}});
        });
    }
    rig.s.service->clearRequests();
    QSignalSpy imported(&pager(rig, kind), &RecordPager::pageImported);
    QSignalSpy finished(&pager(rig, kind), &RecordPager::finished);
    if (pageSize > 0)
        pager(rig, kind).refresh(pageSize);
    else
        pager(rig, kind).refresh();
    QVERIFY(pager(rig, kind).isRunning());
    QVERIFY(waitFor(finished));
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
    QTEST(int(finished.first().first().value<RecordPager::Result>()), "result");
    QVERIFY(!pager(rig, kind).isRunning());

    QStringList asked;
    for (const StandinRequest &r : rig.s.service->requests())
        if (r.path == path)
            asked << r.params.value("sortType").toString() + ":" + r.params.value("indexId").toString();
    QTEST(asked, "asked");
    for (const StandinRequest &r : rig.s.service->requests())
        if (r.path == path)
            QCOMPARE(r.params.value("pageSize").toString(), QString::number(pageSize > 0 ? pageSize : 200));
    bool sortIsTId = false;
    const QList<qint64> tIds = mirror(rig, kind, &sortIsTId);
    QTEST(int(tIds.size()), "mirrored");
    QVERIFY(sortIsTId);
    if (!tIds.isEmpty() && fault.isEmpty()) {
        QCOMPARE(tIds.first(), qint64(onService));
        QCOMPARE(tIds.last(), qint64(1));
    }
    int pages = 0;
    for (const QList<QVariant> &args : imported)
        pages += args.first().toInt();
    QCOMPARE(pages >= int(tIds.size()) - stored, true);
    // The pages are on disk: a fresh reader of the file sees them.
    std::unique_ptr<Context> reader = rig.device->store->newContext();
    const EntityDescription &e =
        kind == RecordPager::Kind::History ? NoteLog::entity() : NoteComplete::entity();
    QCOMPARE(reader->fetch(e, FetchRequest{}).size(), tIds.size());
}

void TstRecordPager::secondRefreshJoinsTheChain()
{
    DeviceRig rig(m_root);
    serve(rig, RecordPager::Kind::History, 1, 250);
    RecordPager &history = *rig.services.historyPager;
    QSignalSpy finished(&history, &RecordPager::finished);
    rig.s.service->clearRequests();
    history.refresh();
    history.refresh();
    QTest::qWait(1);
    history.refresh();
    QVERIFY(waitFor(finished));
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(rig.s.service->requestCount("note/log/timeAxis"), 3); // 200, 50, none
    QCOMPARE(mirror(rig, RecordPager::Kind::History).size(), 250);
    // The other mirror's pager is another chain.
    QCOMPARE(rig.s.service->requestCount("note/log/completed"), 0);
}

void TstRecordPager::pageAfterTheSignInEndedIsDropped()
{
    DeviceRig rig(m_root);
    rig.signIn();
    serve(rig, RecordPager::Kind::Completion, 1, 40);
    StandinFault held;
    held.kind = StandinFault::Kind::NoAnswer;
    rig.s.service->setFault("note/log/completed", held);
    RecordPager &completions = *rig.services.completionPager;
    QSignalSpy finished(&completions, &RecordPager::finished);
    completions.refresh();
    QTRY_COMPARE(rig.s.service->requestCount("note/log/completed"), 1);
    rig.services.session->signOut();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().value<RecordPager::Result>(), RecordPager::Result::Dropped);
    // The held page arrives late (or never): it changes nothing, and a new chain starts afresh.
    rig.s.service->clearFaults();
    completions.refresh();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.last().first().value<RecordPager::Result>(), RecordPager::Result::Done);
    QCOMPARE(mirror(rig, RecordPager::Kind::Completion).size(), 40);
}

void TstRecordPager::historyImportMendsSortAndReadsSpans()
{
    DeviceRig rig(m_root);
    NoteSyncHandlers::Data &d = rig.s.notes->data(rig.account());
    const QJsonArray spans{QJsonObject{{"diffType", 1}, {"diffStartIndex", 0}, {"diffLength", 2}}};
    d.history.insert(99, QJsonObject{{"tId", "99"},
                                     {"sort", 5},
                                     {"className", "工作"},
                                     {"content", "abcdefghij"},
                                     {"difference", QJsonObject{{"diffItems", spans}}}});
    d.history.insert(100, QJsonObject{{"tId", "100"},
                                      {"sort", 4},
                                      {"className", "生活"},
                                      {"content", "x"},
                                      {"difference", QJsonValue::Null}});
    QSignalSpy finished(rig.services.historyPager.get(), &RecordPager::finished);
    rig.services.historyPager->refresh();
    QVERIFY(waitFor(finished));
    QCOMPARE(mirror(rig, RecordPager::Kind::History), (QList<qint64>{100, 99}));
    auto *a = rig.ctx()->findFirstByAttribute<NoteLog>("tId", "99");
    auto *b = rig.ctx()->findFirstByAttribute<NoteLog>("tId", "100");
    QVERIFY(a && b);
    QCOMPARE(a->classifyName(), QString("工作"));
    QCOMPARE(a->diffItems().toList().size(), 1);
    QCOMPARE(a->diffItems().toList().first().toMap().value("diffLength").toInt(), 2);
    QCOMPARE(b->classifyName(), QString("生活"));
    QVERIFY(b->diffItems().toList().isEmpty());
}

PRELVANE_TEST_MAIN(TstRecordPager)
#include "tst_recordpager.moc"
