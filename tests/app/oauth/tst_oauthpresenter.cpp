// The authorisation window's steps against the stand-in service, with a fake
// page in place of the web view and a hand-moved scheduler for the 3-s checks.

#include "app/oauth/OAuthPresenter.h"
#include "platform/base/UserDefaults.h"
#include "service/api/ApiNetWorking.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/FakeAuthWebPages.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using R = StandinReply;

class TestOAuthPresenter : public QObject
{
    Q_OBJECT

    StoreFixture m_store;
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<ManualScheduler> scheduler;
    std::unique_ptr<TestGraph> graph;
    FakeAuthWebPages pages_;
    FakeAuthWebPages &pages = pages_;

    std::unique_ptr<OAuthPresenter> make(const QString &type = QStringLiteral("login"),
                                         const QString &provider = QStringLiteral("wx"))
    {
        return std::make_unique<OAuthPresenter>(graph->services(), pages, type, provider);
    }

    int requests(const char *path) const { return f->service->requestCount(QString::fromLatin1(path)); }

    // Starts one and waits for its window.
    std::unique_ptr<OAuthPresenter> opened(const QString &type = QStringLiteral("login"),
                                           const QString &provider = QStringLiteral("wx"))
    {
        auto p = make(type, provider);
        p->start();
        [&] { QTRY_VERIFY(p->isOpen()); }();
        return p;
    }

    // One check after a page load, waited for to its end.
    void loadAndWait(OAuthPresenter &p)
    {
        const int before = requests("tool/checkOAuthState");
        pages.last()->finishLoad();
        QTRY_COMPARE(requests("tool/checkOAuthState"), before + 1);
        QTRY_VERIFY(!p.checkInFlight());
    }

    // Answers the checks with this code and data.
    void answerChecks(qint64 code, const QJsonValue &data, const QString &msg = QStringLiteral("未知"))
    {
        f->service->registerHandler("tool/checkOAuthState", [=](StandinService::Context &) {
            R r = R::ok(data);
            r.code = code;
            r.msg = msg;
            return r;
        });
    }

    QString fetch(const QUrl &url)
    {
        QNetworkAccessManager net;
        QNetworkReply *reply = net.get(QNetworkRequest(url));
        QSignalSpy done(reply, &QNetworkReply::finished);
        [&] { QTRY_COMPARE(done.size(), 1); }();
        const QString body = QString::fromUtf8(reply->readAll());
        reply->deleteLater();
        return body;
    }

private slots:
    void init()
    {
        QVERIFY(m_store.open(QDateTime(QDate(2026, 3, 2), QTime(9, 0))));
        f = std::make_unique<ServiceFixture>();
        UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, f->service->baseUrl().toString());
        scheduler = std::make_unique<ManualScheduler>();
        graph = std::make_unique<TestGraph>(ProgramServices::Parts()
                                                .use(m_store.store())
                                                .use(f->feedback.get())
                                                .use(f->notifications.get())
                                                .use(f->keychain.get())
                                                .use(scheduler.get())
                                                .use(f->api.get()));
    }

    void cleanup()
    {
        graph.reset();
        scheduler.reset();
        f.reset();
        m_store.close();
    }

    void opensTheServicePageForTheTempId()
    {
        auto p = opened(QStringLiteral("login"), QStringLiteral("qq"));
        QCOMPARE(pages.lastTitle, QStringLiteral("互联登录"));
        const StandinRequest sent = f->service->lastRequest("tool/oauthTempId");
        QCOMPARE(sent.params.value("oauthtype").toString(), QStringLiteral("qq"));
        QCOMPARE(sent.params.value("type").toString(), QStringLiteral("login"));
        QCOMPARE(pages.record().loaded.size(), 1);
        const QUrl url = pages.record().loaded.first();
        QCOMPARE(url.path(), QStringLiteral("/oauth/jump"));
        QCOMPARE(QUrlQuery(url).queryItemValue("clientId"), p->model().clientId);
        QVERIFY(f->service->state().oauthStates.contains(p->model().clientId));
    }

    void statusTable_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QJsonObject>("data");
        QTest::addColumn<QString>("reported"); // status reported, empty: none
        QTest::addColumn<QString>("openId");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("ok") << 200 << QJsonObject{{"status", "ok"}, {"openId", "o-1"}} << "ok"
                            << "o-1" << true << none;
        QTest::newRow("ok without openId is not ok") << 200 << QJsonObject{{"status", "ok"}} << ""
                                                     << "" << false << none;
        QTest::newRow("unbound") << 200 << QJsonObject{{"status", "unbound"}} << "unbound"
                                 << "" << true << none;
        QTest::newRow("pending with 200 stays") << 200 << QJsonObject{{"status", "unauthorized"}} << ""
                                                << "" << false << none;
        QTest::newRow("missing status with 200 stays") << 200 << QJsonObject{} << ""
                                                       << "" << false << none;
        QTest::newRow("unknown status with 200 stays") << 200 << QJsonObject{{"status", "later"}} << ""
                                                       << "" << false << none;
        QTest::newRow("pending with another code stays")
            << 201 << QJsonObject{{"status", "unauthorized"}} << ""
            << "" << false << none;
        QTest::newRow("another code without status stays") << 500 << QJsonObject{} << ""
                                                           << "" << false << none;
        QTest::newRow("another code and status: closes with the message")
            << 300 << QJsonObject{{"status", "unbound"}} << ""
            << "" << true << QStringList{"授权已取消"};
    }

    void statusTable()
    {
        QFETCH(int, code);
        QFETCH(QJsonObject, data);
        QFETCH(QString, reported);
        QFETCH(QString, openId);
        QFETCH(bool, closes);
        QFETCH(QStringList, messages);
        answerChecks(code, data, QStringLiteral("授权已取消"));
        auto p = opened();
        QSignalSpy reports(p.get(), &OAuthPresenter::reported);
        QSignalSpy finished(p.get(), &OAuthPresenter::finished);
        loadAndWait(*p);
        QCOMPARE(reports.size(), reported.isEmpty() ? 0 : 1);
        if (!reported.isEmpty())
            QCOMPARE(reports.first(), (QVariantList{reported, openId, QStringLiteral("wx")}));
        QCOMPARE(p->isOpen(), !closes);
        QCOMPARE(pages.record().closes, closes ? 1 : 0);
        QCOMPARE(finished.size(), closes ? 1 : 0);
        QCOMPARE(f->feedback->messages(), messages);
    }

    void reportsOnceForManyLoads()
    {
        auto p = opened();
        QSignalSpy reports(p.get(), &OAuthPresenter::reported);
        f->service->authorise(p->model().clientId, QStringLiteral("o-2"));
        // Frames finishing together: one check in flight, the rest wait.
        pages.last()->finishLoad();
        pages.last()->finishLoad();
        pages.last()->finishLoad();
        QTRY_COMPARE(reports.size(), 1);
        QCOMPARE(requests("tool/checkOAuthState"), 1);
        scheduler->advance(OAuthPresenter::PollMsecs * 3);
        QCoreApplication::processEvents();
        QCOMPARE(requests("tool/checkOAuthState"), 1);
        QCOMPARE(reports.size(), 1);
    }

    void replyAfterTheUserClosedIsDropped()
    {
        auto p = opened();
        QSignalSpy reports(p.get(), &OAuthPresenter::reported);
        QSignalSpy finished(p.get(), &OAuthPresenter::finished);
        f->service->authorise(p->model().clientId, QStringLiteral("o-3"));
        pages.last()->finishLoad();
        QVERIFY(p->checkInFlight());
        pages.last()->closeByUser();
        QCOMPARE(finished.size(), 1);
        QTRY_VERIFY(!p->checkInFlight());
        QCOMPARE(reports.size(), 0);
        QVERIFY(f->feedback->messages().isEmpty());
        scheduler->advance(OAuthPresenter::PollMsecs * 2);
        QCOMPARE(requests("tool/checkOAuthState"), 1);
    }

    void checksEveryThreeSecondsOneAtATime()
    {
        auto p = opened();
        QSignalSpy reports(p.get(), &OAuthPresenter::reported);
        f->service->setFault("tool/checkOAuthState", StandinFault::of(StandinFault::Kind::NoAnswer));
        scheduler->advance(OAuthPresenter::PollMsecs - 1);
        QCOMPARE(requests("tool/checkOAuthState"), 0);
        scheduler->advance(1);
        QTRY_COMPARE(requests("tool/checkOAuthState"), 1);
        // Still unanswered: the next ticks send nothing.
        scheduler->advance(OAuthPresenter::PollMsecs * 2);
        pages.last()->finishLoad();
        QCoreApplication::processEvents();
        QCOMPARE(requests("tool/checkOAuthState"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!p->checkInFlight(), 5000); // the client gives up
        f->service->clearFaults();
        f->service->authorise(p->model().clientId, QStringLiteral("o-4"));
        scheduler->advance(OAuthPresenter::PollMsecs);
        QTRY_COMPARE(reports.size(), 1);
        QCOMPARE(reports.first().at(1).toString(), QStringLiteral("o-4"));
    }

    void noWindowWithoutClientIdOrAddress_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("clientId");
        QTest::addColumn<bool>("webAddress");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("refused") << 301 << "" << true << QStringList{"没有临时编号"};
        QTest::newRow("empty client id")
            << 200 << "" << true << QStringList{OAuthPresenter::noClientIdText()};
        QTest::newRow("blank client id")
            << 200 << "  " << true << QStringList{OAuthPresenter::noClientIdText()};
        QTest::newRow("no web address")
            << 200 << "tmp1" << false << QStringList{ApiNetWorking::noApiAddressText()};
    }

    void noWindowWithoutClientIdOrAddress()
    {
        QFETCH(int, code);
        QFETCH(QString, clientId);
        QFETCH(bool, webAddress);
        QFETCH(QStringList, messages);
        f->service->registerHandler("tool/oauthTempId", [=](StandinService::Context &) {
            R r = R::ok(clientId, R::Form::EncryptedText);
            r.code = code;
            r.msg = QStringLiteral("没有临时编号");
            if (code != 200)
                r.data = QJsonValue(QJsonValue::Undefined);
            return r;
        });
        if (!webAddress)
            UserDefaults::remove(ApiNetWorking::WebBaseUrlKey);
        auto p = make();
        QSignalSpy finished(p.get(), &OAuthPresenter::finished);
        const int before = pages.opened();
        p->start();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(pages.opened(), before);
        QCOMPARE(f->feedback->messages(), messages);
    }

    // The stand-in's page: "授权" signs in the account that has the identity,
    // "取消" ends with the service's message, an identity nobody has is "unbound".
    void standinPageDecides_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("openId"); // a prefix
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("wechat grant") << "wx"
                                      << "login"
                                      << "grant"
                                      << "ok"
                                      << "wx-open-tester" << QStringList{};
        QTest::newRow("qq nobody has") << "qq"
                                       << "login"
                                       << "grant"
                                       << "unbound"
                                       << "" << QStringList{};
        QTest::newRow("bind: a fresh identity") << "qq"
                                                << "bind"
                                                << "grant"
                                                << "ok"
                                                << "qq-open-" << QStringList{};
        QTest::newRow("cancel") << "wx"
                                << "login"
                                << "deny"
                                << ""
                                << "" << QStringList{StandinService::CancelledText};
    }

    void standinPageDecides()
    {
        QFETCH(QString, provider);
        QFETCH(QString, type);
        QFETCH(QString, link);
        QFETCH(QString, reported);
        QFETCH(QString, openId);
        QFETCH(QStringList, messages);
        auto p = opened(type, provider);
        QSignalSpy reports(p.get(), &OAuthPresenter::reported);
        // Before the user decides the page's checks leave the window open.
        loadAndWait(*p);
        QVERIFY(p->isOpen());
        const QUrl url = pages.record().loaded.first();
        const QString html = fetch(url);
        QVERIFY2(html.contains(QStringLiteral(">授权</a>")) && html.contains(QStringLiteral(">取消</a>")),
                 qPrintable(html));
        const QRegularExpression href(QStringLiteral("id=\"%1\" href=\"([^\"]+)\"").arg(link));
        const QString target =
            href.match(html).captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        QVERIFY(!target.isEmpty());
        fetch(url.resolved(QUrl(target)));
        loadAndWait(*p);
        QCOMPARE(reports.size(), reported.isEmpty() ? 0 : 1);
        if (!reported.isEmpty()) {
            QCOMPARE(reports.first().at(0).toString(), reported);
            const QString got = reports.first().at(1).toString();
            QVERIFY2(openId.isEmpty() ? got.isEmpty() : got.startsWith(openId), qPrintable(got));
        }
        QVERIFY(!p->isOpen());
        QCOMPARE(f->feedback->messages(), messages);
    }
};

PRELVANE_TEST_MAIN(TestOAuthPresenter)
#include "tst_oauthpresenter.moc"
