#include "platform/base/Clock.h"
#include "service/api/AutoJumpToken.h"
#include "service/standin/StandinCrypto.h"
#include "tests/service/ServiceFixture.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrlQuery>

// The client against the stand-in service over loopback HTTP.
class TestApiClient : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::reset(); }

    void loginUsesPublicKeyAndStoresTokensBeforeCallback()
    {
        ServiceFixture f;
        UserDefaults::setValue("userKey", "stale-user-key");
        QString tokenSeenInCallback;
        auto r = f.run([&](auto ok, auto fail) {
            f.api->loginWithParam(
                {{"account", "tester"}, {"passWord", "secret1"}}, nullptr,
                [&, ok](const BaseSuccessModel &m) {
                    tokenSeenInCallback = UserDefaults::string("accessToken");
                    ok(m);
                },
                fail);
        });
        QVERIFY(r->succeeded);
        QCOMPARE(r->model.code, 200);
        const StandinRequest req = f.service->lastRequest("user/login");
        QVERIFY(req.bodyDecrypted); // the built-in key, despite the stored user key
        QCOMPARE(req.params.value("account").toString(), QStringLiteral("tester"));
        QVERIFY(!req.params.value("deviceCode").toString().isEmpty());
        QVERIFY(req.params.value("deviceModel").toString().contains('-'));
        // The project's version, in the login field and in every request's header.
        QCOMPARE(req.params.value("clientVersion").toString(), QStringLiteral(PRELVANE_VERSION));
        QVERIFY(
            QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(QStringLiteral(PRELVANE_VERSION)).hasMatch());
        QCOMPARE(req.header("clientVersion"), QByteArray(PRELVANE_VERSION));
        QVERIFY(!req.params.contains("jpushId"));
        QCOMPARE(tokenSeenInCallback, f.tester().accessToken);
        QCOMPARE(UserDefaults::string("userKey"), f.tester().userKey);
        QVERIFY(f.feedback->messages().isEmpty());
    }

    void signedInRequestUsesUserKeyAndPullCarriesIsDetail()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        auto r = f.run([&](auto ok, auto fail) {
            f.api->syncPullDatasFromNoteWithParam({{"version", "0"}, {"isDetail", "0"}}, nullptr, ok, fail);
        });
        QVERIFY(r->succeeded);
        QCOMPARE(r->model.code, 200);
        QVERIFY(r->model.hasObjectData()); // decrypted with the user key
        const StandinRequest req = f.service->lastRequest("note/sync");
        QCOMPARE(req.method, QByteArray("GET"));
        QCOMPARE(req.query.queryItemValue("isDetail"), QStringLiteral("1"));
        QCOMPARE(req.header("accessToken"), f.tester().accessToken.toUtf8());

        auto push = f.run([&](auto ok, auto fail) {
            f.api->syncPushDatasFromParams({{"version", "1"}, {"classes", QJsonArray()}}, nullptr, ok, fail);
        });
        QVERIFY(push->succeeded);
        QVERIFY(f.service->lastRequest("note/sync").bodyDecrypted);
        QCOMPARE(push->model.dataObject().value("result").toBool(), true);
    }

    void queryValuesAreEscaped()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        auto r = f.run([&](auto ok, auto fail) {
            f.api->searchNoteWithParams({{"key", "a+b &c=d/中"}, {"n", 5}}, nullptr, ok, fail);
        });
        QVERIFY(r->succeeded);
        const StandinRequest req = f.service->lastRequest("note/content/search");
        QCOMPARE(req.params.value("key").toString(), QStringLiteral("a+b &c=d/中"));
        QCOMPARE(req.params.value("n").toString(), QStringLiteral("5"));
    }

    void getCarriesCurrentTimePostCarriesCreationTime()
    {
        Clock::setNow(QDateTime::fromSecsSinceEpoch(1'800'000'000));
        ServiceFixture f;
        Clock::advance(3600 * 1000);
        QVERIFY(f.signIn());
        f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); });
        QCOMPARE(f.service->lastRequest("user/userInfo").header("timestamp"), QByteArray("1800003600"));
        QCOMPARE(f.service->lastRequest("user/login").header("timestamp"), QByteArray("1800000000"));
        const StandinRequest get = f.service->lastRequest("user/userInfo");
        QCOMPARE(get.header("appId"), QByteArray("plvmac"));
        QCOMPARE(get.header("signature"), QByteArray("730518"));
    }

    void sessionEndingCodesLogOutThenReachCaller_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("path");
        QTest::newRow("410 GET") << 410 << "user/userInfo";
        QTest::newRow("411 POST") << 411 << "user/wifi/add";
        QTest::newRow("413 POST") << 413 << "note/sync";
    }
    void sessionEndingCodesLogOutThenReachCaller()
    {
        QFETCH(int, code);
        QFETCH(QString, path);
        ServiceFixture f;
        QVERIFY(f.signIn());
        UserDefaults::setValue("version", "9");
        UserDefaults::setValue("userId", "1001");
        f.service->setFault(path, StandinFault::replyCode(code, QStringLiteral("账号在别处登录")));
        auto r = f.run([&](auto ok, auto fail) {
            if (path == "user/userInfo")
                f.api->loadUserInfoWithSuccess(nullptr, ok, fail);
            else if (path == "user/wifi/add")
                f.api->addWiFiWithParams({{"name", "home"}, {"alias", "家"}}, nullptr, ok, fail);
            else
                f.api->syncPushDatasFromParams({{"version", "9"}}, nullptr, ok, fail);
        });
        QVERIFY(r->succeeded);
        QCOMPARE(r->model.code, qint64(code));
        QCOMPARE(r->model.showMsg, false);
        QVERIFY(r->model.data.isUndefined());
        QCOMPARE(f.windowHookCalls, 1);
        QVERIFY(!UserDefaults::contains("accessToken"));
        QVERIFY(!UserDefaults::contains("userKey"));
        QVERIFY(!UserDefaults::contains("version"));
        QCOMPARE(UserDefaults::string("userId"), QStringLiteral("1001"));
        QCOMPARE(f.feedback->messages(), QStringList{QStringLiteral("账号在别处登录")});
    }

    void updateCodeAsksForNewVersionAndLogsOutOnConfirm()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.service->setFault("user/sysSet", StandinFault::replyCode(417, QStringLiteral("版本过旧")));
        auto r = f.run([&](auto ok, auto fail) { f.api->loadSystemSettingsWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->succeeded);
        QCOMPARE(r->model.code, 417);
        QCOMPARE(f.feedback->messages(), QStringList{QStringLiteral("请下载最新版本")});
        QCOMPARE(f.windowHookCalls, 1);
        QVERIFY(!UserDefaults::contains("accessToken"));
    }

    void otherCodesShowServerMessageOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("500 on POST") << "user/wifi/delete" << 500 << QStringList{"服务器内部错误"};
        QTest::newRow("500 on GET") << "user/wifi/list" << 500 << QStringList{"服务器内部错误"};
        QTest::newRow("check oauth silent") << "tool/checkOAuthState" << 500 << QStringList{};
        QTest::newRow("temp id shows") << "tool/oauthTempId" << 301 << QStringList{"服务器内部错误"};
    }
    void otherCodesShowServerMessageOnce()
    {
        QFETCH(QString, path);
        QFETCH(int, code);
        QFETCH(QStringList, shown);
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.service->setFault(path, StandinFault::replyCode(code, QStringLiteral("服务器内部错误")));
        OAuthModel model;
        model.oauthtype = "wx";
        model.type = "login";
        auto r = f.run([&](auto ok, auto fail) {
            if (path == "user/wifi/delete")
                f.api->deleteWiFiWithParams({{"name", "x"}}, nullptr, ok, fail);
            else if (path == "user/wifi/list")
                f.api->loadWiFiListWithSuccess(nullptr, ok, fail);
            else if (path == "tool/checkOAuthState")
                f.api->checkOAuthStatusWithParamsModel(model, nullptr, ok, fail);
            else
                f.api->loadAOuthTempIdWithParams(model, nullptr, ok, fail);
        });
        QVERIFY(r->succeeded);
        QCOMPARE(r->model.code, qint64(code));
        QCOMPARE(f.feedback->messages(), shown);
        QCOMPARE(f.windowHookCalls, 0);
        QVERIFY(UserDefaults::contains("accessToken"));
    }

    void textPathsHandTheirPayloadAsText()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        // Valid JSON text must still arrive as text.
        f.service->state().autoJumpKey = QStringLiteral("{\"a\":1}");
        auto key = f.run([&](auto ok, auto fail) { f.api->loadAutoJumpKeyWithSuccess(nullptr, ok, fail); });
        QVERIFY(key->model.data.isString());
        QCOMPARE(key->model.dataString(), QStringLiteral("{\"a\":1}"));

        OAuthModel model;
        model.oauthtype = "qq";
        model.type = "bind";
        auto temp =
            f.run([&](auto ok, auto fail) { f.api->loadAOuthTempIdWithParams(model, nullptr, ok, fail); });
        QVERIFY(temp->model.data.isString());
        QVERIFY(temp->model.dataString().startsWith("tmp"));
        QCOMPARE(model.clientVersion, QStringLiteral(PRELVANE_VERSION));
        const QJsonObject sent = f.service->lastRequest("tool/oauthTempId").params;
        QCOMPARE(sent.value("oauthtype").toString(), QStringLiteral("qq"));
        QVERIFY(!sent.contains("clientId")); // unset fields are left out

        model.clientId = temp->model.dataString();
        f.service->state().oauthStates[model.clientId] = QJsonObject{{"status", "ok"}, {"openId", "o-1"}};
        auto check = f.run(
            [&](auto ok, auto fail) { f.api->checkOAuthStatusWithParamsModel(model, nullptr, ok, fail); });
        QCOMPARE(check->model.dataObject().value("status").toString(), QStringLiteral("ok"));
    }

    void faultsGiveOneClearMessage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("reachesFailure");
        QTest::addColumn<qint64>("code");
        QTest::newRow("not JSON") << int(StandinFault::Kind::NotJson) << false << qint64(0);
        QTest::newRow("payload does not decrypt")
            << int(StandinFault::Kind::BadPayload) << false << qint64(200);
        QTest::newRow("HTTP 500") << int(StandinFault::Kind::Http500) << true << qint64(0);
        QTest::newRow("reset") << int(StandinFault::Kind::Reset) << true << qint64(0);
        QTest::newRow("no answer") << int(StandinFault::Kind::NoAnswer) << true << qint64(0);
    }
    void faultsGiveOneClearMessage()
    {
        QFETCH(int, kind);
        QFETCH(bool, reachesFailure);
        QFETCH(qint64, code);
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.api->setRequestTimeout(300);
        f.service->setFault("user/userInfo", StandinFault::of(StandinFault::Kind(kind)));
        auto r = f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->done());
        QCOMPARE(r->failed, reachesFailure);
        if (reachesFailure) {
            QVERIFY(!r->error.msg.isEmpty());
            QCOMPARE(f.feedback->messages(), QStringList{r->error.msg});
        } else {
            QCOMPARE(r->model.code, code);
            QVERIFY(r->model.data.isUndefined());
            // Code 200 with an unreadable payload shows nothing; the caller checks the data.
            QCOMPARE(f.feedback->messages().size(), code == 200 ? 0 : 1);
            if (code == 0)
                QVERIFY(!f.feedback->messages().first().isEmpty());
        }
        if (StandinFault::Kind(kind) == StandinFault::Kind::NoAnswer)
            QVERIFY(r->error.msg.contains(QStringLiteral("超时")));
        if (StandinFault::Kind(kind) == StandinFault::Kind::Http500)
            QVERIFY(r->error.msg.contains("500"));
        QCOMPARE(f.windowHookCalls, 0);
    }

    // A silent server meets the idle time-out; one that trickles a byte now and
    // then restarts that each time and meets the overall deadline instead.
    void slowRepliesEndAtTheIdleTimeOutOrTheDeadline_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("told");
        QTest::newRow("silent") << int(StandinFault::Kind::NoAnswer) << "请求超时，请检查网络后重试";
        QTest::newRow("trickling") << int(StandinFault::Kind::Trickle)
                                   << "请求超时：服务器应答过慢，请稍后重试";
    }
    void slowRepliesEndAtTheIdleTimeOutOrTheDeadline()
    {
        QFETCH(int, kind);
        QFETCH(QString, told);
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.api->setRequestTimeout(1500);
        f.api->setRequestDeadline(4000);
        f.service->setFault("user/userInfo", StandinFault::of(StandinFault::Kind(kind)));
        QTimer feeder;
        feeder.setInterval(50);
        int fed = 0;
        connect(&feeder, &QTimer::timeout, &feeder, [&] { fed += f.service->trickle(); });
        feeder.start();
        auto r = f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); }, 15000);
        feeder.stop();
        QVERIFY(r->failed);
        QCOMPARE(r->error.msg, told);
        QCOMPARE(f.feedback->messages(), QStringList{told});
        QCOMPARE(fed > 0, StandinFault::Kind(kind) == StandinFault::Kind::Trickle);
        // The client let go of the connection: nothing is trickled any more.
        QTRY_COMPARE(f.service->tricklingConnections(), 0);
    }

    // Large replies are decoded on a worker thread; forcing every reply there
    // must give each caller what the main-thread decoding gives it.
    void workerDecodingMatchesMainThread_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("readable") << "readable";
        QTest::newRow("not JSON") << "not JSON";
        QTest::newRow("payload does not decrypt") << "bad payload";
        QTest::newRow("payload is not JSON") << "payload text";
        QTest::newRow("server message") << "code 500";
        QTest::newRow("session ended") << "code 410";
    }
    void workerDecodingMatchesMainThread()
    {
        QFETCH(QString, reply);
        struct Outcome
        {
            std::shared_ptr<CallResult> result;
            QStringList messages;
            int windowHookCalls = 0;
        };
        auto outcome = [&](qint64 workerBytes) {
            ServiceFixture f;
            [&] { QVERIFY(f.signIn()); }();
            f.api->setWorkerDecodeBytes(workerBytes);
            if (reply == "not JSON")
                f.service->setFault("user/userInfo", StandinFault::of(StandinFault::Kind::NotJson));
            else if (reply == "bad payload")
                f.service->setFault("user/userInfo", StandinFault::of(StandinFault::Kind::BadPayload));
            else if (reply == "code 500")
                f.service->setFault("user/userInfo", StandinFault::replyCode(500, "服务器忙"));
            else if (reply == "code 410")
                f.service->setFault("user/userInfo", StandinFault::replyCode(410, "失效"));
            else if (reply == "payload text")
                f.service->registerHandler("user/userInfo", [](StandinService::Context &) {
                    return StandinReply::ok(QStringLiteral("{not json"), StandinReply::Form::EncryptedText);
                });
            Outcome o;
            o.result = f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); });
            o.messages = f.feedback->messages();
            o.windowHookCalls = f.windowHookCalls;
            return o;
        };
        const Outcome main = outcome(64 * 1024);
        const Outcome worker = outcome(0);
        QVERIFY(main.result->succeeded);
        QVERIFY(worker.result->succeeded);
        QCOMPARE(worker.result->model.code, main.result->model.code);
        QCOMPARE(worker.result->model.msg, main.result->model.msg);
        QCOMPARE(worker.result->model.data, main.result->model.data);
        QCOMPARE(worker.messages, main.messages);
        QCOMPARE(worker.windowHookCalls, main.windowHookCalls);
        // The cases differ where they should: data only for a readable reply, the
        // logout for 410, a message for the server's own code and for a reply that is no JSON.
        QCOMPARE(worker.result->model.hasObjectData(), reply == "readable");
        QCOMPARE(worker.windowHookCalls, reply == "code 410" ? 1 : 0);
        QCOMPARE(worker.messages.size(),
                 reply == "readable" || reply == "bad payload" || reply == "payload text" ? 0 : 1);
    }

    void workerDecodedReplyReachesOnlyALiveCaller()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.api->setWorkerDecodeBytes(0);
        auto caller = std::make_unique<QObject>();
        auto live = std::make_shared<CallResult>();
        f.api->syncPullDatasFromNoteWithParam({{"version", "0"}}, caller.get(), f.onSuccess(live),
                                              f.onFailure(live));
        QTRY_VERIFY(live->done());
        QVERIFY(live->succeeded);
        QVERIFY(live->model.hasObjectData());

        auto gone = std::make_shared<CallResult>();
        f.api->syncPullDatasFromNoteWithParam({{"version", "0"}}, caller.get(), f.onSuccess(gone),
                                              f.onFailure(gone));
        caller.reset();
        // A later call of a live caller is answered; the gone caller's never is.
        auto after = f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); });
        QVERIFY(after->succeeded);
        QCOMPARE(f.service->requestCount("note/sync"), 2);
        QTest::qWait(100);
        QVERIFY(!gone->done());

        // A session-ending code decoded on the worker still logs out without a caller.
        f.service->setFault("user/userInfo", StandinFault::replyCode(410, "失效"));
        caller = std::make_unique<QObject>();
        f.api->loadUserInfoWithSuccess(caller.get(), f.onSuccess(gone), f.onFailure(gone));
        caller.reset();
        QTRY_COMPARE(f.windowHookCalls, 1);
        QVERIFY(!gone->done());
    }

    void pollFailuresAreSilent()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.service->setFault("user/versionNums", StandinFault::of(StandinFault::Kind::Reset));
        auto r = f.run([&](auto ok, auto fail) { f.api->loadMyVersionsWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->failed);
        QVERIFY(f.feedback->messages().isEmpty());
        f.service->clearFaults();
        auto fine = f.run([&](auto ok, auto fail) { f.api->loadMyVersionsWithSuccess(nullptr, ok, fail); });
        QCOMPARE(fine->model.code, 200);
        QCOMPARE(fine->model.dataObject().value("userVersion").toString(),
                 QString::number(f.tester().version));
        QVERIFY(f.service->lastRequest("user/versionNums").body.isEmpty());
    }

    void emptyBodiesForTerminalsAndVersions()
    {
        ServiceFixture f;
        auto r = f.run([&](auto ok, auto fail) { f.api->loadTerminalsWithSuccess(nullptr, ok, fail); });
        QCOMPARE(r->model.code, 200);
        QVERIFY(f.service->lastRequest("sys/terminal/list").body.isEmpty());
        bool found = false;
        for (const QJsonValue &t : r->model.dataArray())
            found |= t.toObject().value("id").toInt() == 7;
        QVERIFY(found);
    }

    void noAddressOrNoUserKeyFailsWithoutSending()
    {
        ServiceFixture f;
        // No user key: nothing sent, no sheet, the failure callback is told.
        auto r = f.run([&](auto ok, auto fail) { f.api->loadUserInfoWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->failed);
        QVERIFY(!r->error.msg.isEmpty());
        QVERIFY(f.feedback->messages().isEmpty());
        UserDefaults::setValue("userKey", "ab");
        r = f.run([&](auto ok, auto fail) {
            f.api->syncPushDatasFromParams({{"version", "1"}}, nullptr, ok, fail);
        });
        QVERIFY(r->failed);
        QVERIFY(f.service->requests().isEmpty());

        // No address: a clear message instead of a request anywhere.
        UserDefaults::remove(ApiNetWorking::ApiBaseUrlKey);
        r = f.run([&](auto ok, auto fail) { f.api->loadTerminalsWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->failed);
        QCOMPARE(r->error.msg, ApiNetWorking::noApiAddressText());
        QCOMPARE(f.feedback->messages(), QStringList{ApiNetWorking::noApiAddressText()});
        // Plain HTTP to another machine is refused the same way.
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, "http://example.invalid/api/");
        QVERIFY(ApiNetWorking::apiBaseUrl().isEmpty());
        QVERIFY(f.service->requests().isEmpty());
    }

    void baseAddressesSpeakPlainHttpOnlyToThisMachine_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("usable");
        QTest::newRow("https") << "https://api.example.com/v1/" << true;
        QTest::newRow("http loopback") << "http://127.0.0.1:8080/" << true;
        QTest::newRow("http loopback v6") << "http://[::1]:8080/" << true;
        QTest::newRow("http elsewhere") << "http://api.example.com/" << false;
        QTest::newRow("http private net") << "http://192.168.1.2/" << false;
        QTest::newRow("ftp") << "ftp://api.example.com/" << false;
        QTest::newRow("no host") << "https:///x/" << false;
        QTest::newRow("query") << "https://api.example.com/?a=1" << false;
        QTest::newRow("fragment") << "https://api.example.com/#x" << false;
        QTest::newRow("garbage") << "not an address" << false;
    }
    void baseAddressesSpeakPlainHttpOnlyToThisMachine()
    {
        QFETCH(QString, address);
        QFETCH(bool, usable);
        TestEnv::freshFolders();
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, address);
        UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, address);
        UserDefaults::setValue("autoJumpToken", "0123456789abcdef");
        QCOMPARE(!ApiNetWorking::apiBaseUrl().isEmpty(), usable);
        // The web links carry the sign-in token: the same rule.
        QCOMPARE(!ApiNetWorking::webBaseUrl().isEmpty(), usable);
        QCOMPARE(!AutoJumpToken::linkWithDeviceId("https://x/", nullptr, "DEVICE").isEmpty(), usable);
        OAuthModel model;
        model.oauthtype = "wx";
        QCOMPARE(!ApiNetWorking::loadOAuthUrlWithModel(model).isEmpty(), usable);
        if (usable)
            QVERIFY(!ApiNetWorking::webBaseUrl().endsWith('/'));
    }

    void replyAfterCallerIsGoneIsDropped()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.service->setFault("user/userInfo", StandinFault::of(StandinFault::Kind::Http500));
        auto caller = std::make_unique<QObject>();
        auto r = std::make_shared<CallResult>();
        f.api->loadUserInfoWithSuccess(caller.get(), f.onSuccess(r), f.onFailure(r));
        caller.reset();
        QTRY_COMPARE(f.service->requestCount("user/userInfo"), 1);
        QTest::qWait(200);
        QVERIFY(!r->done());
        QVERIFY(f.feedback->messages().isEmpty());

        // A session-ending code still ends the session when the caller is gone.
        f.service->setFault("user/userInfo", StandinFault::replyCode(410, "失效"));
        caller = std::make_unique<QObject>();
        f.api->loadUserInfoWithSuccess(caller.get(), f.onSuccess(r), f.onFailure(r));
        caller.reset();
        QTRY_COMPARE(f.windowHookCalls, 1);
        QVERIFY(!r->done());
    }

    void settingsVersionIsStoredOnlyWhenNext_data()
    {
        QTest::addColumn<qint64>("serverVersion");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("next") << qint64(4) << "4"
                              << "5";
        QTest::newRow("jump over other changes") << qint64(7) << "4"
                                                 << "4";
    }
    void settingsVersionIsStoredOnlyWhenNext()
    {
        QFETCH(qint64, serverVersion);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        ServiceFixture f;
        QVERIFY(f.signIn());
        f.tester().version = serverVersion;
        UserDefaults::setValue("version", stored);
        auto r = f.run([&](auto ok, auto fail) {
            f.api->modifySystemSettingsWithParams({{"version", stored}, {"remindTypes", "1,2"}}, nullptr, ok,
                                                  fail);
        });
        QCOMPARE(r->model.code, 200);
        QCOMPARE(UserDefaults::string("version"), expected);
        QCOMPARE(f.tester().sysSet.value("remindTypes").toString(), QStringLiteral("1,2"));
        f.run([&](auto ok, auto fail) {
            f.api->modifyUserInfoWithParams({{"version", expected}, {"nick", "新名"}}, nullptr, ok, fail);
        });
        QCOMPARE(UserDefaults::string("version"),
                 serverVersion == 4 ? QStringLiteral("6") : QStringLiteral("4"));
    }

    void uploadSendsOneJpegPartPerImage()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        auto r = f.run([&](auto ok, auto fail) {
            f.api->uploadImgWithUploadImages({image, image}, nullptr, ok, fail);
        });
        QCOMPARE(r->model.code, 200);
        // The address where the stand-in serves the image.
        QVERIFY(r->model.dataObject()
                    .value("filePath")
                    .toString()
                    .startsWith(f.service->baseUrl().toString() + "img/"));
        const StandinRequest req = f.service->lastRequest("tool/upload/img");
        QCOMPARE(req.imageParts, 2);
        QVERIFY(req.body.contains("Content-Type: image/png"));
        QVERIFY(req.body.contains("\xff\xd8\xff")); // JPEG bytes
    }

    void everyEndpointGoesToItsPath()
    {
        ServiceFixture f;
        QVERIFY(f.signIn());
        const QJsonObject p{{"version", "1"}};
        // A push proven by the tester's password.
        auto proven = [](QJsonObject params, const QJsonObject &more) {
            for (auto it = more.begin(); it != more.end(); ++it)
                params.insert(it.key(), it.value());
            params.insert("validateType", "1");
            params.insert("vCode", "secret1");
            return params;
        };
        using Op = std::function<void(ApiNetWorking::Success, ApiNetWorking::Failure)>;
        ApiNetWorking *api = f.api.get();
        const QList<std::pair<QString, Op>> ops = {
            {"tool/sendVCode",
             [&](auto s, auto e) {
                 // The tester's bound mobile number.
                 api->sendVCodeWithParam({{"account", "13800005678"}, {"type", "1"}}, nullptr, s, e);
             }},
            {"user/sysSet/timePush/modify",
             [&](auto s, auto e) {
                 api->timePushWithParams(proven(p, {{"timerPushCycle", "0"}}), nullptr, s, e);
             }},
            {"user/data/push/content",
             [&](auto s, auto e) {
                 api->notePushWithParams(proven(p, {{"pushType", "1"}, {"address", "a@b.cn"}}), nullptr, s,
                                         e);
             }},
            {"user/data/snapshot/list",
             [&](auto s, auto e) { api->loadRecoverDateListForNoteDatasWithSuccess(nullptr, s, e); }},
            {"user/data/snapshot/restore",
             [&](auto s, auto e) {
                 api->recoverNoteDatasWithParams({{"snapshotDate", "2026/12/1 0:00:00"}}, nullptr, s, e);
             }},
            {"user/safe/oauth/bind",
             [&](auto s, auto e) {
                 api->bindOAuthWithParams({{"openId", "o"}, {"bindType", "1"}}, nullptr, s, e);
             }},
            {"user/safe/oauth/clearBind",
             [&](auto s, auto e) {
                 api->clearBindOAuthWithParams({{"clearBindType", "1"}}, nullptr, s, e);
             }},
            {"user/wifi/modify",
             [&](auto s, auto e) {
                 api->addWiFiWithParams({{"name", "n"}, {"alias", "a"}}, nullptr, {}, {});
                 api->modifyWiFiWithParams({{"name", "n"}, {"alias", "b"}}, nullptr, s, e);
             }},
            {"note/revokeCompleted",
             [&](auto s, auto e) {
                 api->revokeAlreadyCompleteNoteFromParams({{"cId", "5"}}, nullptr, s, e);
             }},
            {"note/log/completed",
             [&](auto s, auto e) {
                 api->loadCompleteNoteListWithParams(
                     {{"indexId", "0"}, {"pageSize", "200"}, {"sortType", "0"}}, nullptr, s, e);
             }},
            {"note/log/timeAxis",
             [&](auto s, auto e) {
                 api->loadLogNoteListWithParams({{"indexId", "0"}, {"pageSize", "100"}, {"sortType", "0"}},
                                                nullptr, s, e);
             }},
            {"note/logDel",
             [&](auto s, auto e) {
                 api->deleteNoteLogWithParams({{"delType", 1}, {"indexId", "3"}}, nullptr, s, e);
             }},
        };
        for (const auto &[path, op] : ops) {
            auto r = f.run(op);
            QVERIFY2(r->succeeded, qPrintable(path));
            QVERIFY2(r->model.code == 200, qPrintable(path + ": " + r->model.msg));
            QCOMPARE(f.service->lastRequest(path).path, path);
            const bool get = path == "user/data/snapshot/list" || path.startsWith("note/log/");
            QCOMPARE(f.service->lastRequest(path).method, get ? QByteArray("GET") : QByteArray("POST"));
        }
        QVERIFY(f.feedback->messages().isEmpty());
    }

    void oauthLinkEscapesItsValues()
    {
        ServiceFixture f;
        Clock::setNow(QDateTime::fromMSecsSinceEpoch(1'800'000'000'600));
        OAuthModel model;
        model.oauthtype = "wx";
        model.type = "login";
        model.clientId = "tmp 1&x=2";
        QCOMPARE(
            ApiNetWorking::loadOAuthUrlWithModel(model),
            QStringLiteral("https://web.invalid/oauth/"
                           "jump?oauthType=wx&from=mac&type=login&clientId=tmp%201%26x%3D2&time=1800000001"));
    }
};

PRELVANE_TEST_MAIN(TestApiClient)
#include "tst_apiclient.moc"
