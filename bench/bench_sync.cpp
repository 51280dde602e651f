// Pull application and push collection at the sizes of a large account.
//
// PullApply: a pull reply of 10,000 notes in 100 categories with 5,000
// reminders, from the decrypted bytes to the committed store (empty store, full
// pull), with the mean time of each step (parse, import, save) as counters.
// PlainSqliteInsert, the baseline: the same rows written with plain SQLite in
// one transaction into the tables and indexes the store makes. PullMainThreadStall: the same pull as the
// program gets it - the encrypted reply fetched by the API client from a loopback server on its own thread,
// decoded, checked and imported in the background - reporting the longest gap between two ticks of a
// zero-interval timer on the main thread; argument 0 decodes every reply on the main thread (as before the
// worker), 1 with the client's worker. PullKeyedUpdate and
// PullKeyedUpdateStall: the same full pull onto a store that already holds
// those rows (matched by key and updated in place). PushCollect: collecting and
// encoding (JSON, AES, Base64) a push of 1,000 changed notes. LogoutDuringPull:
// the full pull of 10,000 notes imported in the background, and a logout the
// given milliseconds after it began; the logout waits for the import (which must
// not commit after the wipe), so its time is the main thread's longest block.

#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/AES.h"
#include "service/api/ApiEnvelope.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/NoteMapManager.h"
#include "service/sync/SyncNotesManager.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <limits>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QTemporaryDir *tempDir()
{
    static QTemporaryDir dir;
    return &dir;
}

QByteArray pullReplyBytes()
{
    static const QByteArray bytes = [] {
        QJsonArray classes, notes;
        for (int c = 0; c < 100; ++c) {
            const QString classId = QString::number(1000 + c);
            classes.append(QJsonObject{{"classId", classId},
                                       {"actionType", "1"},
                                       {"detail", QJsonObject{{"classId", classId},
                                                              {"name", QStringLiteral("分类%1").arg(c)},
                                                              {"backColor", "#10b56c"},
                                                              {"sort", c + 1}}}});
            for (int i = 0; i < 100; ++i) {
                const int k = c * 100 + i;
                QJsonObject detail{
                    {"cId", QString::number(100000 + k)},
                    {"classId", classId},
                    {"content", QStringLiteral("第%1条笔记，写点什么内容在这里").arg(k)},
                    {"fontColor", ""},
                    {"nextId", i + 1 < 100 ? QString::number(100001 + k) : QStringLiteral("-1")},
                    {"sort", 100 - i},
                    {"isCompleted", false},
                    {"completedTime", ""}};
                if (k % 2 == 0)
                    detail.insert("remindSetting", QJsonObject{{"remindActionType", 2},
                                                               {"remindDateType", 0},
                                                               {"remindDateTime", "2030/1/1 9:00:00"},
                                                               {"remindRealDateTime", "2030/1/1 9:00:00"},
                                                               {"remindCycleType", 1},
                                                               {"remindCycleInterval", 1}});
                else
                    detail.insert("remindSetting", QJsonValue::Null);
                notes.append(QJsonObject{
                    {"cId", QString::number(100000 + k)}, {"actionType", "1"}, {"detail", detail}});
            }
        }
        const QJsonObject reply{{"version", "42"},
                                {"syncClassResult", QJsonObject{{"datas", classes}}},
                                {"syncContentResult", QJsonObject{{"datas", notes}}}};
        return QJsonDocument(reply).toJson(QJsonDocument::Compact);
    }();
    return bytes;
}

std::unique_ptr<Store> freshStore(const QString &name)
{
    const QString path = tempDir()->filePath(name);
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + suffix);
    return Store::open(path, DataModel::model());
}

NoteMapManager::Options fullPullOptions()
{
    NoteMapManager::Options options;
    options.fullPull = true;
    options.userId = 7;
    options.appliedVersion = QStringLiteral("42");
    return options;
}

// A store that already holds the pulled rows, as after an earlier full pull.
std::unique_ptr<Store> storeHoldingThePull(const QString &name)
{
    std::unique_ptr<Store> store = freshStore(name);
    std::unique_ptr<Context> ctx = store->newContext();
    NoteMapManager::Result result;
    if (!NoteMapManager::applyToContext(*ctx, QJsonDocument::fromJson(pullReplyBytes()).object(),
                                        fullPullOptions(), &result) ||
        !ctx->saveAndWait())
        return nullptr;
    return store;
}

const QString UserKeyText = QStringLiteral("0123456789abcdef0123456789abcdef");

// Answers every request with one fixed HTTP reply, from its own thread, so the
// main thread pays only what the client pays.
class ReplyServer : public QThread
{
public:
    explicit ReplyServer(const QByteArray &body)
        : m_response("HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body)
    {
        start();
        m_ready.acquire();
    }
    ~ReplyServer() override
    {
        quit();
        wait();
    }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port.load()); }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll();
                    if (request->contains("\r\n\r\n")) {
                        socket->write(m_response);
                        socket->disconnectFromHost();
                    }
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_ready.release();
        exec();
    }

private:
    const QByteArray m_response;
    QSemaphore m_ready;
    std::atomic<quint16> m_port{0};
};

// The pull reply as the service sends it: the envelope with the encrypted data.
QByteArray encryptedPullReply()
{
    static const QByteArray bytes = [] {
        const QString key = ApiEnvelope::getAesPwdWithUrl(QStringLiteral("note/sync"));
        const QJsonObject envelope{{"code", 200},
                                   {"msg", "success"},
                                   {"data", AES::encrypt(QString::fromUtf8(pullReplyBytes()), key)}};
        return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
    }();
    return bytes;
}

// The longest gap between two ticks of the main thread while a full pull is
// fetched, decoded and imported in the background into `store`, in
// milliseconds; -1 on failure. With `onWorker` false every reply is decoded on
// the main thread.
qint64 longestStallDuringPull(Store *store, bool onWorker)
{
    static ReplyServer server(encryptedPullReply());
    UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, server.baseUrl());
    ApiNetWorking api;
    if (!onWorker)
        api.setWorkerDecodeBytes(std::numeric_limits<qint64>::max());
    QEventLoop loop;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] { longest = qMax(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    bool ok = false;
    api.syncPullDatasFromNoteWithParam(
        QJsonObject{{"version", "0"}}, store,
        [&](const BaseSuccessModel &reply) {
            // What the sync engine does with a pull reply on the main thread.
            const QJsonObject data = reply.dataObject();
            if (reply.code != 200 || !NoteMapManager::validate(data)) {
                loop.quit();
                return;
            }
            NoteMapManager::noteMapToLocalWithData(
                data, fullPullOptions(),
                [&](const NoteMapManager::Result &r) {
                    ok = r.ok;
                    // The first query of the main context after the merge, as the views make it.
                    (void)store->mainContext()->findAll<Classify>();
                    longest = qMax(longest, sinceTick.restart());
                    loop.quit();
                },
                *store);
        },
        [&](const BaseErrorModel &) { loop.quit(); });
    loop.exec();
    ticker.stop();
    return ok ? longest : -1;
}

// Times of the three steps of a pull (parsing the reply, importing it into a
// context, saving that context), summed over the runs and reported as means.
struct PullSteps
{
    double parse = 0, import = 0, save = 0;

    // One pull of `bytes` into `ctx`; false (and the error given to the state) on failure.
    bool run(benchmark::State &state, Context &ctx, const QByteArray &bytes)
    {
        QElapsedTimer t;
        t.start();
        const QJsonObject data = QJsonDocument::fromJson(bytes).object();
        parse += t.nsecsElapsed() / 1e6;
        t.restart();
        NoteMapManager::Result result;
        if (!NoteMapManager::applyToContext(ctx, data, fullPullOptions(), &result)) {
            state.SkipWithError("the import failed");
            return false;
        }
        import += t.nsecsElapsed() / 1e6;
        t.restart();
        if (!ctx.saveAndWait()) {
            state.SkipWithError("the save failed");
            return false;
        }
        save += t.nsecsElapsed() / 1e6;
        return true;
    }
    void report(benchmark::State &state) const
    {
        const double n = double(qMax<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["parse_ms"] = parse / n;
        state.counters["import_ms"] = import / n;
        state.counters["save_ms"] = save / n;
    }
};

void PullApply(benchmark::State &state)
{
    const QByteArray bytes = pullReplyBytes();
    int run = 0;
    PullSteps steps;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Store> store = freshStore(QStringLiteral("pull-%1.sqlite").arg(run++));
        std::unique_ptr<Context> ctx = store->newContext();
        state.ResumeTiming();
        if (!steps.run(state, *ctx, bytes))
            break;
        state.PauseTiming();
        ctx.reset();
        store.reset();
        state.ResumeTiming();
    }
    steps.report(state);
}

// The same rows written with plain SQLite into the store's own tables and
// indexes (made by opening a store on the file), one prepared statement per
// table, values bound straight from the parsed reply.
void PlainSqliteInsert(benchmark::State &state)
{
    const QJsonObject reply = QJsonDocument::fromJson(pullReplyBytes()).object();
    const QJsonArray classes = reply.value("syncClassResult").toObject().value("datas").toArray();
    const QJsonArray notes = reply.value("syncContentResult").toObject().value("datas").toArray();
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString name = QStringLiteral("plain-%1.sqlite").arg(run++);
        freshStore(name).reset(); // the schema, then the store is closed
        sqlite3 *db = nullptr;
        sqlite3_open(tempDir()->filePath(name).toUtf8().constData(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt *ci = nullptr, *ni = nullptr, *ri = nullptr;
        sqlite3_prepare_v2(
            db,
            "INSERT INTO \"Classify\" (pk, classId, name, backColor, sort, version, actionType,"
            " isSync, _rev) VALUES (?,?,?,?,?,?,?,?,?)",
            -1, &ci, nullptr);
        sqlite3_prepare_v2(
            db,
            "INSERT INTO \"NoteDetail\" (pk, cId, classId, content, fontColor, isCompleted,"
            " completedTime, nextId, sort, actionType, isSync, isError, classify, remind, _rev)"
            " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            -1, &ni, nullptr);
        sqlite3_prepare_v2(
            db,
            "INSERT INTO \"DateRemind\" (pk, cId, remindActionType, remindDateType,"
            " remindDateTime, remindRealDateTime, remindCycleType, remindCycleInterval,"
            " remindCycleSpecific, remindEndTime, remindRType, remindDelayTime, connectWifiIds,"
            " connectWifiType, remindWifiStatus, remindWifiDateTime, _rev)"
            " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            -1, &ri, nullptr);
        if (!ci || !ni || !ri) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        auto text = [](sqlite3_stmt *stmt, int i, const QJsonValue &v) {
            const QByteArray bytes = v.toString().toUtf8();
            sqlite3_bind_text(stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        };
        qint64 pk = 1;
        QHash<QString, qint64> classPk;
        for (const QJsonValue &v : classes) {
            const QJsonObject d = v.toObject().value("detail").toObject();
            classPk.insert(d.value("classId").toString(), pk);
            sqlite3_bind_int64(ci, 1, pk++);
            text(ci, 2, d.value("classId"));
            text(ci, 3, d.value("name"));
            text(ci, 4, d.value("backColor"));
            sqlite3_bind_int(ci, 5, d.value("sort").toInt());
            sqlite3_bind_text(ci, 6, "42", -1, SQLITE_STATIC);
            sqlite3_bind_int(ci, 7, 0);
            sqlite3_bind_int(ci, 8, 1);
            sqlite3_bind_int(ci, 9, 1);
            sqlite3_step(ci);
            sqlite3_reset(ci);
        }
        for (const QJsonValue &v : notes) {
            const QJsonObject d = v.toObject().value("detail").toObject();
            qint64 remindPk = 0;
            const QJsonObject r = d.value("remindSetting").toObject();
            if (!r.isEmpty()) {
                remindPk = pk++;
                sqlite3_bind_int64(ri, 1, remindPk);
                text(ri, 2, d.value("cId"));
                sqlite3_bind_int(ri, 3, r.value("remindActionType").toInt());
                sqlite3_bind_int(ri, 4, r.value("remindDateType").toInt());
                text(ri, 5, r.value("remindDateTime"));
                text(ri, 6, r.value("remindRealDateTime"));
                sqlite3_bind_int(ri, 7, r.value("remindCycleType").toInt());
                sqlite3_bind_int(ri, 8, r.value("remindCycleInterval").toInt());
                for (int i : {9, 10, 12, 13, 16}) // texts the reply leaves out
                    sqlite3_bind_null(ri, i);
                for (int i : {11, 14, 15}) // numbers the reply leaves out
                    sqlite3_bind_int(ri, i, 0);
                sqlite3_bind_int(ri, 17, 1);
                sqlite3_step(ri);
                sqlite3_reset(ri);
            }
            sqlite3_bind_int64(ni, 1, pk++);
            text(ni, 2, d.value("cId"));
            text(ni, 3, d.value("classId"));
            text(ni, 4, d.value("content"));
            text(ni, 5, d.value("fontColor"));
            sqlite3_bind_int(ni, 6, d.value("isCompleted").toBool() ? 1 : 0);
            text(ni, 7, d.value("completedTime"));
            text(ni, 8, d.value("nextId"));
            sqlite3_bind_int(ni, 9, d.value("sort").toInt());
            sqlite3_bind_int(ni, 10, 0);
            sqlite3_bind_int(ni, 11, 1);
            sqlite3_bind_int(ni, 12, 0);
            sqlite3_bind_int64(ni, 13, classPk.value(d.value("classId").toString()));
            if (remindPk)
                sqlite3_bind_int64(ni, 14, remindPk);
            else
                sqlite3_bind_null(ni, 14);
            sqlite3_bind_int(ni, 15, 1);
            sqlite3_step(ni);
            sqlite3_reset(ni);
        }
        sqlite3_finalize(ci);
        sqlite3_finalize(ni);
        sqlite3_finalize(ri);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_stmt *count = nullptr;
        sqlite3_prepare_v2(
            db,
            "SELECT (SELECT count(*) FROM \"NoteDetail\") + (SELECT count(*) FROM \"DateRemind\")"
            " + (SELECT count(*) FROM \"Classify\")",
            -1, &count, nullptr);
        const bool whole = sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == 15100;
        sqlite3_finalize(count);
        sqlite3_close(db);
        if (!whole) {
            state.SkipWithError("the plain insert did not write every row");
            break;
        }
        state.ResumeTiming();
    }
}

void PullMainThreadStall(benchmark::State &state)
{
    (void)encryptedPullReply(); // built once, outside the measured stalls
    int run = 0;
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Store> store = freshStore(QStringLiteral("stall-%1.sqlite").arg(run++));
        state.ResumeTiming();
        const qint64 longest = longestStallDuringPull(store.get(), state.range(0) != 0);
        if (longest < 0)
            state.SkipWithError("the pull failed");
        worst = qMax(worst, double(longest));
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["max_main_thread_stall_ms"] = worst;
}

void PullKeyedUpdate(benchmark::State &state)
{
    const QByteArray bytes = pullReplyBytes();
    int run = 0;
    PullSteps steps;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Store> store = storeHoldingThePull(QStringLiteral("keyed-%1.sqlite").arg(run++));
        if (!store) {
            state.SkipWithError("the first pull failed");
            break;
        }
        std::unique_ptr<Context> ctx = store->newContext();
        state.ResumeTiming();
        if (!steps.run(state, *ctx, bytes))
            break;
        state.PauseTiming();
        ctx.reset();
        store.reset();
        state.ResumeTiming();
    }
    steps.report(state);
}

void PullKeyedUpdateStall(benchmark::State &state)
{
    (void)encryptedPullReply();
    int run = 0;
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Store> store =
            storeHoldingThePull(QStringLiteral("keyed-stall-%1.sqlite").arg(run++));
        if (!store) {
            state.SkipWithError("the first pull failed");
            break;
        }
        // The views hold the rows the update changes.
        (void)store->mainContext()->findAll<NoteDetail>();
        state.ResumeTiming();
        const qint64 longest = longestStallDuringPull(store.get(), state.range(0) != 0);
        if (longest < 0)
            state.SkipWithError("the pull failed");
        worst = qMax(worst, double(longest));
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["max_main_thread_stall_ms"] = worst;
}

void PushCollect(benchmark::State &state)
{
    std::unique_ptr<Store> store = freshStore(QStringLiteral("push.sqlite"));
    Context *ctx = store->mainContext();
    for (int c = 0; c < 10; ++c) {
        auto *cat = ctx->create<Classify>();
        cat->setClassId(QString::number(500 + c));
        cat->setName(QStringLiteral("分类%1").arg(c));
        cat->setIsSync(true);
        for (int i = 0; i < 100; ++i) {
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QString::number(9000 + c * 100 + i));
            n->setClassId(cat->classId());
            n->setClassify(cat);
            n->setContent(QStringLiteral("改过的第%1条").arg(i));
            n->setNextId(i + 1 < 100 ? QString::number(9001 + c * 100 + i) : QStringLiteral("-1"));
            n->setSort(qint16(i + 1));
            n->setActionType(2);
            n->setIsSync(false);
            if (i % 2) {
                auto *r = ctx->create<DateRemind>();
                r->setCId(n->cId());
                r->setRemindActionType(2);
                r->setRemindDateTime(QStringLiteral("2030/1/1 9:00:00"));
                n->setRemind(r);
            }
        }
    }
    if (!ctx->saveAndWait())
        state.SkipWithError("the set-up save failed");
    FakeUserNotificationCenter center;
    LocalNotificationManager notifications(*ctx, center);
    const SyncNotesManager notes(*ctx, notifications);
    for (auto _ : state) {
        QJsonObject body = notes.getNoSyncParamsFromClassifyAndNotes();
        body.insert("version", "42");
        const QString encoded = ApiEnvelope::showAESWithParams(body, QStringLiteral("note/sync"));
        benchmark::DoNotOptimize(encoded);
        if (encoded.isEmpty() || body.value("contents").toArray().size() != 1000)
            state.SkipWithError("the push body is not complete");
    }
}

void LogoutDuringPull(benchmark::State &state)
{
    const QJsonObject data = QJsonDocument::fromJson(pullReplyBytes()).object();
    int run = 0;
    double worst = 0;
    int dropped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Store> store = freshStore(QStringLiteral("logout-%1.sqlite").arg(run++));
        Session session;
        session.signIn(QStringLiteral("7"));
        NoteMapManager::Options options = fullPullOptions();
        options.stillWanted = [&session, generation = session.generation()] {
            return session.generation() == generation;
        };
        QEventLoop loop;
        bool ended = false;
        bool applied = false;
        NoteMapManager::noteMapToLocalWithData(
            data, options,
            [&](const NoteMapManager::Result &r) {
                applied = r.ok;
                ended = true;
                loop.quit();
            },
            *store);
        QTimer::singleShot(int(state.range(0)), &loop, &QEventLoop::quit);
        loop.exec();
        state.ResumeTiming();
        // The logout's wipe, as the program's: the running import ends first.
        QElapsedTimer block;
        block.start();
        session.signOut([&store] {
            store->waitForBackgroundSaves();
            Context *ctx = store->mainContext();
            ctx->deleteAll<Classify>();
            ctx->deleteAll<NoteDetail>();
            ctx->deleteAll<DateRemind>();
            (void)ctx->saveAndWait();
        });
        worst = qMax(worst, double(block.nsecsElapsed()) / 1e6);
        state.PauseTiming();
        if (!ended)
            loop.exec();
        if (!applied)
            ++dropped;
        store.reset();
        state.ResumeTiming();
    }
    state.counters["longest_main_thread_block_ms"] = worst;
    state.counters["imports_dropped"] = dropped;
}

} // namespace

BENCHMARK(PullApply)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PlainSqliteInsert)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PullMainThreadStall)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(0)->Arg(1);
BENCHMARK(PullKeyedUpdate)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PullKeyedUpdateStall)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(0)->Arg(1);
BENCHMARK(PushCollect)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(LogoutDuringPull)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Arg(10)
    ->Arg(40)
    ->Arg(80)
    ->Arg(120);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    UserDefaults::setStoragePath(tempDir()->filePath("defaults.ini"));
    UserDefaults::setValue(SignInKeys::UserKey, UserKeyText);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
