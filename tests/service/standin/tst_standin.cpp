// The stand-in service reads the protocol as strictly as the real one: raw
// requests over loopback HTTP, and its note sync answered directly.

#include "service/standin/HistoryDiff.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinCrypto.h"
#include "service/standin/StandinService.h"
#include "tests/support/TestEnv.h"

#include <QBuffer>
#include <QImage>

#include <QDateTime>
#include <QEventLoop>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(QJsonObject)

namespace {

struct Answer
{
    int http = 0;
    qint64 code = 0;
    QJsonValue data;
    QString msg;
};

} // namespace

class TstStandin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void webPages_data();
    void webPages();
    void strictReading_data();
    void strictReading();
    void everySignInKeepsItsSession();
    void pushResultsForServerIds_data();
    void pushResultsForServerIds();
    void deltaPullCarriesWhatChangedSince();
    void historyDiffSpans_data();
    void historyDiffSpans();
    void pushesLeaveRecords();
    void recordPages_data();
    void recordPages();
    void deletedRecordsReachLaterPulls();
    void bindings_data();
    void bindings();
    void pushProofs_data();
    void pushProofs();
    void uploadedImagesAreServed();

private:
    StandinAccount &tester() { return *m_service->state().accountByName(QStringLiteral("tester")); }

    // One request as a client would send it; `breakLines` writes the Base64 body
    // with line breaks every 32 characters.
    Answer send(const QByteArray &method, const QString &path, const QJsonObject &body,
                const QString &token = {}, const QString &query = {}, bool breakLines = false)
    {
        const bool isPublic = StandinCrypto::isPublicPath(path);
        const QByteArray key =
            StandinCrypto::keyText(isPublic ? QString::fromLatin1(StandinCrypto::PublicKeySource)
                                            : tester().userKey)
                .toLatin1();
        QUrl url(m_service->baseUrl().toString() + path);
        if (!query.isEmpty())
            url.setQuery(query);
        QNetworkRequest request(url);
        request.setRawHeader("appId", "plvmac");
        request.setRawHeader("signature", "730518");
        request.setRawHeader("timestamp", QByteArray::number(QDateTime::currentSecsSinceEpoch()));
        if (!token.isEmpty())
            request.setRawHeader("accessToken", token.toUtf8());
        QByteArray payload;
        if (method == "POST") {
            payload =
                StandinCrypto::encrypt(QJsonDocument(body).toJson(QJsonDocument::Compact), key).toBase64();
            if (breakLines)
                for (qsizetype at = 32; at < payload.size(); at += 33)
                    payload.insert(at, '\n');
            request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        }
        QNetworkReply *reply = m_net.sendCustomRequest(request, method, payload);
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        Answer a;
        a.http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QJsonObject envelope = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        a.code = qint64(envelope.value("code").toDouble());
        a.msg = envelope.value("msg").toString();
        const QByteArray plain =
            StandinCrypto::decrypt(QByteArray::fromBase64(envelope.value("data").toString().toLatin1()), key);
        a.data = QJsonDocument::fromJson(plain).object();
        return a;
    }
    QString signIn()
    {
        const Answer a =
            send("POST", "user/login", QJsonObject{{"account", "tester"}, {"passWord", "secret1"}});
        return a.data.toObject().value("accessToken").toString();
    }

    // A push of a new category ("c1", "工作") holding one new note ("c2"): the
    // ids the service gave them.
    struct Pushed
    {
        QString classId;
        QString cId;
    };
    Pushed pushNewCategoryWithNote(const QString &content)
    {
        const QJsonObject made = m_notes->applyPush(
            m_service->state(), tester(),
            QJsonObject{{"classes",
                         QJsonArray{QJsonObject{{"clientId", "c1"}, {"actionType", "1"}, {"name", "工作"}}}},
                        {"contents", QJsonArray{QJsonObject{{"clientId", "c2"},
                                                            {"actionType", "1"},
                                                            {"clientClassId", "c1"},
                                                            {"content", content},
                                                            {"nextId", "-1"}}}}});
        return {made.value("syncClassResult").toArray().first().toObject().value("classId").toString(),
                made.value("syncContentResult").toArray().first().toObject().value("cId").toString()};
    }

    std::unique_ptr<StandinService> m_service;
    std::unique_ptr<NoteSyncHandlers> m_notes;
    QNetworkAccessManager m_net;
};

void TstStandin::webPages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("title");
    QTest::newRow("help") << "help/mac.html" << 200 << "帮助";
    QTest::newRow("register") << "register" << 200 << "注册账号";
    QTest::newRow("password reset") << "searchPwd/step1" << 200 << "找回密码";
    QTest::newRow("download") << "mac/" << 200 << "下载";
    QTest::newRow("account page without a session") << "user" << 403 << "账号";
    QTest::newRow("auto-jump without a token")
        << "oauth/autoJump?from=mac&type=login&token=" << 403 << "链接无效";
}

void TstStandin::webPages()
{
    // A browser sends none of the API's headers.
    QFETCH(QString, path);
    QNetworkReply *reply = m_net.get(QNetworkRequest(QUrl(m_service->baseUrl().toString() + path)));
    QVERIFY(QTest::qWaitFor([reply] { return reply->isFinished(); }, 5000));
    QTEST(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), "status");
    QVERIFY(reply->header(QNetworkRequest::ContentTypeHeader).toString().startsWith("text/html"));
    QFETCH(QString, title);
    QVERIFY(QString::fromUtf8(reply->readAll()).contains("<title>" + title + "</title>"));
    reply->deleteLater();
}

void TstStandin::init()
{
    m_service = std::make_unique<StandinService>();
    m_notes = std::make_unique<NoteSyncHandlers>(*m_service);
    QVERIFY(m_service->listen());
}

void TstStandin::cleanup()
{
    m_notes.reset();
    m_service.reset();
}

void TstStandin::strictReading_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QJsonObject>("body");
    QTest::addColumn<bool>("breakLines");
    QTest::addColumn<int>("http");
    QTest::addColumn<int>("code");

    const QJsonObject credentials{{"account", "tester"}, {"passWord", "secret1"}};
    QTest::newRow("POST parameters from the body") << QByteArray("POST") << "user/login"
                                                   << "" << credentials << false << 200 << 200;
    QTest::newRow("POST parameters in the query are not read")
        << QByteArray("POST") << "user/login"
        << "account=tester&passWord=secret1" << QJsonObject() << false << 200 << 301;
    QTest::newRow("Base64 with line breaks") << QByteArray("POST") << "user/login"
                                             << "" << credentials << true << 200 << 400;
    QTest::newRow("GET on a POST path")
        << QByteArray("GET") << "user/login"
        << "account=tester&passWord=secret1" << QJsonObject() << false << 405 << 0;
    QTest::newRow("POST on a GET path") << QByteArray("POST") << "sys/oauthKey"
                                        << "" << QJsonObject() << false << 405 << 0;
    QTest::newRow("both on note sync") << QByteArray("GET") << "note/sync"
                                       << "version=0" << QJsonObject() << false << 200 << 200;
}

void TstStandin::strictReading()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QString, query);
    QFETCH(QJsonObject, body);
    QFETCH(bool, breakLines);
    const QString token = StandinCrypto::isPublicPath(path) ? QString() : signIn();
    const Answer a = send(method, path, body, token, query, breakLines);
    QTEST(a.http, "http");
    if (a.http == 200)
        QTEST(int(a.code), "code");
}

void TstStandin::everySignInKeepsItsSession()
{
    const QString first = signIn();
    const QString second = signIn();
    QVERIFY(!first.isEmpty());
    QVERIFY(first != second);
    for (const QString &token : {first, second})
        QCOMPARE(send("GET", "user/userInfo", {}, token).code, 200);
    QCOMPARE(send("GET", "user/userInfo", {}, "tok-unknown").code, 410);
}

void TstStandin::pushResultsForServerIds_data()
{
    QTest::addColumn<bool>("echo");
    QTest::newRow("with clientId") << true;
    QTest::newRow("without clientId") << false;
}

void TstStandin::pushResultsForServerIds()
{
    QFETCH(bool, echo);
    StandinState &state = m_service->state();
    const auto [classId, cId] = pushNewCategoryWithNote(QStringLiteral("一"));
    m_notes->setEchoClientIdForServerIds(echo);
    const QJsonObject edited = m_notes->applyPush(
        state, tester(),
        QJsonObject{
            {"classes", QJsonArray{QJsonObject{{"classId", classId}, {"actionType", "2"}, {"name", "改"}}}},
            {"contents", QJsonArray{QJsonObject{{"cId", cId},
                                                {"actionType", "2"},
                                                {"classId", classId},
                                                {"content", "二"},
                                                {"nextId", "-1"}},
                                    QJsonObject{{"clientId", "c3"},
                                                {"actionType", "1"},
                                                {"classId", classId},
                                                {"content", "三"},
                                                {"nextId", cId}}}}});
    const QJsonObject classEntry = edited.value("syncClassResult").toArray().first().toObject();
    const QJsonArray notes = edited.value("syncContentResult").toArray();
    QCOMPARE(classEntry.value("classId").toString(), classId);
    QCOMPARE(classEntry.contains("clientId"), echo);
    QCOMPARE(notes.at(0).toObject().value("cId").toString(), cId);
    QCOMPARE(notes.at(0).toObject().contains("clientId"), echo);
    // Items pushed under a client id always name it.
    QCOMPARE(notes.at(1).toObject().value("clientId").toString(), QString("c3"));
}

void TstStandin::deltaPullCarriesWhatChangedSince()
{
    StandinState &state = m_service->state();
    const auto [classId, cId] = pushNewCategoryWithNote(QStringLiteral("一"));
    const qint64 afterAdd = tester().version;
    auto noteAction = [&](qint64 since) {
        const QJsonArray datas = m_notes->pullReply(tester(), since)
                                     .value("syncContentResult")
                                     .toObject()
                                     .value("datas")
                                     .toArray();
        return datas.isEmpty() ? QString() : datas.first().toObject().value("actionType").toString();
    };
    QCOMPARE(noteAction(afterAdd - 1), QString("1"));
    m_notes->applyPush(state, tester(),
                       QJsonObject{{"contents", QJsonArray{QJsonObject{{"cId", cId},
                                                                       {"actionType", "2"},
                                                                       {"classId", classId},
                                                                       {"content", "二"},
                                                                       {"nextId", "-1"}}}}});
    QCOMPARE(noteAction(afterAdd), QString("2"));
    QCOMPARE(noteAction(afterAdd - 1), QString("1"));

    // A settings change raised the version: a delta pull from before it carries it.
    const qint64 beforeSettings = tester().version;
    QVERIFY(!m_notes->pullReply(tester(), beforeSettings).contains("syncUserSetResult"));
    const QString token = signIn();
    QCOMPARE(
        send("POST", "user/sysSet/modify", QJsonObject{{"newSkinColor", "blue"}, {"version", "1"}}, token)
            .code,
        200);
    QCOMPARE(
        send("POST", "user/userInfo/modify", QJsonObject{{"nickName", "新名字"}, {"version", "1"}}, token)
            .code,
        200);
    const QJsonObject delta = m_notes->pullReply(tester(), beforeSettings);
    QCOMPARE(delta.value("syncUserSetResult")
                 .toObject()
                 .value("detail")
                 .toObject()
                 .value("newSkinColor")
                 .toString(),
             QString("blue"));
    QCOMPARE(
        delta.value("syncUserInfoResult").toObject().value("detail").toObject().value("nickName").toString(),
        QString("新名字"));
    QVERIFY(!m_notes->pullReply(tester(), tester().version).contains("syncUserSetResult"));
}

void TstStandin::historyDiffSpans_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("spans"); // "type:start:length"

    QTest::newRow("insert in the middle") << "abcd"
                                          << "abXYcd"
                                          << "abXYcd" << QStringList{"1:2:2"};
    QTest::newRow("delete in the middle") << "abXYcd"
                                          << "abcd"
                                          << "abXYcd" << QStringList{"2:2:2"};
    QTest::newRow("replace") << "abcd"
                             << "aXd"
                             << "abcXd" << QStringList{"2:1:2", "1:3:1"};
    QTest::newRow("at the start") << "bcd"
                                  << "abcd"
                                  << "abcd" << QStringList{"1:0:1"};
    QTest::newRow("at the end") << "abc"
                                << "abcd"
                                << "abcd" << QStringList{"1:3:1"};
    QTest::newRow("all removed") << "abc"
                                 << ""
                                 << "abc" << QStringList{"2:0:3"};
    QTest::newRow("repeated letters") << "aaa"
                                      << "aaaa"
                                      << "aaaa" << QStringList{"1:3:1"};
    QTest::newRow("no change") << "abc"
                               << "abc"
                               << "abc" << QStringList{};
    // U+1F600 and U+1F601 share their high surrogate: the spans take whole characters.
    QTest::newRow("surrogate pair replaced") << QString::fromUtf8("a😀b") << QString::fromUtf8("a😁b")
                                             << QString::fromUtf8("a😀😁b") << QStringList{"2:1:2", "1:3:2"};
    // U+1F600 and U+1F640 share their low surrogate.
    QTest::newRow("surrogate pair with a shared low half")
        << QString::fromUtf8("😀x") << QString::fromUtf8("🙀x") << QString::fromUtf8("😀🙀x")
        << QStringList{"2:0:2", "1:2:2"};
    QTest::newRow("text of Chinese") << "买牛奶"
                                     << "买两盒牛奶"
                                     << "买两盒牛奶" << QStringList{"1:1:2"};
}

void TstStandin::historyDiffSpans()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const HistoryDiff d = HistoryDiff::between(before, after);
    QTEST(d.content, "content");
    QStringList spans;
    for (const QJsonValue &v : d.diffItems) {
        const QJsonObject o = v.toObject();
        spans << QStringLiteral("%1:%2:%3")
                     .arg(o.value("diffType").toInt())
                     .arg(o.value("diffStartIndex").toInt())
                     .arg(o.value("diffLength").toInt());
    }
    QTEST(spans, "spans");
    // The removed and the added spans rebuild both texts.
    QString rebuiltBefore = d.content, rebuiltAfter = d.content;
    for (qsizetype i = d.diffItems.size() - 1; i >= 0; --i) {
        const QJsonObject o = d.diffItems.at(i).toObject();
        (o.value("diffType").toInt() == 1 ? rebuiltBefore : rebuiltAfter)
            .remove(o.value("diffStartIndex").toInt(), o.value("diffLength").toInt());
    }
    QCOMPARE(rebuiltBefore, before);
    QCOMPARE(rebuiltAfter, after);
}

void TstStandin::pushesLeaveRecords()
{
    StandinState &state = m_service->state();
    m_notes->setClock([] { return QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)); });
    const auto ids = pushNewCategoryWithNote(QStringLiteral("买牛奶"));
    // Named copies: lambdas cannot capture structured bindings in every compiler we build with.
    const QString classId = ids.classId, cId = ids.cId;
    auto push = [&](const QString &action, const QString &content, const QJsonArray &completed = {}) {
        QJsonObject item{{"cId", cId},
                         {"actionType", action},
                         {"classId", classId},
                         {"content", content},
                         {"nextId", "-1"}};
        if (!completed.isEmpty())
            item.insert("completedList", completed);
        m_notes->applyPush(state, tester(), QJsonObject{{"contents", QJsonArray{item}}});
    };
    push("2", "买两盒牛奶");
    push("2", "买两盒牛奶"); // the order or a reminder only: no record
    const QJsonArray completion{
        QJsonObject{{"content", "买两盒牛奶"}, {"completedTime", "2026/12/10 9:30:00"}}};
    push("2", "买两盒牛奶", completion);
    push("2", "买两盒牛奶", completion); // a retried push: the same completion
    push("3", "买两盒牛奶");

    const NoteSyncHandlers::Data &d = m_notes->data(tester());
    QCOMPARE(d.history.size(), 3);
    const QList<QJsonObject> history = d.history.values();
    QList<int> actions;
    qint64 last = 0;
    for (const QJsonObject &r : history) {
        actions << r.value("actionType").toInt();
        QVERIFY(r.value("tId").toString().toLongLong() > last);
        last = r.value("tId").toString().toLongLong();
        QCOMPARE(r.value("cId").toString(), cId);
        QCOMPARE(r.value("classId").toString(), classId);
        QCOMPARE(r.value("className").toString(), QString("工作"));
        QCOMPARE(r.value("createTime").toString(), QString("2026/12/10 9:05:07"));
        QCOMPARE(r.value("terminalId").toInt(), 7);
    }
    QCOMPARE(actions, (QList<int>{1, 2, 3}));
    QVERIFY(history.at(0).value("difference").isNull());
    QCOMPARE(history.at(1).value("content").toString(), QString("买两盒牛奶"));
    QCOMPARE(history.at(1).value("difference").toObject().value("diffItems").toArray(),
             (QJsonArray{QJsonObject{{"diffType", 1}, {"diffStartIndex", 1}, {"diffLength", 2}}}));
    QCOMPARE(history.at(2).value("content").toString(), QString("买两盒牛奶"));

    QCOMPARE(d.completions.size(), 1);
    const QJsonObject done = d.completions.first();
    QVERIFY(done.value("tId").toString().toLongLong() > 0);
    QCOMPARE(done.value("cId").toString(), cId);
    QCOMPARE(done.value("classId").toString(), classId);
    QCOMPARE(done.value("content").toString(), QString("买两盒牛奶"));
    QCOMPARE(done.value("completedTime").toString(), QString("2026/12/10 9:30:00"));
}

void TstStandin::recordPages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("query");
    QTest::addColumn<qint64>("code");
    QTest::addColumn<QList<qint64>>("tIds");

    // Records 101 … 110 (history and completions alike).
    for (const char *path : {"note/log/timeAxis", "note/log/completed"}) {
        const QByteArray p = QByteArray(path) + ": ";
        QTest::newRow(p + "newest without an index")
            << path << "pageSize=3&sortType=1" << qint64(200) << QList<qint64>{110, 109, 108};
        QTest::newRow(p + "older than the index")
            << path << "indexId=105&pageSize=3&sortType=1" << qint64(200) << QList<qint64>{104, 103, 102};
        QTest::newRow(p + "older past the start")
            << path << "indexId=102&pageSize=3&sortType=1" << qint64(200) << QList<qint64>{101};
        QTest::newRow(p + "nothing older")
            << path << "indexId=101&pageSize=200&sortType=1" << qint64(200) << QList<qint64>{};
        QTest::newRow(p + "just newer than the index")
            << path << "indexId=105&pageSize=3&sortType=0" << qint64(200) << QList<qint64>{106, 107, 108};
        QTest::newRow(p + "nothing newer")
            << path << "indexId=110&pageSize=200&sortType=0" << qint64(200) << QList<qint64>{};
        QTest::newRow(p + "an index that is no record")
            << path << "indexId=1000&pageSize=2&sortType=1" << qint64(200) << QList<qint64>{110, 109};
    }
    QTest::newRow("sort type 2 is refused")
        << "note/log/timeAxis"
        << "indexId=105&pageSize=3&sortType=2" << qint64(400) << QList<qint64>{};
    QTest::newRow("page size 0 is refused") << "note/log/completed"
                                            << "pageSize=0&sortType=1" << qint64(400) << QList<qint64>{};
    QTest::newRow("an index that is no number is refused")
        << "note/log/completed"
        << "indexId=abc&pageSize=3&sortType=1" << qint64(400) << QList<qint64>{};
}

void TstStandin::recordPages()
{
    QFETCH(QString, path);
    QFETCH(QString, query);
    NoteSyncHandlers::Data &d = m_notes->data(tester());
    for (qint64 t = 101; t <= 110; ++t) {
        d.history.insert(t, QJsonObject{{"tId", QString::number(t)}});
        d.completions.insert(t, QJsonObject{{"tId", QString::number(t)}});
    }
    const Answer a = send("GET", path, {}, signIn(), query);
    QTEST(a.code, "code");
    QList<qint64> tIds;
    for (const QJsonValue &v : a.data.toObject().value("datas").toArray())
        tIds << v.toObject().value("tId").toString().toLongLong();
    QTEST(tIds, "tIds");
}

void TstStandin::deletedRecordsReachLaterPulls()
{
    NoteSyncHandlers::Data &d = m_notes->data(tester());
    d.history.insert(201, QJsonObject{{"tId", "201"}});
    d.completions.insert(202, QJsonObject{{"tId", "202"}});
    const QString token = signIn();
    const qint64 before = tester().version;
    // The other kind's id, an unknown id or another delType deletes nothing.
    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"delType", 1}, {"indexId", "201"}}, token).code, 404);
    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"delType", 2}, {"indexId", "999"}}, token).code, 404);
    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"delType", 3}, {"indexId", "201"}}, token).code, 400);
    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"indexId", "201"}}, token).code, 400);
    QCOMPARE(tester().version, before);
    QCOMPARE(d.history.size() + d.completions.size(), 2);

    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"delType", 2}, {"indexId", "201"}}, token).code, 200);
    QCOMPARE(send("POST", "note/logDel", QJsonObject{{"delType", 1}, {"indexId", "202"}}, token).code, 200);
    QVERIFY(d.history.isEmpty() && d.completions.isEmpty());
    QCOMPARE(tester().version, before + 2);
    auto deletions = [this](qint64 since) {
        return m_notes->pullReply(tester(), since)
            .value("syncContentLogDelResult")
            .toObject()
            .value("datas")
            .toArray();
    };
    QCOMPARE(deletions(before), (QJsonArray{QJsonObject{{"delType", 2}, {"indexId", "201"}},
                                            QJsonObject{{"delType", 1}, {"indexId", "202"}}}));
    QCOMPARE(deletions(before + 1).size(), 1);
    QVERIFY(!m_notes->pullReply(tester(), tester().version).contains("syncContentLogDelResult"));
    QVERIFY(!m_notes->pullReply(tester(), 0).contains("syncContentLogDelResult"));
}

// Binding and unbinding change the profile's flags and raise its version; an
// identity bound to someone else, or unbinding the last way to sign in, is refused.
void TstStandin::bindings_data()
{
    QTest::addColumn<bool>("passwordless"); // the account was made through WeChat
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonObject>("params");
    QTest::addColumn<qint64>("code");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("flagAfter");
    const QString bind = "user/safe/oauth/bind";
    const QString clear = "user/safe/oauth/clearBind";
    QTest::newRow("bind a fresh QQ") << false << bind << QJsonObject{{"openId", "qq-new"}, {"bindType", "1"}}
                                     << qint64(200) << "isOAuthQQ" << true;
    QTest::newRow("bind a QQ someone else has")
        << false << bind << QJsonObject{{"openId", "qq-other"}, {"bindType", "1"}} << qint64(300)
        << "isOAuthQQ" << false;
    QTest::newRow("bind without an openId") << false << bind << QJsonObject{{"openId", ""}, {"bindType", "1"}}
                                            << qint64(300) << "isOAuthQQ" << false;
    QTest::newRow("unbind WeChat with a password")
        << false << clear << QJsonObject{{"clearBindType", "2"}} << qint64(200) << "isOAuthWeChat" << false;
    QTest::newRow("unbind the last way to sign in")
        << true << clear << QJsonObject{{"clearBindType", "2"}} << qint64(300) << "isOAuthWeChat" << true;
    QTest::newRow("unbind what is not bound")
        << false << clear << QJsonObject{{"clearBindType", "1"}} << qint64(300) << "isOAuthQQ" << false;
}

void TstStandin::bindings()
{
    QFETCH(bool, passwordless);
    QFETCH(QString, path);
    QFETCH(QJsonObject, params);
    QFETCH(qint64, code);
    QFETCH(QString, flag);
    QFETCH(bool, flagAfter);
    StandinAccount &other = m_service->state().addAccount("other", "pw");
    other.openIds.insert("1", "qq-other");
    if (passwordless)
        tester().userInfo.insert("isEmptyPassword", true);
    const QString token = signIn();
    const qint64 version = tester().version;
    const Answer a = send("POST", path, params, token);
    QCOMPARE(a.code, code);
    const QJsonObject info = send("GET", "user/userInfo", {}, token).data.toObject();
    QCOMPARE(info.value(flag).toBool(), flagAfter);
    QCOMPARE(tester().version, code == 200 ? version + 1 : version);
    if (code == 200) {
        QCOMPARE(a.msg, path.endsWith("clearBind") ? QStringLiteral("解绑成功") : QStringLiteral("绑定成功"));
        // The identity signs in (bound) or no longer does (unbound).
        const QString type = flag == "isOAuthQQ" ? "1" : "2";
        const QString openId =
            params.contains("openId") ? params.value("openId").toString() : "wx-open-tester";
        QCOMPARE(m_service->state().accountByOpenId(type, openId) == &tester(), flagAfter);
    }
    QCOMPARE(other.openIds.value("1"), QStringLiteral("qq-other"));
}

// The digest and the one-off push are proven by the password or the last code
// sent; only the digest's own keys are kept, never the proof; pushes are
// counted; unknown categories are refused.
void TstStandin::pushProofs_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("proof"); // "password", "wrong", "code", "code twice", "no password"
    QTest::addColumn<QJsonObject>("params");
    QTest::addColumn<qint64>("code");
    const QString digest = "user/sysSet/timePush/modify";
    const QString push = "user/data/push/content";
    const QJsonObject weekly{{"timerPushCycle", "2"},
                             {"timerPushCycleTime", "3"},
                             {"timerPushCTypes", "1"},
                             {"timerPushEmail", "me@example.com"}};
    const QJsonObject all{{"pushType", "1"}, {"address", "me@example.com"}};
    QJsonObject known = all;
    known.insert("classIds", "7001");
    QJsonObject unknown = all;
    unknown.insert("classIds", "9999");
    QTest::newRow("digest, password") << digest << "password" << weekly << qint64(200);
    QTest::newRow("digest, wrong password") << digest << "wrong" << weekly << qint64(300);
    QTest::newRow("digest, code") << digest << "code" << weekly << qint64(200);
    QTest::newRow("digest, a code used twice") << digest << "code twice" << weekly << qint64(300);
    QTest::newRow("digest, an account without a password")
        << digest << "no password" << weekly << qint64(300);
    QTest::newRow("push all, code") << push << "code" << all << qint64(200);
    QTest::newRow("push a category, password") << push << "password" << known << qint64(200);
    QTest::newRow("push an unknown category") << push << "password" << unknown << qint64(300);
    QTest::newRow("push, wrong password") << push << "wrong" << all << qint64(300);
}

void TstStandin::pushProofs()
{
    QFETCH(QString, path);
    QFETCH(QString, proof);
    QFETCH(QJsonObject, params);
    QFETCH(qint64, code);
    NoteSyncHandlers::Category category;
    category.classId = "7001";
    category.name = "工作";
    m_notes->data(tester()).classes.insert(category.classId, category);
    if (proof == "no password")
        tester().userInfo.insert("isEmptyPassword", true);
    const QString token = signIn();
    QSignalSpy issued(m_service.get(), &StandinService::codeIssued);
    QString validateType = "1";
    QString vCode = proof == "wrong" ? "not-it" : "secret1";
    if (proof.startsWith("code")) {
        QCOMPARE(send("POST", "tool/sendVCode",
                      {{"account", "13800005678"}, {"type", "1"}, {"whichinterface", "0"}}, token)
                     .code,
                 200);
        QCOMPARE(issued.count(), 1);
        QCOMPARE(issued.at(0).at(0).toString(), QStringLiteral("13800005678"));
        validateType = "2";
        vCode = issued.at(0).at(1).toString();
        QCOMPARE(vCode.size(), 6);
    }
    if (proof == "code twice") {
        QJsonObject first = params;
        first.insert("validateType", validateType);
        first.insert("vCode", vCode);
        QCOMPARE(send("POST", path, first, token).code, 200);
    }
    const QJsonObject setBefore = tester().sysSet;
    params.insert("validateType", validateType);
    params.insert("vCode", vCode);
    QCOMPARE(send("POST", path, params, token).code, code);
    const QJsonObject set = send("GET", "user/sysSet", {}, token).data.toObject();
    QVERIFY(!set.contains("validateType"));
    QVERIFY(!set.contains("vCode"));
    if (path.endsWith("timePush/modify")) {
        for (const char *key : {"timerPushCycle", "timerPushCycleTime", "timerPushCTypes", "timerPushEmail"})
            QCOMPARE(set.value(key).toVariant().toString(),
                     (code == 200 ? params.value(key) : setBefore.value(key)).toVariant().toString());
    } else {
        QCOMPARE(set.value("pushEmailCount").toInt(),
                 setBefore.value("pushEmailCount").toInt() + (code == 200));
    }
    // An unknown mobile number gets no code.
    QCOMPARE(send("POST", "tool/sendVCode", {{"account", "13900000000"}, {"type", "1"}}, token).code, 300);
}

// An uploaded image (JPEG, as the client sends it, or PNG) is kept and served
// at the address the reply names, on this machine; other bytes are refused.
void TstStandin::uploadedImagesAreServed()
{
    const QString token = signIn();
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "PNG"));
    QByteArray jpeg;
    QBuffer jpegBuffer(&jpeg);
    jpegBuffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&jpegBuffer, "JPEG", 85));
    auto upload = [&](const QByteArray &bytes) {
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QVariant("form-data; name=\"FileName\"; filename=\"a.png\""));
        part.setHeader(QNetworkRequest::ContentTypeHeader, QVariant("image/png"));
        part.setBody(bytes);
        multi->append(part);
        QNetworkRequest request(QUrl(m_service->baseUrl().toString() + "tool/upload/img"));
        request.setRawHeader("appId", "plvmac");
        request.setRawHeader("signature", "730518");
        request.setRawHeader("timestamp", QByteArray::number(QDateTime::currentSecsSinceEpoch()));
        request.setRawHeader("accessToken", token.toUtf8());
        QNetworkReply *reply = m_net.post(request, multi);
        multi->setParent(reply);
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 5000))
            return QJsonObject();
        const QJsonObject envelope = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return envelope;
    };
    for (const QByteArray &bytes : {png, jpeg}) {
        const QJsonObject good = upload(bytes);
        QCOMPARE(good.value("code").toInt(), 200);
        const QUrl address(good.value("data").toObject().value("filePath").toString());
        QCOMPARE(address.host(), QStringLiteral("127.0.0.1"));
        QNetworkReply *reply = m_net.get(QNetworkRequest(address));
        QVERIFY(QTest::qWaitFor([reply] { return reply->isFinished(); }, 5000));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QCOMPARE(reply->readAll(), bytes);
        reply->deleteLater();
    }
    QCOMPARE(upload("not an image").value("code").toInt(), 400);
}

PRELVANE_TEST_CORE_MAIN(TstStandin)
#include "tst_standin.moc"
