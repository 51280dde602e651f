// The sign-in's pulls and version poll against the stand-in service.

#include "service/account/QuitLoginManager.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/TestEnv.h"

#include <sys/stat.h>

class TstSignInSync : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void signInPullsFullFirstAndPollsEveryTenSeconds();
    void serverVersionDecidesThePull_data();
    void serverVersionDecidesThePull();
    void everySignOutAndTeardownStopsThePoll_data();
    void everySignOutAndTeardownStopsThePoll();
    void transportFailuresAreSilent();
    void versionReplyOfAnEndedSignInIsDropped();
    void emptyAccountGetsTheDefaultCategoryOnce();
    void refusedDefaultCategoryMakesNoRow();
    void restoreAndDeltaRequestsFromTheEvent();
    void quietPollLeavesTheDefaultsFileAlone();

private:
    QString m_root;
};

void TstSignInSync::signInPullsFullFirstAndPollsEveryTenSeconds()
{
    CategoryTestRig rig(m_root);
    rig.device->addCategory("工作"); // pending: the full pull pushes it first
    QSignalSpy applied(rig.coordinator.get(), &SignInSyncCoordinator::pullApplied);
    rig.signIn();
    QVERIFY(rig.settle());
    QCOMPARE(applied.size(), 1);
    QCOMPARE(applied.first().first().value<SyncEngine::PullKind>(), SyncEngine::PullKind::Full);
    // The push went before the pull: the category is on the service.
    QCOMPARE(rig.s.notes->liveCategories(rig.s.tester()).size(), 1);
    QCOMPARE(rig.s.feedback->entries.first().kind, RecordingFeedback::Kind::BusyShown);
    QCOMPARE(rig.s.feedback->entries.last().kind, RecordingFeedback::Kind::BusyHidden);

    rig.scheduler.advance(SignInSyncCoordinator::PollInterval - 1);
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/versionNums"), 0);
    rig.tick();
    QCOMPARE(rig.requests("user/versionNums"), 1);
    rig.tick();
    rig.tick();
    QCOMPARE(rig.requests("user/versionNums"), 3);
    QVERIFY(rig.coordinator->isRunning());
}

void TstSignInSync::serverVersionDecidesThePull_data()
{
    QTest::addColumn<qint64>("serverStep");
    QTest::addColumn<QString>("storedForm"); // how the stored version is written
    QTest::addColumn<bool>("pulls");
    QTest::addRow("equal") << qint64(0) << "plain" << false;
    QTest::addRow("equal with leading zeros") << qint64(0) << "zeros" << false;
    QTest::addRow("newer on the service") << qint64(3) << "plain" << true;
    QTest::addRow("older on the service") << qint64(-1) << "plain" << true;
}

void TstSignInSync::serverVersionDecidesThePull()
{
    QFETCH(qint64, serverStep);
    QFETCH(QString, storedForm);
    QFETCH(bool, pulls);
    CategoryTestRig rig(m_root);
    rig.signIn();
    QVERIFY(rig.settle());
    const qint64 version = rig.device->version().toLongLong();
    QVERIFY(version > 0);
    if (storedForm == "zeros")
        UserDefaults::setValue(SignInKeys::Version, "000" + QString::number(version));
    rig.s.tester().version = version + serverStep;
    rig.s.tester().teamVersions = QJsonArray{1, 2};
    const int pullsBefore = rig.requests("note/sync");
    QSignalSpy applied(rig.coordinator.get(), &SignInSyncCoordinator::pullApplied);
    rig.tick();
    QCOMPARE(rig.requests("note/sync") > pullsBefore, pulls);
    QCOMPARE(applied.size(), pulls ? 1 : 0);
    if (pulls)
        QCOMPARE(applied.first().first().value<SyncEngine::PullKind>(), SyncEngine::PullKind::Delta);
    QCOMPARE(UserDefaults::string(SignInKeys::TeamCount), QStringLiteral("2"));
}

void TstSignInSync::everySignOutAndTeardownStopsThePoll_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("session sign-out") << "session";
    QTest::newRow("log-out of the account") << "logout";
    QTest::newRow("coordinator gone") << "teardown";
}

void TstSignInSync::everySignOutAndTeardownStopsThePoll()
{
    QFETCH(QString, how);
    CategoryTestRig rig(m_root);
    rig.signIn();
    QVERIFY(rig.settle());
    rig.tick();
    QCOMPARE(rig.requests("user/versionNums"), 1);
    if (how == "session")
        rig.services.session->signOut();
    else if (how == "logout")
        rig.services.logout->showLoginWindow();
    else
        rig.coordinator.reset();
    if (rig.coordinator)
        QVERIFY(!rig.coordinator->isRunning());
    rig.scheduler.advance(5 * SignInSyncCoordinator::PollInterval);
    QTest::qWait(50);
    QCOMPARE(rig.requests("user/versionNums"), 1);
    QCOMPARE(rig.scheduler.pending(), 0);
}

void TstSignInSync::transportFailuresAreSilent()
{
    CategoryTestRig rig(m_root);
    rig.signIn();
    QVERIFY(rig.settle());
    rig.s.feedback->clear();
    rig.s.service->setFault("user/versionNums", StandinFault::of(StandinFault::Kind::Http500));
    rig.tick();
    rig.s.service->setFault("user/versionNums", StandinFault::of(StandinFault::Kind::Reset));
    rig.tick();
    rig.s.service->setFault("user/versionNums", StandinFault::replyCode(500, "busy"));
    rig.tick();
    QTest::qWait(50);
    QVERIFY2(rig.s.feedback->entries.isEmpty(), qPrintable(rig.s.feedback->messages().join('|')));
    // It goes on polling and pulls once the service answers again.
    rig.s.service->clearFaults();
    rig.s.tester().version += 2;
    const int pulls = rig.requests("note/sync");
    rig.tick();
    QVERIFY(rig.requests("note/sync") > pulls);
}

void TstSignInSync::versionReplyOfAnEndedSignInIsDropped()
{
    CategoryTestRig rig(m_root);
    rig.signIn();
    QVERIFY(rig.settle());
    rig.s.tester().version += 5; // a reply of the old sign-in would start a delta pull
    rig.scheduler.advance(SignInSyncCoordinator::PollInterval);
    // The request is out; before its reply the user signs out and in again.
    rig.services.session->signOut();
    QSignalSpy applied(rig.coordinator.get(), &SignInSyncCoordinator::pullApplied);
    rig.signIn();
    QTRY_COMPARE(rig.requests("user/versionNums"), 1);
    QVERIFY(rig.settle());
    QTest::qWait(100);
    QVERIFY(rig.settle());
    QCOMPARE(applied.size(), 1);
    QCOMPARE(applied.first().first().value<SyncEngine::PullKind>(), SyncEngine::PullKind::Full);
}

void TstSignInSync::emptyAccountGetsTheDefaultCategoryOnce()
{
    CategoryTestRig rig(m_root);
    QSignalSpy reload(&rig.events, &AppEvents::reloadLeftHomeList);
    rig.signIn();
    QVERIFY(rig.settle());
    QTRY_COMPARE(rig.s.notes->liveCategories(rig.s.tester()).size(), 1);
    const auto server = rig.s.notes->liveCategories(rig.s.tester()).first();
    QCOMPARE(server.name, QStringLiteral("默认"));
    const QList<Classify *> local = rig.device->categories();
    QCOMPARE(local.size(), 1);
    QCOMPARE(local.first()->classId(), server.classId);
    QCOMPARE(local.first()->backColor(), QStringLiteral("#10b56c"));
    QCOMPARE(local.first()->sort(), qint16(1));
    QVERIFY(local.first()->isSync());
    QCOMPARE(reload.size(), 1);
    QCOMPARE(reload.first().first().value<LeftHomeListReload>().category.classId, server.classId);
    // A later pull finds it and makes no second one.
    rig.coordinator->fullPull();
    QVERIFY(rig.settle());
    QTest::qWait(50);
    QCOMPARE(rig.s.notes->liveCategories(rig.s.tester()).size(), 1);
    QCOMPARE(rig.device->categories().size(), 1);
}

void TstSignInSync::refusedDefaultCategoryMakesNoRow()
{
    CategoryTestRig rig(m_root);
    rig.s.notes->refuseCategoryName("默认", "名字不可用");
    rig.signIn();
    QVERIFY(rig.settle());
    QTRY_VERIFY(rig.s.feedback->messages().contains("名字不可用"));
    QVERIFY(rig.device->categories().isEmpty());
}

void TstSignInSync::restoreAndDeltaRequestsFromTheEvent()
{
    CategoryTestRig rig(m_root);
    // Signed out: the event starts nothing.
    emit rig.events.syncPullNoteDatas("0");
    QTest::qWait(50);
    QCOMPARE(rig.requests("note/sync"), 0);
    rig.signIn();
    QVERIFY(rig.settle());
    QSignalSpy applied(rig.coordinator.get(), &SignInSyncCoordinator::pullApplied);
    emit rig.events.syncPullNoteDatas("0");
    QVERIFY(rig.settle());
    emit rig.events.syncPullNoteDatas(rig.device->version());
    QVERIFY(rig.settle());
    QCOMPARE(applied.size(), 2);
    QCOMPARE(applied.at(0).first().value<SyncEngine::PullKind>(), SyncEngine::PullKind::SnapshotRestore);
    QCOMPARE(applied.at(1).first().value<SyncEngine::PullKind>(), SyncEngine::PullKind::Delta);
}

namespace {

// The defaults file is replaced as a whole on every write: a new inode.
ino_t inodeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

void TstSignInSync::quietPollLeavesTheDefaultsFileAlone()
{
    CategoryTestRig rig(m_root);
    rig.signIn();
    QVERIFY(rig.settle());
    rig.s.tester().teamVersions = QJsonArray{1};
    rig.tick();
    QCOMPARE(UserDefaults::string(SignInKeys::TeamCount), QStringLiteral("1"));
    const QString file = rig.device->folder + "/defaults.ini";
    const ino_t before = inodeOf(file);
    QVERIFY(before != 0);
    const int asked = rig.requests("user/versionNums");
    rig.tick();
    rig.tick();
    QCOMPARE(rig.requests("user/versionNums"), asked + 2);
    QCOMPARE(inodeOf(file), before);
    // A change is written.
    rig.s.tester().teamVersions = QJsonArray{1, 2, 3};
    rig.tick();
    QCOMPARE(UserDefaults::string(SignInKeys::TeamCount), QStringLiteral("3"));
    QVERIFY(inodeOf(file) != before);
}

PRELVANE_TEST_MAIN(TstSignInSync)
#include "tst_signinsync.moc"
