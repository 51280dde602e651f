// A pull that goes wrong leaves the store as it was before or as it is after,
// never a mix, and the stored "version" always matches what the store holds.

#include "SyncClient.h"
#include "SyncTestService.h"
#include "service/sync/NoteMapManager.h"
#include "tests/support/TestEnv.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const int kPulledNotes = 3000;

// Server side: one category with two notes the device already has (version 2),
// then many more notes (the versions after).
void seedServer(SyncTestService &s, int extra)
{
    auto &d = s.notes->data(s.tester());
    NoteSyncHandlers::Category c;
    c.classId = "500";
    c.name = "工作";
    c.sort = 1;
    c.version = 2;
    d.classes.insert(c.classId, c);
    for (int i = 0; i < 2 + extra; ++i) {
        NoteSyncHandlers::Note n;
        n.cId = QString::number(600 + i);
        n.classId = "500";
        n.content = QStringLiteral("内容%1").arg(i);
        n.nextId = i + 1 < 2 + extra ? QString::number(601 + i) : "-1";
        n.version = i < 2 ? 2 : 3 + i % 5;
        if (i % 2)
            n.remind = QJsonObject{{"remindActionType", 2}, {"remindDateTime", "2030/1/1 9:00:00"}};
        d.notes.insert(n.cId, n);
    }
    s.tester().version = extra > 0 ? 7 : 2;
}

int noteCount(Context *ctx)
{
    return int(ctx->findAll<NoteDetail>().size());
}

// The child's store writes through this layer over SQLite's own files. It counts
// the writes into the WAL journal once counting is on, and at the chosen write it
// says "paused" and stops there for good: the parent's kill lands exactly there.
namespace pausing {

std::atomic<bool> counting{false};
std::atomic<int> writes{0};
int pauseAt = 0; // 0: never
sqlite3_vfs *real = nullptr;
sqlite3_vfs vfs;

struct File
{
    sqlite3_file base;
    sqlite3_file *inner; // the real VFS's file, right behind this struct
    bool wal;
};

sqlite3_file *in(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f)->inner;
}

int xClose(sqlite3_file *f)
{
    return in(f)->pMethods->xClose(in(f));
}
int xRead(sqlite3_file *f, void *b, int n, sqlite3_int64 o)
{
    return in(f)->pMethods->xRead(in(f), b, n, o);
}
int xWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
{
    if (reinterpret_cast<File *>(f)->wal && counting) {
        const int count = ++writes;
        if (count == pauseAt) {
            std::fputs("paused\n", stdout);
            std::fflush(stdout);
            for (;;)
                ::pause();
        }
    }
    return in(f)->pMethods->xWrite(in(f), b, n, o);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return in(f)->pMethods->xTruncate(in(f), size);
}
int xSync(sqlite3_file *f, int flags)
{
    return in(f)->pMethods->xSync(in(f), flags);
}
int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return in(f)->pMethods->xFileSize(in(f), size);
}
int xLock(sqlite3_file *f, int l)
{
    return in(f)->pMethods->xLock(in(f), l);
}
int xUnlock(sqlite3_file *f, int l)
{
    return in(f)->pMethods->xUnlock(in(f), l);
}
int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return in(f)->pMethods->xCheckReservedLock(in(f), out);
}
int xFileControl(sqlite3_file *f, int op, void *arg)
{
    return in(f)->pMethods->xFileControl(in(f), op, arg);
}
int xSectorSize(sqlite3_file *f)
{
    return in(f)->pMethods->xSectorSize(in(f));
}
int xDeviceCharacteristics(sqlite3_file *f)
{
    return in(f)->pMethods->xDeviceCharacteristics(in(f));
}
int xShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **p)
{
    return in(f)->pMethods->xShmMap(in(f), region, size, extend, p);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return in(f)->pMethods->xShmLock(in(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file *f)
{
    in(f)->pMethods->xShmBarrier(in(f));
}
int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return in(f)->pMethods->xShmUnmap(in(f), deleteFlag);
}
int xFetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p)
{
    return in(f)->pMethods->xFetch(in(f), o, n, p);
}
int xUnfetch(sqlite3_file *f, sqlite3_int64 o, void *p)
{
    return in(f)->pMethods->xUnfetch(in(f), o, p);
}

sqlite3_io_methods methods[4]; // by the real file's iVersion

int xOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *file = reinterpret_cast<File *>(f);
    file->inner = reinterpret_cast<sqlite3_file *>(file + 1);
    file->wal = flags & SQLITE_OPEN_WAL;
    const int rc = real->xOpen(real, name, file->inner, flags, outFlags);
    const sqlite3_io_methods *innerMethods = file->inner->pMethods;
    file->base.pMethods = innerMethods ? &methods[std::clamp(innerMethods->iVersion, 1, 3)] : nullptr;
    return rc;
}

void install(int at)
{
    pauseAt = at;
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "pausing";
    vfs.szOsFile = int(sizeof(File)) + real->szOsFile;
    vfs.xOpen = xOpen;
    for (int v = 1; v <= 3; ++v)
        methods[v] = {v,
                      xClose,
                      xRead,
                      xWrite,
                      xTruncate,
                      xSync,
                      xFileSize,
                      xLock,
                      xUnlock,
                      xCheckReservedLock,
                      xFileControl,
                      xSectorSize,
                      xDeviceCharacteristics,
                      v >= 2 ? xShmMap : nullptr,
                      v >= 2 ? xShmLock : nullptr,
                      v >= 2 ? xShmBarrier : nullptr,
                      v >= 2 ? xShmUnmap : nullptr,
                      v >= 3 ? xFetch : nullptr,
                      v >= 3 ? xUnfetch : nullptr};
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace pausing

// Ends the child unless it already ended: a child that is gone has no pid, and
// kill(0) would end our whole process group.
void killChild(QProcess &child)
{
    if (const qint64 pid = child.processId(); pid > 0)
        ::kill(pid_t(pid), SIGKILL);
}

// The child: pulls the big delta into the store it is given until it is killed
// (paused at the write SYNC_PULL_PAUSE_AT of the pull, or idle after the pull,
// when it tells how many writes the pull made).
int runChild(const QString &folder)
{
    pausing::install(qEnvironmentVariableIntValue("SYNC_PULL_PAUSE_AT"));
    SyncTestService s;
    seedServer(s, kPulledNotes);
    SyncClient c("a", QFileInfo(folder).path(), s, s.tester());
    UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, s.service->baseUrl().toString());
    UserDefaults::sync();
    QTextStream(stdout) << "pulling" << Qt::endl;
    pausing::counting = true;
    c.pull(SyncEngine::PullKind::Delta);
    QTextStream(stdout) << "pulled " << pausing::writes.load() << Qt::endl;
    for (;;)
        QTest::qWait(1000);
}

} // namespace

class TstSyncPullFaults : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void badReplyAppliesNothing_data();
    void badReplyAppliesNothing();
    void cutOffReplyAppliesNothing();
    void killedWhileApplyingIsBeforeOrAfter();

private:
    // A device holding the two notes at version 2.
    void prepareBefore(SyncTestService &s, SyncClient &c)
    {
        seedServer(s, 0);
        QVERIFY(c.pull(SyncEngine::PullKind::Full));
        QCOMPARE(noteCount(c.ctx()), 2);
        QCOMPARE(c.version(), QStringLiteral("2"));
    }
    QString m_root;
};

void TstSyncPullFaults::badReplyAppliesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QJsonObject>("reply");
    QTest::addRow("payload does not decrypt") << int(StandinFault::Kind::BadPayload) << QJsonObject();
    QTest::addRow("not JSON") << int(StandinFault::Kind::NotJson) << QJsonObject();
    QTest::addRow("connection reset") << int(StandinFault::Kind::Reset) << QJsonObject();
    QTest::addRow("notes section is a text")
        << int(StandinFault::Kind::None) << QJsonObject{{"version", "9"}, {"syncContentResult", "broken"}};
    QTest::addRow("a note entry is a number")
        << int(StandinFault::Kind::None)
        << QJsonObject{
               {"version", "9"},
               {"syncClassResult",
                QJsonObject{{"datas", QJsonArray{QJsonObject{{"classId", "501"}, {"actionType", "1"}}}}}},
               {"syncContentResult", QJsonObject{{"datas", QJsonArray{7}}}}};
}

void TstSyncPullFaults::badReplyAppliesNothing()
{
    QFETCH(int, kind);
    QFETCH(QJsonObject, reply);
    SyncTestService s;
    SyncClient c("a", m_root, s, s.tester());
    prepareBefore(s, c);
    const QStringList before = c.picture();
    seedServer(s, 50);
    if (kind != int(StandinFault::Kind::None))
        s.service->setFault("note/sync", StandinFault::of(StandinFault::Kind(kind)));
    else
        s.service->registerHandler("note/sync",
                                   [reply](StandinService::Context &) { return StandinReply::ok(reply); });
    QSignalSpy done(c.engine.get(), &SyncEngine::pullFinished);
    QVERIFY(c.pull(SyncEngine::PullKind::Delta));
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(c.picture(), before);
    QCOMPARE(c.version(), QStringLiteral("2"));
    QVERIFY(!c.ctx()->findFirstByAttribute<Classify>("classId", "501"));
}

void TstSyncPullFaults::cutOffReplyAppliesNothing()
{
    SyncTestService s;
    SyncClient c("a", m_root, s, s.tester());
    prepareBefore(s, c);
    const QStringList before = c.picture();
    seedServer(s, 200);

    // A whole envelope, of which only the first half arrives.
    const QByteArray full = StandinService::envelope(StandinReply::ok(s.notes->pullReply(s.tester(), 2)),
                                                     ApiEnvelope::getMD5String(s.tester().userKey));
    QTcpServer cut;
    QVERIFY(cut.listen(QHostAddress::LocalHost));
    connect(&cut, &QTcpServer::newConnection, &cut, [&] {
        QTcpSocket *sock = cut.nextPendingConnection();
        connect(sock, &QTcpSocket::readyRead, sock, [sock, full] {
            if (!sock->readAll().contains("\r\n\r\n"))
                return;
            sock->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                        QByteArray::number(full.size()) + "\r\n\r\n" + full.left(full.size() / 2));
            sock->flush();
            sock->disconnectFromHost();
        });
    });
    UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey,
                           QStringLiteral("http://127.0.0.1:%1/").arg(cut.serverPort()));
    QSignalSpy done(c.engine.get(), &SyncEngine::pullFinished);
    QVERIFY(c.pull(SyncEngine::PullKind::Delta));
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(c.picture(), before);
    QCOMPARE(c.version(), QStringLiteral("2"));
}

// The child is stopped at chosen writes of the pull's journal (its first, a
// quarter, half, three quarters, its last ones, and none: the pull ends) and
// killed there; the next start finds the store as before or as after, never a mix.
void TstSyncPullFaults::killedWhileApplyingIsBeforeOrAfter()
{
    // Runs the child to the chosen write; what the next start finds.
    // `pulledWrites` gets the writes of a pull that ran to its end (else stays).
    auto round = [this](int pauseAt, int *pulledWrites) -> std::optional<int> {
        const QString root = TestEnv::freshFolders();
        {
            SyncTestService s;
            SyncClient c("a", root, s, s.tester());
            prepareBefore(s, c);
        }
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SYNC_PULL_CHILD", root + "/a");
        env.insert("SYNC_PULL_PAUSE_AT", QString::number(pauseAt));
        // The child is killed before it can remove its own temporary folder:
        // it makes it inside ours, which goes when this test ends.
        env.insert("TMPDIR", root);
        child.setProcessEnvironment(env);
        child.start();
        if (!child.waitForStarted())
            return std::nullopt;
        // "pulling", then "paused" at the chosen write or "pulled <writes>".
        QByteArray said;
        while (!said.contains("paused") && !said.contains("pulled ") && child.state() == QProcess::Running)
            if (child.waitForReadyRead(30000))
                said += child.readAllStandardOutput();
            else
                break;
        killChild(child);
        child.waitForFinished(5000);
        if (const qsizetype at = said.indexOf("pulled "); at >= 0)
            *pulledWrites = said.mid(at + 7).trimmed().toInt();
        else if (!said.contains("paused"))
            return std::nullopt;

        // The next start of the program.
        UserDefaults::setStoragePath(root + "/a/defaults.ini");
        std::unique_ptr<Store> store = Store::open(root + "/a/store.sqlite", DataModel::model());
        if (!store)
            return std::nullopt;
        NoteMapManager::recoverInterruptedPull(*store->mainContext());
        const int notes = noteCount(store->mainContext());
        const QString version = UserDefaults::string(SignInKeys::Version);
        const bool whole = store->mainContext()->findAll<DateRemind>().size() ==
                           store->mainContext()
                               ->findAllWhere<NoteDetail>([](const NoteDetail *n) { return n->remind(); })
                               .size();
        if (!whole)
            return -1;
        if (notes == 2 && version == "2")
            return 0; // before
        if (notes == 2 + kPulledNotes && version == "7")
            return 1; // after
        qWarning("paused at %d: %d notes with version %s", pauseAt, notes, qPrintable(version));
        return -1;
    };

    int writes = 0;
    QVERIFY(round(0, &writes) == 1);
    QVERIFY2(writes > 8, qPrintable(QString::number(writes)));
    int sawBefore = 0, sawAfter = 0;
    for (const int at : {1, writes / 4, writes / 2, writes * 3 / 4, writes - 1}) {
        int ran = 0;
        const std::optional<int> seen = round(at, &ran);
        QVERIFY2(seen && *seen >= 0,
                 qPrintable(QStringLiteral("paused at write %1 of %2").arg(at).arg(writes)));
        // It stopped where it was told to (a pull may make a write or two fewer than
        // the one measured: then it ran to its end, near the end of the list).
        QVERIFY(ran == 0 || (at > writes * 3 / 4 && *seen == 1));
        // Well before the end the commit cannot have been written.
        if (at <= writes / 2)
            QCOMPARE(*seen, 0);
        (*seen == 0 ? sawBefore : sawAfter)++;
    }
    qInfo("a pull of %d journal writes: killed before the commit %d times, after it %d times", writes,
          sawBefore, sawAfter);
    QVERIFY(sawBefore >= 3);
}

int main(int argc, char **argv)
{
    TestEnv::prepareProcess("TstSyncPullFaults");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Prelvane"));
    if (qEnvironmentVariableIsSet("SYNC_PULL_CHILD"))
        return runChild(qEnvironmentVariable("SYNC_PULL_CHILD"));
    TestEnv::freshFolders();
    TstSyncPullFaults tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_sync_pullfaults.moc"
