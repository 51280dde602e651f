// The stand-in service reads the protocol as strictly as the real one: raw
// requests over loopback HTTP, and its note sync answered directly.

#include "service/standin/HistoryDiff.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinCrypto.h"
#include "service/standin/StandinService.h"
#include "tests/support/TestEnv.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

namespace {

struct Answer
{
    int http = 0;
    qint64 code = 0;
    QJsonValue data;
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
            QJsonObject{
                {"classes", QJsonArray{QJsonObject{{"clientId", "c1"}, {"actionType", "1"}, {"name", "工作"}}}},
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
    const auto [classId, cId] = pushNewCategoryWithNote(QStringLiteral("买牛奶"));
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

PRELVANE_TEST_CORE_MAIN(TstStandin)
#include "tst_standin.moc"
