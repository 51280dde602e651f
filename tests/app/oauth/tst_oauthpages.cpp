// The authorisation window's pages: the browser with the waiting dialog where
// the web view plugin is missing, and the real web view against the stand-in's
// page where Qt WebEngine can run.

#include "app/oauthwindows/OAuthPages.h"
#include "app/oauthwindows/OAuthWaitingPage.h"
#include "app/oauthwindows/OAuthWebPage.h"
#include "service/standin/StandinService.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/TestEnv.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestOAuthPages : public QObject
{
    Q_OBJECT

private slots:
    void withoutThePluginTheBrowserOpensAndCancelEnds()
    {
        RecordingUrlOpener urls;
        OAuthPages pages(urls, {});
        QVERIFY(!pages.hasWebView());
        std::unique_ptr<AuthWebPage> page(pages.openPage(QStringLiteral("互联登录"), nullptr));
        auto *waiting = qobject_cast<OAuthWaitingPage *>(page.get());
        QVERIFY(waiting);
        QSignalSpy closed(page.get(), &AuthWebPage::closedByUser);
        const QUrl url(QStringLiteral("http://127.0.0.1:1/oauth/jump?clientId=tmp1"));
        page->load(url);
        QCOMPARE(urls.opened, QList<QUrl>{url});
        QVERIFY(waiting->dialog()->isVisible());
        QCOMPARE(waiting->dialog()->windowTitle(), QStringLiteral("互联登录"));
        auto *cancel = waiting->dialog()->findChild<QPushButton *>(QStringLiteral("cancel"));
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(closed.size(), 1);
        QVERIFY(!waiting->dialog()->isVisible());
    }

    void closingByThePresenterIsNoUserClose()
    {
        RecordingUrlOpener urls;
        OAuthPages pages(urls, {});
        std::unique_ptr<AuthWebPage> page(pages.openPage(QStringLiteral("互联登录"), nullptr));
        QSignalSpy closed(page.get(), &AuthWebPage::closedByUser);
        page->load(QUrl(QStringLiteral("http://127.0.0.1:1/")));
        page->close();
        QCOMPARE(closed.size(), 0);
    }

    // One page of the real view, where the plugin was built and its engine
    // can start here.
    void realWebViewLoadsTheStandinPage()
    {
        if (!qEnvironmentVariableIsEmpty("PRELVANE_SKIP_WEBENGINE"))
            QSKIP("PRELVANE_SKIP_WEBENGINE is set");
        RecordingUrlOpener urls;
        OAuthPages pages(urls);
        if (!pages.hasWebView())
            QSKIP("no web view plugin here");
        StandinService service;
        QVERIFY(service.listen());
        service.state().oauthStates.insert(QStringLiteral("tmp1"), QJsonObject{{"status", "unauthorized"}});
        std::unique_ptr<AuthWebPage> page(pages.openPage(QStringLiteral("互联登录"), nullptr));
        QVERIFY(qobject_cast<OAuthWebPage *>(page.get()));
        QSignalSpy loaded(page.get(), &AuthWebPage::pageLoaded);
        QUrl url = service.baseUrl().resolved(QUrl(QStringLiteral("oauth/jump")));
        url.setQuery(QStringLiteral("oauthType=wx&from=mac&type=login&clientId=tmp1&time=1"));
        page->load(url);
        QTRY_VERIFY_WITH_TIMEOUT(loaded.size() >= 1, 30000);
        QVERIFY(urls.opened.isEmpty());
        QCOMPARE(service.requestCount(QStringLiteral("oauth/jump")), 1);
    }
};

int main(int argc, char **argv)
{
    TestEnv::prepareProcess("TestOAuthPages");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestEnv::freshFolders();
    TestOAuthPages tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_oauthpages.moc"
