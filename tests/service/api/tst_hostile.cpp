#include "app/shell/ServiceReplyActions.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "service/account/QuitLoginManager.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/StandinCrypto.h"
#include "tests/service/api/RawHttpServer.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QImage>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

const QString UserKey = QStringLiteral("u1k2e3y4u5k6");

// The envelope {code, msg, data} with `payload` encrypted under the user key.
QByteArray sealed(const QByteArray &payload, qint64 code = 200)
{
    const QByteArray key = StandinCrypto::keyText(UserKey).toLatin1();
    const QByteArray data = StandinCrypto::encrypt(payload, key).toBase64();
    return "{\"code\":" + QByteArray::number(code) + ",\"msg\":\"ok\",\"data\":\"" + data + "\"}";
}

struct Outcome
{
    int successes = 0;
    int failures = 0;
    BaseSuccessModel model;
    BaseErrorModel error;
};

} // namespace

// The client against replies no sane service sends, and against replies that
// arrive together or late.
class TestHostileReplies : public QObject
{
    Q_OBJECT

    std::unique_ptr<RawHttpServer> server;
    std::unique_ptr<FakeUserNotificationCenter> center;
    Session session; // the sign-in the client's replies and the logout belong to
    std::unique_ptr<QuitLoginManager> logout;
    std::unique_ptr<ApiNetWorking> api;
    std::unique_ptr<ServiceReplyActions> replyActions;

    // The test's recorder takes what the client shows, as the program's feedback does.
    void use(RecordingFeedback &feedback)
    {
        api->setFeedback(&feedback);
        replyActions = std::make_unique<ServiceReplyActions>(*api, feedback, *logout);
    }
    int hookCalls = 0;

    void get(const QString &path, const std::shared_ptr<Outcome> &out, const QObject *context = nullptr)
    {
        api->GETWithUrlString(
            path, {}, context,
            [out](const BaseSuccessModel &m) {
                ++out->successes;
                out->model = m;
            },
            [out](const BaseErrorModel &e) {
                ++out->failures;
                out->error = e;
            });
    }

    std::shared_ptr<Outcome> getAndWait(const QString &path)
    {
        auto out = std::make_shared<Outcome>();
        get(path, out);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(out->successes + out->failures > 0, 5000); }();
        return out;
    }

private slots:
    void init()
    {
        TestEnv::freshFolders();
        server = std::make_unique<RawHttpServer>();
        center = std::make_unique<FakeUserNotificationCenter>();
        hookCalls = 0;
        logout = std::make_unique<QuitLoginManager>(session, *center, nullptr);
        logout->setWindowHook([this] { ++hookCalls; });
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, server->baseUrl().toString());
        UserDefaults::setValue(QStringLiteral("userKey"), UserKey);
        UserDefaults::setValue(QStringLiteral("accessToken"), QStringLiteral("token-1"));
        api = std::make_unique<ApiNetWorking>();
        api->setSession(&session);
        api->setRequestTimeout(2000);
    }
    void cleanup()
    {
        replyActions.reset();
        api.reset();
        logout.reset();
        center.reset();
        server.reset();
    }

    void brokenRepliesGiveOneClearMessage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qint64>("code");
        QTest::addColumn<int>("messages");

        QByteArray nested(200000, '[');
        nested += QByteArray(200000, ']');
        QTest::newRow("empty body") << "user/userInfo" << QByteArray() << qint64(0) << 1;
        QTest::newRow("deeply nested envelope") << "user/userInfo" << nested << qint64(0) << 1;
        QTest::newRow("envelope is an array") << "user/userInfo" << QByteArray("[1,2]") << qint64(0) << 1;
        QTest::newRow("not UTF-8") << "user/userInfo" << QByteArray("\xff\xfe{\"code\":200}") << qint64(0)
                                   << 1;
        QTest::newRow("code out of range")
            << "user/userInfo" << QByteArray("{\"code\":1e300,\"msg\":\"\"}") << qint64(0) << 1;
        QTest::newRow("negative code out of range")
            << "user/userInfo" << QByteArray("{\"code\":-1e300,\"msg\":\"\"}") << qint64(0) << 1;
        QTest::newRow("code as text out of range")
            << "user/userInfo" << QByteArray("{\"code\":\"99999999999999999999\"}") << qint64(0) << 1;
        // Code 200 with unreadable data: no sheet here, the caller sees no data.
        QTest::newRow("data is an array")
            << "user/userInfo" << QByteArray("{\"code\":200,\"msg\":\"ok\",\"data\":[1]}") << qint64(200)
            << 0;
        QTest::newRow("data is a number")
            << "user/userInfo" << QByteArray("{\"code\":200,\"msg\":\"ok\",\"data\":12}") << qint64(200) << 0;
        QTest::newRow("data is Base64 garbage")
            << "user/userInfo" << QByteArray("{\"code\":200,\"data\":\"!!@@##$$\"}") << qint64(200) << 0;
        QTest::newRow("payload nested too deep") << "user/userInfo" << sealed(nested) << qint64(200) << 0;
        QTest::newRow("text payload not UTF-8")
            << "sys/oauthKey" << sealed("\xff\xfe\xfd") << qint64(200) << 0;
        QTest::newRow("JSON payload not UTF-8")
            << "user/userInfo" << sealed("{\"nick\":\"\xff\"}") << qint64(200) << 0;
    }
    void brokenRepliesGiveOneClearMessage()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(qint64, code);
        QFETCH(int, messages);
        RecordingFeedback feedback;
        use(feedback);
        server->setBody(body);
        const auto out = getAndWait(path);
        QCOMPARE(out->successes, 1);
        QCOMPARE(out->model.code, code);
        QVERIFY(out->model.data.isUndefined());
        QCOMPARE(feedback.messages().size(), messages);
        if (messages)
            QVERIFY(!feedback.messages().first().isEmpty());
        QCOMPARE(hookCalls, 0);
    }

    void payloadReadsDespiteMissingOrExtraPadding_data()
    {
        QTest::addColumn<QByteArray>("mangle");
        QTest::newRow("padding dropped") << QByteArray("drop");
        QTest::newRow("line breaks inside") << QByteArray("breaks");
    }
    void payloadReadsDespiteMissingOrExtraPadding()
    {
        QFETCH(QByteArray, mangle);
        RecordingFeedback feedback;
        use(feedback);
        const QByteArray key = StandinCrypto::keyText(UserKey).toLatin1();
        QByteArray data = StandinCrypto::encrypt("{\"nick\":\"名\"}", key).toBase64();
        QVERIFY(data.endsWith('='));
        if (mangle == "drop")
            data.replace("=", "");
        else
            data.insert(8, "\\r\\n");
        server->setBody("{\"code\":200,\"msg\":\"ok\",\"data\":\"" + data + "\"}");
        const auto out = getAndWait(QStringLiteral("user/userInfo"));
        QCOMPARE(out->model.code, 200);
        QCOMPARE(out->model.dataObject().value("nick").toString(), QStringLiteral("名"));
        QVERIFY(feedback.messages().isEmpty());
    }

    void hugeReplyIsRefusedWithOneMessage()
    {
        RecordingFeedback feedback;
        use(feedback);
        api->setMaxReplyBytes(64 * 1024);
        server->setBody(QByteArray(1024 * 1024, ' ') + "{}");
        const auto out = getAndWait(QStringLiteral("user/userInfo"));
        QCOMPARE(out->failures, 1);
        QCOMPARE(out->successes, 0);
        QCOMPARE(feedback.messages(), QStringList{out->error.msg});
        QVERIFY(!out->error.msg.isEmpty());
    }

    void uploadReplyThatIsNotJsonIsShown()
    {
        RecordingFeedback feedback;
        use(feedback);
        server->setBody("<html>bad gateway</html>", "text/html");
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::blue);
        auto out = std::make_shared<Outcome>();
        api->uploadImgWithUploadImages(
            {image}, nullptr,
            [out](const BaseSuccessModel &m) {
                ++out->successes;
                out->model = m;
            },
            [out](const BaseErrorModel &) { ++out->failures; });
        QTRY_COMPARE(out->successes, 1);
        QCOMPARE(out->model.code, 0);
        QCOMPARE(feedback.messages().size(), 1);
    }

    void sessionEndingRepliesTogetherLogOutOnce_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("410") << 410;
        QTest::newRow("411") << 411;
        QTest::newRow("413") << 413;
    }
    void sessionEndingRepliesTogetherLogOutOnce()
    {
        QFETCH(int, code);
        RecordingFeedback feedback;
        use(feedback);
        server->hold = true;
        server->setBody("{\"code\":" + QByteArray::number(code) + ",\"msg\":\"账号已在别处登录\"}");
        QList<std::shared_ptr<Outcome>> outs;
        for (int i = 0; i < 3; ++i) {
            outs << std::make_shared<Outcome>();
            get(QStringLiteral("user/userInfo"), outs.last());
        }
        QTRY_COMPARE(server->heldCount(), 3);
        server->release();
        for (const auto &out : outs) {
            QTRY_COMPARE(out->successes, 1);
            QCOMPARE(out->model.code, qint64(code));
        }
        QCOMPARE(hookCalls, 1);
        QCOMPARE(feedback.messages(), QStringList{QStringLiteral("账号已在别处登录")});
        QVERIFY(!UserDefaults::contains("accessToken"));
    }

    void lateSessionEndingReplyLeavesTheNextSignInAlone()
    {
        RecordingFeedback feedback;
        use(feedback);
        server->hold = true;
        server->setBody("{\"code\":410,\"msg\":\"失效\"}");
        auto out = std::make_shared<Outcome>();
        get(QStringLiteral("user/userInfo"), out);
        QTRY_COMPARE(server->heldCount(), 1);
        // The user logs out and signs in again before the old reply comes.
        logout->showLoginWindow();
        UserDefaults::setValue(QStringLiteral("accessToken"), QStringLiteral("token-2"));
        UserDefaults::setValue(QStringLiteral("userKey"), UserKey);
        server->release();
        QTRY_COMPARE(out->successes, 1);
        QCOMPARE(out->model.code, 410);
        QCOMPARE(hookCalls, 1);
        QCOMPARE(UserDefaults::string("accessToken"), QStringLiteral("token-2"));
        QVERIFY(feedback.messages().isEmpty());
    }

    void updateNoticeIsShownOnceAndLogsOutOnItsButton()
    {
        RecordingFeedback feedback;
        use(feedback);
        feedback.autoAnswer.reset(); // the sheet stays until the test answers it
        server->hold = true;
        server->setBody("{\"code\":417,\"msg\":\"旧版本\"}");
        auto a = std::make_shared<Outcome>();
        auto b = std::make_shared<Outcome>();
        get(QStringLiteral("user/userInfo"), a);
        get(QStringLiteral("user/sysSet"), b);
        QTRY_COMPARE(server->heldCount(), 2);
        server->release();
        QTRY_COMPARE(a->successes + b->successes, 2);
        QCOMPARE(a->model.code, 417);
        QCOMPARE(feedback.messages(), QStringList{QStringLiteral("请下载最新版本")});
        QCOMPARE(hookCalls, 0);
        QVERIFY(UserDefaults::contains("accessToken"));
        QVERIFY(feedback.answerNext(true));
        QCOMPARE(hookCalls, 1);
        QVERIFY(!UserDefaults::contains("accessToken"));

        // After the button a new 417 asks again.
        UserDefaults::setValue(QStringLiteral("userKey"), UserKey);
        server->hold = false;
        const auto c = getAndWait(QStringLiteral("user/userInfo"));
        QCOMPARE(c->model.code, 417);
        QCOMPARE(feedback.messages().size(), 2);
    }

    void clientDestroyedWithRequestsInFlight()
    {
        RecordingFeedback feedback;
        use(feedback);
        server->hold = true;
        server->setBody("{\"code\":410,\"msg\":\"失效\"}");
        auto out = std::make_shared<Outcome>();
        get(QStringLiteral("user/userInfo"), out);
        api->POSTWithUrlString(
            QStringLiteral("user/wifi/add"), {{"name", "n"}}, nullptr,
            [out](const auto &) { ++out->successes; }, [out](const auto &) { ++out->failures; });
        QTRY_COMPARE(server->heldCount(), 2);
        api.reset();
        server->release();
        QTest::qWait(300);
        QCOMPARE(out->successes + out->failures, 0);
        QCOMPARE(hookCalls, 0);
        QVERIFY(feedback.messages().isEmpty());
    }

    void replyForAGoneCallerIsDropped()
    {
        RecordingFeedback feedback;
        use(feedback);
        server->hold = true;
        server->setBody(sealed("{\"nick\":\"x\"}"));
        auto out = std::make_shared<Outcome>();
        auto caller = std::make_unique<QObject>();
        get(QStringLiteral("user/userInfo"), out, caller.get());
        QTRY_COMPARE(server->heldCount(), 1);
        caller.reset();
        server->release();
        QTest::qWait(300);
        QCOMPARE(out->successes + out->failures, 0);
    }
};

PRELVANE_TEST_MAIN(TestHostileReplies)
#include "tst_hostile.moc"
