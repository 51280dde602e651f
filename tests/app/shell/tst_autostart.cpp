// The start at login (prelvane --autostart): with an account that signs in by
// itself the program runs in the tray, signs in without showing a window and
// reminds; without one it ends at once, touching nothing.

#include "app/login/AutoLoginCheck.h"
#include "app/shell/AppShell.h"
#include "app/shell/LoginWindow.h"
#include "app/uikit/WidgetFeedback.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/LoginAccount.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/dates/DateManager.h"
#include "platform/base/Clock.h"
#include "platform/base/TimerScheduler.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

class TestAutostart : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<FakeNetworkMonitor> network;
    TimerScheduler timers;
    std::unique_ptr<WidgetFeedback> feedback;
    std::unique_ptr<TestGraph> graph;
    std::unique_ptr<AppShell> shell;

    // A start of the program as main() makes it; true when it goes on running.
    bool launch(bool inTray)
    {
        graph = std::make_unique<TestGraph>(ProgramServices::Parts()
                                                .use(&timers)
                                                .use(feedback.get())
                                                .use(f->notifications.get())
                                                .use(network.get())
                                                .use(f->keychain.get())
                                                .use(f->api.get())
                                                .use(f->session.get()));
        f->replyActions.reset();
        shell = std::make_unique<AppShell>(graph->services());
        shell->setTrayEnabled(false);
        shell->setStartInTray(inTray);
        // A bare window in place of the main window: this test is about the start, not the window.
        shell->setMainWindowFactory([] {
            auto *window = new QWidget(nullptr, Qt::Window);
            window->setObjectName(QStringLiteral("mainWindow"));
            return window;
        });
        shell->launch(graph->program().storeOpened());
        return !shell->quitsAtOnce();
    }

    void quit()
    {
        if (shell)
            shell->shutDown();
        shell.reset();
        graph.reset();
        QTest::qWait(10);
    }

    static QList<QWidget *> shownWindows()
    {
        QList<QWidget *> shown;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                shown << w;
        return shown;
    }

    // Signs in once through the login window as a user does, asking for auto-login.
    void signInOnceWithAutoLogin(bool autoLogin)
    {
        QVERIFY(launch(false));
        LoginWindow *login = shell->loginWindow();
        QVERIFY(login);
        QVERIFY(QTest::qWaitForWindowExposed(login));
        auto *account = login->findChild<QLineEdit *>(QStringLiteral("account"));
        auto *password = login->findChild<QLineEdit *>(QStringLiteral("password"));
        QVERIFY(account && password);
        QTest::keyClicks(account, QStringLiteral("tester"));
        QTest::keyClicks(password, QStringLiteral("secret1"));
        auto *box = login->findChild<QCheckBox *>(QStringLiteral("autoLogin"));
        if (box->isChecked() != autoLogin)
            QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(login->findChild<QPushButton *>(QStringLiteral("login")), Qt::LeftButton);
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QCOMPARE(AutoLoginCheck::signsInAutomatically(graph->services().store.get()), autoLogin);
        quit();
    }

private slots:
    void init()
    {
        TestEnv::freshFolders(); // every case on a machine of its own
        f = std::make_unique<ServiceFixture>();
        network = std::make_unique<FakeNetworkMonitor>();
        feedback = std::make_unique<WidgetFeedback>(timers);
        UserDefaults::setValue(QStringLiteral("AgreeProtocolKey"), true);
    }

    void cleanup()
    {
        quit();
        feedback.reset();
        network.reset();
        f.reset();
        Clock::reset();
    }

    void withoutAnAccountThatSignsInByItselfItEndsAtOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("first start") << "nothing";
        QTest::newRow("signed in without auto-login") << "signed in";
        QTest::newRow("agreement not accepted") << "agreement";
    }

    void withoutAnAccountThatSignsInByItselfItEndsAtOnce()
    {
        QFETCH(QString, before);
        if (before == "signed in")
            signInOnceWithAutoLogin(false);
        if (before == "agreement") {
            signInOnceWithAutoLogin(true);
            UserDefaults::remove(QStringLiteral("AgreeProtocolKey"));
        }
        const int signIns = f->service->requestCount(QStringLiteral("user/login"));
        QVERIFY(!launch(true));
        QVERIFY(shell->quitsAtOnce());
        QVERIFY(!shell->currentWindow());
        QCOMPARE(shownWindows(), QList<QWidget *>());
        QTest::qWait(50);
        QCOMPARE(f->service->requestCount(QStringLiteral("user/login")), signIns);
    }

    void withAnAutoLoginAccountItSignsInInTheTrayAndReminds()
    {
        signInOnceWithAutoLogin(true);
        const int signIns = f->service->requestCount(QStringLiteral("user/login"));

        QVERIFY(launch(true));
        QVERIFY(!shell->quitsAtOnce());
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QCOMPARE(f->service->requestCount(QStringLiteral("user/login")), signIns + 1);
        QCOMPARE(shownWindows(), QList<QWidget *>()); // only the tray

        // A reminder made now (on another device, say) fires while no window is shown.
        Clock::setNow(QDateTime::currentDateTime());
        Context *ctx = graph->services().store.get();
        auto *category = ctx->create<Classify>();
        category->setClassId(QStringLiteral("k1"));
        category->setName(QStringLiteral("工作"));
        auto *note = ctx->create<NoteDetail>();
        note->setCId(QStringLiteral("c1"));
        note->setContent(QStringLiteral("交电费"));
        note->setClassify(category);
        auto *remind = ctx->create<DateRemind>();
        const QString due = DateManager::getStringFromDate(Clock::now().addSecs(3600));
        remind->setRemindDateTime(due);
        remind->setRemindRealDateTime(due);
        remind->setRemindActionType(2);
        note->setRemind(remind);
        QVERIFY(ctx->saveAndWait());
        QTRY_VERIFY(f->notifications->scheduledNotification(QStringLiteral("c1")));
        Clock::advance(3601 * 1000);
        QTRY_COMPARE(f->notifications->presented().size(), 1);
        QCOMPARE(f->notifications->presented().first().informativeText, QStringLiteral("交电费"));
        QCOMPARE(shownWindows(), QList<QWidget *>());

        // The tray's "显示 Prelvane" brings the main window.
        shell->bringToFront();
        QVERIFY(shell->currentWindow()->isVisible());
    }

    void aSecondStartAtLoginLeavesTheRunningOneAsItIs()
    {
        QVERIFY(launch(false));
        const QString name =
            QStringLiteral("prelvane-autostart-test-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(shell->listenForLaterStarts(name));
        shell->currentWindow()->hide();
        QVERIFY(AppShell::forwardToRunningInstance(name, false));
        QTest::qWait(100);
        QVERIFY(!shell->currentWindow()->isVisible());
    }
};

PRELVANE_TEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
