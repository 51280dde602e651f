// The shell with its real windows, in-process, against the stand-in service
// over loopback: signing in as a user does, auto-login at the next start,
// logout from the tray menu; and the shell's own handling of windows and
// notification callbacks.

#include "app/agreementwindows/AgreementPromptDialog.h"
#include "app/login/LoginPresenter.h"
#include "app/shell/AppShell.h"
#include "app/shell/LoginWindow.h"
#include "app/uikit/PopoverView.h"
#include "app/uikit/WidgetFeedback.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/LoginAccount.h"
#include "core/model/MagicalRecordManager.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryListModel.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/base/TimerScheduler.h"
#include "platform/base/UserDefaults.h"
#include "platform/notifications/UserNotification.h"
#include "platform/store/Context.h"
#include "service/account/AutoLoginModel.h"
#include "service/account/SignInKeys.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FakeAuthWebPages.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/TestGraph.h"
#include "tests/support/TestStore.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestShell : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<FakeNetworkMonitor> network;
    TimerScheduler timers;
    // When set, the program's scheduler in place of `timers` (the feedback keeps `timers`).
    std::unique_ptr<ManualScheduler> manual;
    std::unique_ptr<WidgetFeedback> feedback;
    std::unique_ptr<TestGraph> graph;
    std::unique_ptr<AppShell> shell;
    RecordingUrlOpener urls;
    FakeAuthWebPages authPages;

    // A start of the program as main() makes it, on this process's folders.
    void start()
    {
        // The program's wiring takes the place of the fixture's.
        f->replyActions.reset();
        graph = std::make_unique<TestGraph>(
            ProgramServices::Parts()
                .use(manual ? static_cast<Scheduler *>(manual.get()) : static_cast<Scheduler *>(&timers))
                .use(feedback.get())
                .use(f->notifications.get())
                .use(network.get())
                .use(f->keychain.get())
                .use(&urls)
                .use(f->api.get())
                .use(f->session.get()));
        f->api->setFeedback(feedback.get());
        shell = std::make_unique<AppShell>(graph->services());
        shell->setTrayEnabled(false);
        shell->useAuthPages(authPages);
        // A bare window in place of the main window: this test is about the shell's handling of it.
        shell->setMainWindowFactory([] {
            auto *window = new QWidget(nullptr, Qt::Window);
            window->setObjectName(QStringLiteral("mainWindow"));
            window->resize(960, 640);
            return window;
        });
        shell->launch(graph->program().storeOpened());
        QVERIFY(shell->currentWindow());
        QVERIFY(QTest::qWaitForWindowExposed(shell->currentWindow()));
    }

    // Quitting: the windows go, the store is torn down.
    void quit()
    {
        if (shell)
            shell->shutDown();
        shell.reset();
        graph.reset();
        QTest::qWait(10);
    }

    LoginWindow *login() const { return shell->loginWindow(); }
    Context *store() const { return graph->services().store; }
    Session *session() const { return graph->services().session; }

    template <class T> T *control(const char *name) const
    {
        T *w = login() ? login()->findChild<T *>(QLatin1String(name)) : nullptr;
        if (!w)
            qWarning() << "no control" << name;
        return w;
    }

    QMessageBox *visibleSheet() const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                return box;
        return nullptr;
    }

    void typeAndSignIn(const QString &account, const QString &password)
    {
        auto *accountField = control<QLineEdit>("account");
        auto *passwordField = control<QLineEdit>("password");
        QVERIFY(accountField && passwordField);
        for (QLineEdit *field : {accountField, passwordField}) {
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Backspace);
        }
        QTest::keyClicks(accountField, account);
        QTest::keyClicks(passwordField, password);
        auto *button = control<QPushButton>("login");
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

private slots:
    void init()
    {
        f = std::make_unique<ServiceFixture>();
        network = std::make_unique<FakeNetworkMonitor>();
        feedback = std::make_unique<WidgetFeedback>(timers);
        UserDefaults::setValue(QStringLiteral("AgreeProtocolKey"), true);
        urls.opened.clear();
        LoginPresenter::resetPasswordNoticeForTests();
    }

    void cleanup()
    {
        quit();
        manual.reset();
        Clock::reset();
        if (QMessageBox *box = visibleSheet())
            box->close();
        feedback.reset();
        network.reset();
        f.reset();
    }

    void signInAutoLoginAndLogoutAsAUserDoes()
    {
        start();
        QVERIFY(login());
        QVERIFY(!shell->mainWindowIsCurrent());
        QVERIFY(!shell->logoutAction()->isEnabled());

        // A wrong password: the service's message in a sheet, the form as typed.
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("wrong"));
        QTRY_VERIFY(visibleSheet());
        QCOMPARE(visibleSheet()->informativeText(), QStringLiteral("账号或密码错误"));
        QTest::mouseClick(visibleSheet()->defaultButton(), Qt::LeftButton);
        QTRY_VERIFY(!visibleSheet());
        QVERIFY(login() && login()->isVisible());
        QCOMPARE(control<QLineEdit>("account")->text(), QStringLiteral("tester"));

        // The right one, with auto-login: the main window replaces the login window.
        QTest::mouseClick(control<QCheckBox>("autoLogin"), Qt::LeftButton);
        QVERIFY(control<QCheckBox>("savePassword")->isChecked());
        QPointer<QWidget> loginWindow = login();
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QVERIFY(QTest::qWaitForWindowExposed(shell->currentWindow()));
        QTRY_VERIFY(!loginWindow); // the login window is gone
        QVERIFY(shell->logoutAction()->isEnabled());
        QCOMPARE(UserDefaults::string(SignInKeys::UserId), f->tester().userId);
        QVERIFY(session()->isSignedIn());
        QCOMPARE(session()->userId(), f->tester().userId);

        // The next start signs in by itself.
        quit();
        const int signInsBefore = f->service->requestCount(QStringLiteral("user/login"));
        start();
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QCOMPARE(f->service->requestCount(QStringLiteral("user/login")), signInsBefore + 1);

        // Some data of the session, then logout from the tray menu.
        Context *ctx = store();
        auto *category = ctx->create<Classify>();
        category->setClassId(QStringLiteral("k1"));
        category->setName(QStringLiteral("工作"));
        QVERIFY(ctx->saveAndWait());
        QAction *logout = nullptr;
        for (QAction *a : shell->trayMenu()->actions())
            if (a->text() == QStringLiteral("退出登录"))
                logout = a;
        QVERIFY(logout);
        logout->trigger();
        QTRY_VERIFY(login());
        QVERIFY(QTest::qWaitForWindowExposed(login()));
        QVERIFY(!shell->mainWindowIsCurrent());
        QVERIFY(!session()->isSignedIn());
        QVERIFY(ctx->findAll<Classify>().isEmpty());
        QVERIFY(!UserDefaults::contains(SignInKeys::AccessToken));
        const QList<LoginAccount *> rows = ctx->findAll<LoginAccount>();
        QCOMPARE(rows.size(), 1);
        QVERIFY(!rows.first()->autoLogin());
        // The login window offers the account again, without signing in.
        QTRY_COMPARE(control<QLineEdit>("account")->text(), QStringLiteral("tester"));
        QTest::qWait(100);
        QVERIFY(!shell->mainWindowIsCurrent());
    }

    // "微信", "仅本次登录", authorised on the service: the main window, and
    // no auto-login record although the box was on before.
    void weChatSignInThisOnce()
    {
        start();
        QTest::mouseClick(control<QCheckBox>("autoLogin"), Qt::LeftButton);
        QVERIFY(control<QCheckBox>("autoLogin")->isChecked());
        QPushButton *weChat = nullptr;
        for (QPushButton *b : login()->findChildren<QPushButton *>(QStringLiteral("oauth")))
            if (b->text() == QStringLiteral("微信"))
                weChat = b;
        QVERIFY(weChat && weChat->isEnabled());
        const int opened = authPages.opened();
        QTest::mouseClick(weChat, Qt::LeftButton);
        QPointer<PopoverView> choices = login()->oauthChoices();
        QVERIFY(choices);
        QCOMPARE(choices->titles(), (QStringList{"自动登录", "仅本次登录", "取消"}));
        QListView *rows = choices->tableView();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                          rows->visualRect(rows->model()->index(1, 0)).center());
        QTRY_COMPARE(authPages.opened(), opened + 1);
        QVERIFY(!control<QCheckBox>("autoLogin")->isChecked());
        QCOMPARE(authPages.lastTitle, QStringLiteral("互联登录"));
        const StandinRequest asked = f->service->lastRequest(QStringLiteral("tool/oauthTempId"));
        QCOMPARE(asked.params.value("oauthtype").toString(), QStringLiteral("wx"));
        const QString clientId = QUrlQuery(authPages.record().loaded.value(0)).queryItemValue("clientId");
        QVERIFY(!clientId.isEmpty());

        // The page loads before the user decided: the window stays.
        authPages.last()->finishLoad();
        QTRY_COMPARE(f->service->requestCount(QStringLiteral("tool/checkOAuthState")), 1);
        QVERIFY(authPages.last());
        f->service->authorise(clientId, f->tester().openIds.value(QStringLiteral("2")));
        authPages.last()->finishLoad();
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QCOMPARE(authPages.record().closes, 1);
        const StandinRequest signIn = f->service->lastRequest(QStringLiteral("user/login/oauth"));
        QCOMPARE(signIn.params.value("type").toString(), QStringLiteral("2"));
        QCOMPARE(session()->userId(), f->tester().userId);
        QVERIFY(AutoLoginModel::stored().type != AutoLoginModel::OAuthAutoLogin);
        QCOMPARE(f->service->requestCount(QStringLiteral("user/login/oauth")), 1);
    }

    // Cancel under the button asks the service nothing.
    void oauthCancelSendsNothing()
    {
        start();
        QPushButton *qq = nullptr;
        for (QPushButton *b : login()->findChildren<QPushButton *>(QStringLiteral("oauth")))
            if (b->text() == QStringLiteral("QQ"))
                qq = b;
        QVERIFY(qq);
        QTest::mouseClick(qq, Qt::LeftButton);
        QPointer<PopoverView> choices = login()->oauthChoices();
        QVERIFY(choices);
        QListView *rows = choices->tableView();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                          rows->visualRect(rows->model()->index(2, 0)).center());
        QTRY_VERIFY(!choices);
        QCoreApplication::processEvents();
        QCOMPARE(f->service->requestCount(QStringLiteral("tool/oauthTempId")), 0);
        QVERIFY(!login()->presenter()->authorising());
    }

    // Without a keychain that can store: the user is told once, on the window that stays (the main window);
    // the next start asks for the password, with the account filled and no error.
    void aKeychainThatCannotStoreThePassword()
    {
        f->keychain->refuseWrites = true;
        start();
        QTest::mouseClick(control<QCheckBox>("autoLogin"), Qt::LeftButton);
        QVERIFY(control<QCheckBox>("savePassword")->isChecked());
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QTRY_VERIFY(visibleSheet());
        QCOMPARE(visibleSheet()->informativeText(), LoginPresenter::passwordNotSavedText());
        QCOMPARE(visibleSheet()->parentWidget()->window(), shell->currentWindow());
        QTest::mouseClick(visibleSheet()->defaultButton(), Qt::LeftButton);
        QTRY_VERIFY(!visibleSheet());

        quit();
        const int signInsBefore = f->service->requestCount(QStringLiteral("user/login"));
        start();
        QTRY_COMPARE(control<QLineEdit>("account")->text(), QStringLiteral("tester"));
        QTRY_COMPARE(QApplication::focusWidget(), control<QLineEdit>("password"));
        QTest::qWait(100);
        QVERIFY(!visibleSheet());
        QVERIFY(!shell->mainWindowIsCurrent());
        QCOMPARE(f->service->requestCount(QStringLiteral("user/login")), signInsBefore);
        QVERIFY(control<QCheckBox>("autoLogin")->isChecked());
    }

    // A reminder fires: the category column shows its due dot at once, not at a later reload.
    void aFiredReminderShowsItsCategorysDueDot()
    {
        const QDateTime base(QDate(2026, 3, 2), QTime(9, 0));
        Clock::setNow(base);
        start();
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        CategoryColumnPresenter column(shell->services(), nullptr);
        Context *ctx = store();
        auto *category = ctx->create<Classify>();
        category->setClassId(QStringLiteral("k1"));
        category->setName(QStringLiteral("工作"));
        auto *note = ctx->create<NoteDetail>();
        note->setCId(QStringLiteral("n1"));
        note->setClassId(QStringLiteral("k1"));
        note->setContent(QStringLiteral("交房租"));
        auto *remind = ctx->create<DateRemind>();
        remind->setRemindActionType(RemindAction::Set);
        remind->setRemindDateTime(QStringLiteral("2026/3/2 9:30:00"));
        remind->setRemindRealDateTime(QStringLiteral("2026/3/2 9:30:00"));
        note->setRemind(remind);
        QVERIFY(ctx->saveAndWait());
        emit shell->services().events->reloadLeftHomeList(LeftHomeListReload::refetch());
        CategoryListModel *rows = column.model();
        QCOMPARE(rows->rowCount(), 1);
        QVERIFY(!rows->data(rows->index(0), CategoryListModel::DueRole).toBool());
        QTRY_VERIFY(!f->notifications->scheduledNotifications().isEmpty());

        QSignalSpy delivered(f->notifications.get(), &UserNotificationCenter::didDeliverNotification);
        Clock::setNow(base.addSecs(30 * 60));
        QTRY_COMPARE(delivered.count(), 1);
        QTRY_VERIFY(rows->data(rows->index(0), CategoryListModel::DueRole).toBool());
        Clock::reset();
    }

    // The planner's first pass of a start (the reminders missed while the program was not running, then
    // every reminder planned) waits for the program's scheduler, and with an auto-login for the main
    // window; it still happens then, once.
    void thePlannersFirstPassWaitsForTheScheduler_data()
    {
        QTest::addColumn<bool>("autoLogin");
        // (A login window that does not sign in by itself wipes the notes; the agreement comes first.)
        QTest::newRow("the agreement prompt") << false;
        QTest::newRow("an auto-login") << true;
    }
    void thePlannersFirstPassWaitsForTheScheduler()
    {
        QFETCH(bool, autoLogin);
        const QDateTime base(QDate(2026, 3, 2), QTime(9, 0));
        Clock::setNow(base);
        start();
        if (autoLogin) {
            QTest::mouseClick(control<QCheckBox>("autoLogin"), Qt::LeftButton);
            typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
            QTRY_VERIFY(shell->mainWindowIsCurrent());
        } else {
            UserDefaults::setValue(QStringLiteral("userId"), QStringLiteral("42"));
        }
        Context *ctx = store();
        for (const auto &[cId, due] :
             {std::pair{"missed", "2026/3/2 9:30:00"}, {"later", "2026/3/2 11:00:00"}}) {
            auto *note = ctx->create<NoteDetail>();
            note->setCId(QString::fromLatin1(cId));
            note->setContent(QStringLiteral("交房租"));
            auto *remind = ctx->create<DateRemind>();
            remind->setRemindActionType(RemindAction::Set);
            remind->setRemindDateTime(QString::fromLatin1(due));
            remind->setRemindRealDateTime(QString::fromLatin1(due));
            note->setRemind(remind);
        }
        QVERIFY(ctx->saveAndWait());
        QTRY_COMPARE(f->notifications->scheduledNotifications().size(), 2);
        quit();

        // The next start, after the first one came due: a new process has an empty centre.
        f->notifications->removeAllScheduledNotifications();
        f->notifications->clearLogs();
        Clock::setNow(base.addSecs(60 * 60));
        if (!autoLogin)
            UserDefaults::setValue(QStringLiteral("AgreeProtocolKey"), false);
        manual = std::make_unique<ManualScheduler>();
        start();
        if (autoLogin) {
            // Not before the main window, whatever else the scheduler runs meanwhile.
            if (!shell->mainWindowIsCurrent()) {
                manual->runDue();
                QVERIFY(f->notifications->scheduleLog().isEmpty());
            }
            QTRY_VERIFY(shell->mainWindowIsCurrent());
        }
        QVERIFY(f->notifications->presented().isEmpty());
        QVERIFY(f->notifications->scheduledNotifications().isEmpty());

        manual->runDue();
        const auto count = [this](const QString &cId) {
            int n = 0;
            for (const UserNotification &u : f->notifications->scheduleLog())
                n += u.identifier == cId;
            return n;
        };
        QCOMPARE(f->notifications->presented().size(), 1);
        QCOMPARE(f->notifications->presented().first().identifier, QStringLiteral("missed"));
        QVERIFY(f->notifications->presented().first().informativeText.contains(QStringLiteral("错过的提醒")));
        QVERIFY(f->notifications->scheduledNotification(QStringLiteral("later")));
        QCOMPARE(count(QStringLiteral("later")), 1);

        // Nothing planned twice: not by the latest moment the pass would have waited for, nor by a save.
        manual->advance(AppShell::plannerPassLatestMs);
        QTest::qWait(20);
        manual->runDue();
        QCOMPARE(count(QStringLiteral("later")), 1);
        QCOMPARE(f->notifications->presented().size(), 1);
    }

    // Enter on a focused check box presses the default button, as everywhere else.
    void enterOnACheckBoxSignsIn_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::newRow("记住密码, Return") << "savePassword" << int(Qt::Key_Return);
        QTest::newRow("自动登录, Enter") << "autoLogin" << int(Qt::Key_Enter);
    }
    void enterOnACheckBoxSignsIn()
    {
        QFETCH(QString, box);
        QFETCH(int, key);
        start();
        QTest::keyClicks(control<QLineEdit>("account"), QStringLiteral("tester"));
        QTest::keyClicks(control<QLineEdit>("password"), QStringLiteral("secret1"));
        auto *check = control<QCheckBox>(qPrintable(box));
        QVERIFY(check);
        const bool checked = check->isChecked();
        check->setFocus();
        QTest::keyClick(check, Qt::Key(key));
        QCOMPARE(check->isChecked(), checked); // Enter does not toggle it
        QTRY_VERIFY(shell->mainWindowIsCurrent());
    }

    // The service ends the sign-in (410/411/413) or wants a newer program
    // (417): the shell brings back the login window and says why.
    void serviceRepliesThatNeedTheUser_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("sign-in ended") << 413;
        QTest::newRow("update required") << 417;
    }
    void serviceRepliesThatNeedTheUser()
    {
        QFETCH(int, code);
        start();
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        f->service->setFault(QStringLiteral("user/userInfo"),
                             StandinFault::replyCode(code, QStringLiteral("账号已在别处登录")));
        bool answered = false;
        f->api->loadUserInfoWithSuccess(nullptr, [&](const BaseSuccessModel &) { answered = true; }, {});
        QTRY_VERIFY(answered);
        QTRY_VERIFY(visibleSheet());
        if (code == 417) {
            // The notice first; its button logs out.
            QCOMPARE(visibleSheet()->informativeText(), QStringLiteral("请下载最新版本"));
            QVERIFY(shell->mainWindowIsCurrent());
            QTest::mouseClick(visibleSheet()->defaultButton(), Qt::LeftButton);
        } else {
            QCOMPARE(visibleSheet()->informativeText(), QStringLiteral("账号已在别处登录"));
            QTest::mouseClick(visibleSheet()->defaultButton(), Qt::LeftButton);
        }
        QTRY_VERIFY(login());
        QVERIFY(!shell->mainWindowIsCurrent());
        QVERIFY(!session()->isSignedIn());
        QVERIFY(!UserDefaults::contains(SignInKeys::AccessToken));
    }

    void aFirstStartAsksForTheAgreementFirst()
    {
        UserDefaults::remove(QStringLiteral("AgreeProtocolKey"));
        start();
        QTRY_VERIFY(login()->findChild<AgreementPromptDialog *>());
        QTRY_VERIFY(login()->findChild<AgreementPromptDialog *>()->isVisible());
        QVERIFY(!shell->mainWindowIsCurrent());
    }

    // Runs the application's event loop, as the program does, until the tray menu's "退出" ends it; 1 when
    // it did not (a guard ends it then).
    int quitFromTheTrayMenu()
    {
        QAction *quitAction = nullptr;
        for (QAction *a : shell->trayMenu()->actions())
            if (a->text() == QStringLiteral("退出"))
                quitAction = a;
        if (!quitAction)
            return 2;
        QTimer::singleShot(0, quitAction, &QAction::trigger);
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(10000);
        return QApplication::exec();
    }

    // The logout's window hook closes the session's windows, not the tray icon's own window (on an XEmbed
    // tray Qt makes it a frameless window past the window manager); after the next sign-in it is still
    // there, and "退出" ends the program.
    void aLogoutKeepsTheTrayIconAndQuitEnds()
    {
        start();
        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QWidget trayIconWindow(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayIconWindow.setAttribute(Qt::WA_QuitOnClose, false);
        trayIconWindow.resize(22, 22);
        trayIconWindow.show();
        QWidget sessionWindow(nullptr, Qt::Window);
        sessionWindow.resize(300, 350);
        sessionWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sessionWindow));

        shell->logoutFromMenu();
        QTRY_VERIFY(login());
        QVERIFY(!sessionWindow.isVisible());
        QVERIFY(trayIconWindow.isVisible());

        typeAndSignIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QTRY_VERIFY(shell->mainWindowIsCurrent());
        QVERIFY(trayIconWindow.isVisible());

        QSignalSpy quits(qApp, &QCoreApplication::aboutToQuit);
        QCOMPARE(quitFromTheTrayMenu(), 0);
        QCOMPARE(quits.count(), 1);
    }

    // An open agreement prompt refuses to close; "退出" still ends the program and leaves the agreement
    // unanswered, to be asked again at the next start.
    void quitWhileTheAgreementPromptIsOpen()
    {
        UserDefaults::remove(QStringLiteral("AgreeProtocolKey"));
        start();
        QTRY_VERIFY(login()->findChild<AgreementPromptDialog *>());
        QTRY_VERIFY(login()->findChild<AgreementPromptDialog *>()->isVisible());
        QCOMPARE(quitFromTheTrayMenu(), 0);
        QVERIFY(!UserDefaults::contains(QStringLiteral("AgreeProtocolKey")));
    }

    void onlyOneMainWindowAndReopen()
    {
        start();
        shell->showMainWindow();
        QPointer<QWidget> main = shell->currentWindow();
        shell->showMainWindow(); // a second answer of a sign-in
        QCOMPARE(shell->currentWindow(), main.data());
        int mainWindows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            mainWindows +=
                w->objectName() == QLatin1String("mainWindow") && !w->testAttribute(Qt::WA_WState_Hidden);
        QCOMPARE(mainWindows, 1);

        // Reopen: nothing while a window is visible; the current one when none is.
        QWidget other;
        other.show();
        main->hide();
        shell->reopen();
        QVERIFY(!main->isVisible());
        other.hide();
        shell->reopen();
        QVERIFY(main->isVisible());

        shell->openHelp();
        QCOMPARE(urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://web.invalid/help/mac.html"))});
    }

    void closingTheLoginWindowKeepsTheProgramAndReopenRepeatsTheDecision()
    {
        start();
        QSignalSpy quits(qApp, &QCoreApplication::aboutToQuit);
        QTest::mouseClick(login()->findChild<QWidget *>(QStringLiteral("close")), Qt::LeftButton);
        QVERIFY(!login()->isVisible());
        // A remembered user appears meanwhile; showing the window again fills the form.
        auto *row = store()->create<LoginAccount>();
        row->setUserId(f->tester().userId.toInt());
        row->setAccount(QStringLiteral("tester"));
        QVERIFY(store()->saveAndWait());
        UserDefaults::setValue(SignInKeys::UserId, f->tester().userId);
        shell->reopen();
        QVERIFY(login()->isVisible());
        QTRY_COMPARE(control<QLineEdit>("account")->text(), QStringLiteral("tester"));
        QCOMPARE(quits.count(), 0);
    }

    void anUnreadableStoreIsSetAsideAndTheUserTold()
    {
        const QString path = MagicalRecordManager::defaultStorePath();
        QDir().mkpath(QFileInfo(path).path());
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
        garbage.close();
        start();
        QTRY_VERIFY(visibleSheet());
        const QString text = visibleSheet()->informativeText();
        QVERIFY2(text.contains(path + QStringLiteral(".unreadable-")), qPrintable(text));
        QVERIFY(login()); // the start goes on with a fresh store
        QVERIFY(store());
    }

    void aSecondStartBringsTheWindowToTheFront()
    {
        start();
        const QString name = QStringLiteral("prelvane-test-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(!AppShell::forwardToRunningInstance(name)); // nobody listens yet
        QVERIFY(shell->listenForLaterStarts(name));
        login()->hide();
        QVERIFY(AppShell::forwardToRunningInstance(name));
        QTRY_VERIFY(login()->isVisible());
    }

    void notificationCallbacks_data()
    {
        QTest::addColumn<QString>("event"); // "activated" or "delivered"
        QTest::addColumn<bool>("noteExists");
        QTest::addColumn<int>("rType");
        QTest::addColumn<bool>("stillDelivered");
        QTest::addColumn<bool>("stillScheduled");
        QTest::addColumn<QVariant>("posted"); // invalid: nothing posted; null string: posted without object
        QTest::newRow("click on a note") << "activated" << true << 0 << false << true << QVariant("n1");
        QTest::newRow("click on a deleted note") << "activated" << false << 0 << false << false << QVariant();
        QTest::newRow("ordinary delivered")
            << "delivered" << true << 0 << true << true << QVariant(QString());
        QTest::newRow("important delivered")
            << "delivered" << true << 1 << false << true << QVariant(QString());
        QTest::newRow("delivered for a deleted note")
            << "delivered" << false << 0 << true << false << QVariant();
    }
    void notificationCallbacks()
    {
        QFETCH(QString, event);
        QFETCH(bool, noteExists);
        QFETCH(int, rType);
        QFETCH(bool, stillDelivered);
        QFETCH(bool, stillScheduled);
        QFETCH(QVariant, posted);
        start();
        Context *ctx = store();
        if (noteExists) {
            auto *note = ctx->create<NoteDetail>();
            note->setCId(QStringLiteral("n1"));
            auto *remind = ctx->create<DateRemind>();
            remind->setRemindRType(qint16(rType));
            note->setRemind(remind);
            QVERIFY(ctx->saveAndWait());
        }
        UserNotificationCenter *center = f->notifications.get();
        UserNotification n;
        n.identifier = QStringLiteral("n1");
        n.title = QStringLiteral("工作");
        n.informativeText = QStringLiteral("内容");
        n.deliveryDate = QDateTime::currentDateTime().addSecs(3600);
        n.repeatInterval = UserNotificationRepeat::days(1); // stays pending after a showing
        QVERIFY(center->scheduleNotification(n));

        EventRecorder reloads(graph->services().events.get());
        // The delivery reaches the shell through the centre itself.
        QVERIFY(f->notifications->deliverNow(QStringLiteral("n1")));
        if (event == "activated") {
            reloads.clear();
            shell->notificationActivated(n);
        }
        const auto delivered = [center] {
            for (const UserNotification &d : center->deliveredNotifications())
                if (d.identifier == QLatin1String("n1"))
                    return true;
            return false;
        };
        QCOMPARE(delivered(), stillDelivered);
        QCOMPARE(center->scheduledNotification(QStringLiteral("n1")).has_value(), stillScheduled);
        QCOMPARE(reloads.events,
                 posted.isValid() ? QStringList{"ReloadLeftHomeList=" + posted.toString()} : QStringList());
    }
};

PRELVANE_TEST_MAIN(TestShell)
#include "tst_shell.moc"
