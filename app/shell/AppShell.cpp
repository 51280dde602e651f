#include "app/shell/AppShell.h"

#include "app/agreement/AgreementPresenter.h"
#include "app/agreementwindows/AgreementPageWindow.h"
#include "app/agreementwindows/AgreementPromptDialog.h"
#include "app/agreementwindows/AgreementPrompts.h"
#include "app/login/AutoLoginCheck.h"
#include "app/login/LoginPresenter.h"
#include "app/oauthwindows/OAuthPages.h"
#include "app/shell/LoginWindow.h"
#include "app/shell/ServiceReplyActions.h"
#include "app/uikit/AlertManager.h"
#include "app/uikit/AppImages.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "core/reminders/wifi/NetworkStatusManager.h"
#include "core/skins/SkinManager.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Scheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/notifications/DesktopUserNotificationCenter.h"
#include "platform/notifications/UserNotification.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"
#include "platform/store/StoreOpenResult.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDesktopServices>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace {
void centreOnScreen(QWidget *w)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), w->size());
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

void front(QWidget *w)
{
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}
} // namespace

AppShell::AppShell(const Services &services, QObject *parent)
    : QObject(parent), m_services(services),
      m_replyActions(new ServiceReplyActions(*services.api, *services.feedback, *services.logout, this))
{
}

AppShell::~AppShell()
{
    m_services.logout->setWindowHook({});
    disconnect(m_services.notifications, nullptr, this, nullptr);
    delete m_current.data();
    delete m_trayMenu;
}

void AppShell::setMainWindowFactory(MainWindowFactory factory)
{
    m_mainWindowFactory = std::move(factory);
}

QString AppShell::recoveredStoreText(const QString &movedAsidePath)
{
    return QStringLiteral("本地数据文件无法读取，已改名保存为“%1”，并新建了一个空的数据文件。"
                          "登录后会从服务重新同步您的便签。")
        .arg(movedAsidePath);
}

QString AppShell::noStoreText(const QString &error)
{
    return QStringLiteral("无法打开本地数据文件，程序将退出。\n%1").arg(error);
}

void AppShell::reportNoStore(UserFeedback &feedback, const StoreOpenResult &opened)
{
    qWarning() << "no store:" << opened.error;
    feedback.showDefaultMessageAlertWithDetailText(noStoreText(opened.error),
                                                   [](bool) { QCoreApplication::exit(1); });
}

void AppShell::launch(const StoreOpenResult &opened)
{
    if (m_startInTray && !AutoLoginCheck::signsInAutomatically(m_services.store)) {
        // Started at login without an account to sign in: nothing to remind of.
        m_quitsAtOnce = true;
        return;
    }
    if (opened.wasRecovered())
        m_pendingStoreNotice = recoveredStoreText(opened.movedAsidePath);

    if (!m_services.skins->addSkinToLocal())
        qWarning() << "the skin catalogue could not be seeded";
    m_services.networkStatus->registerNetwork();

    UserNotificationCenter *center = m_services.notifications;
    connect(center, &UserNotificationCenter::didActivateNotification, this, &AppShell::notificationActivated);
    connect(center, &UserNotificationCenter::didDeliverNotification, this, &AppShell::notificationDelivered);
    // The planner's first pass reads every reminder of the store: after the first window, and when an
    // auto-login is about to bring the main window, after that one (at the latest a moment later, should
    // the sign-in fail or hang).
    m_plannerPassDone = false;
    const bool signsIn = AutoLoginCheck::signsInAutomatically(m_services.store);

    m_services.logout->setWindowHook([this] {
        m_keepHidden = false; // after a logout the user has to sign in again
        showLoginWindow();
        // Every other window of the signed-in session goes.
        const QList<QWidget *> windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows)
            if (w != m_current && closesAtLogout(w))
                w->close();
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppShell::shutDown, Qt::UniqueConnection);

    if (!m_trayMenu)
        makeTray();
    showLoginWindow();
    // Unshown, the login window signs in when told it appeared.
    if (m_keepHidden)
        if (LoginWindow *login = loginWindow())
            login->presenter()->windowShown();
    if (!m_pendingStoreNotice.isEmpty())
        m_services.feedback->showDefaultMessageAlertWithDetailText(std::exchange(m_pendingStoreNotice, {}));
    if (!signsIn || mainWindowIsCurrent())
        postPlannerPass(0);
    else
        postPlannerPass(plannerPassLatestMs);
}

void AppShell::postPlannerPass(qint64 msecs)
{
    if (!m_plannerPassDone)
        m_services.scheduler->schedule(msecs, this, [this] { runPlannerPass(); });
}

void AppShell::runPlannerPass()
{
    if (m_plannerPassDone)
        return;
    m_plannerPassDone = true;
    m_services.reminders->start();
    // Once the tray can show them too: what came due while the program was not running.
    m_services.reminders->deliverMissed();
}

void AppShell::shutDown()
{
    m_plannerPassDone = true; // a pass still posted has nothing to do any more
    m_services.networkStatus->unregisterNetwork();
    m_services.reminders->stop();
}

LoginWindow *AppShell::loginWindow() const
{
    return m_currentIsLogin ? qobject_cast<LoginWindow *>(m_current.data()) : nullptr;
}

AuthWebPageFactory &AppShell::authPages()
{
    if (!m_authPages) {
        m_ownAuthPages = std::make_unique<OAuthPages>(*m_services.urls);
        m_authPages = m_ownAuthPages.get();
    }
    return *m_authPages;
}

LoginWindow *AppShell::makeLoginWindow()
{
    auto *presenter = new LoginPresenter(m_services);
    presenter->setAuthPages(&authPages());
    auto *window = new LoginWindow(presenter);
    connect(presenter, &LoginPresenter::signedIn, this, &AppShell::showMainWindow);
    // The agreement prompts stand over the window that asked for them.
    connect(presenter, &LoginPresenter::agreementRequested, window, [window] {
        auto *agreement = new AgreementPresenter(window);
        new AgreementPrompts(agreement, window);
        if (!agreement->start())
            agreement->deleteLater();
        connect(agreement, &AgreementPresenter::promptChanged, agreement,
                [agreement](AgreementPresenter::Prompt p) {
                    if (p == AgreementPresenter::Prompt::None)
                        agreement->deleteLater();
                });
    });
    window->setAgreementPageOpener(
        [window](const QString &page) { AgreementPageWindow::open(page, window); });
    return window;
}

void AppShell::showLoginWindow()
{
    if (LoginWindow *login = loginWindow()) {
        front(login);
        return;
    }
    setCurrentWindow(makeLoginWindow(), true);
}

void AppShell::showMainWindow()
{
    // A second sign-in answer never opens a second main window.
    if (mainWindowIsCurrent())
        return;
    if (!m_mainWindowFactory) {
        qWarning("no main window to show: the program has not set how it is made");
        return;
    }
    // The session begins before its first window, so that everything the
    // window starts belongs to it.
    m_services.session->signIn(UserDefaults::string(SignInKeys::UserId));
    QWidget *window = m_mainWindowFactory();
    setCurrentWindow(window, false);
    postPlannerPass(0); // after the window's first paint
}

void AppShell::setCurrentWindow(QWidget *window, bool isLogin)
{
    QPointer<QWidget> old = m_current;
    m_current = window;
    m_currentIsLogin = isLogin;
    AlertManager::setCurrentWindow(window);
    centreOnScreen(window);
    if (!m_keepHidden)
        front(window);
    if (old && old != window) {
        old->hide();
        old->deleteLater(); // it may be the one whose slot runs now
    }
    updateTray();
    emit currentWindowChanged(window);
}

bool AppShell::closesAtLogout(const QWidget *w)
{
    if (!w->isVisible() || !w->isWindow() || qobject_cast<const QMenu *>(w))
        return false;
    // On an XEmbed tray the tray icon is a window of Qt's own, frameless and past the window manager:
    // closing it takes the icon away for good.
    if (w->inherits("QSystemTrayIconSys") || w->windowFlags().testFlag(Qt::BypassWindowManagerHint))
        return false;
    return true;
}

void AppShell::quit()
{
    // An open agreement prompt refuses to close, and a refused close cancels quitting; quitting leaves the
    // agreement unanswered, so it is asked again at the next start.
    if (LoginWindow *login = loginWindow())
        qDeleteAll(login->findChildren<AgreementPresenter *>());
    QCoreApplication::quit();
}

void AppShell::reopen()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows)
        if (w->isVisible() && w->isWindow() && !qobject_cast<const QMenu *>(w))
            return;
    m_keepHidden = false;
    if (m_current)
        front(m_current);
}

void AppShell::bringToFront()
{
    m_keepHidden = false;
    if (m_current)
        front(m_current);
}

void AppShell::logoutFromMenu()
{
    if (!mainWindowIsCurrent())
        return;
    m_services.logout->showLoginWindow();
}

void AppShell::openHelp()
{
    const QString base = ApiNetWorking::webBaseUrl();
    if (base.isEmpty()) {
        m_services.feedback->showDefaultMessageAlertWithDetailText(ApiNetWorking::noApiAddressText());
        return;
    }
    m_services.urls->openUrl(QUrl(base + QStringLiteral("/help/mac.html")));
}

void AppShell::notificationActivated(const UserNotification &notification)
{
    const QString cId = notification.identifier;
    if (cId.isEmpty())
        return;
    UserNotificationCenter *center = m_services.notifications;
    center->removeDeliveredNotification(cId);
    const NoteDetail *note = m_services.store->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), cId);
    if (!note) {
        center->removeScheduledNotification(cId);
        return;
    }
    // A click on a desktop notification does not raise the program by itself.
    bringToFront();
    emit m_services.events->reloadLeftHomeList(LeftHomeListReload::selectNote(cId));
}

void AppShell::notificationDelivered(const UserNotification &notification)
{
    const QString cId = notification.identifier;
    if (cId.isEmpty())
        return;
    UserNotificationCenter *center = m_services.notifications;
    const NoteDetail *note = m_services.store->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), cId);
    if (!note) {
        center->removeScheduledNotification(cId);
        return;
    }
    if (const DateRemind *remind = note->remind(); remind && remind->remindRType() == 1)
        center->removeDeliveredNotification(cId);
    emit m_services.events->reloadLeftHomeList(LeftHomeListReload::refetch());
}

void AppShell::makeTray()
{
    // The menu stands even without a tray (the shell's own callers use its actions).
    m_trayMenu = new QMenu;
    m_trayMenu->addAction(QStringLiteral("显示 Prelvane"), this, &AppShell::bringToFront);
    m_trayMenu->addAction(QStringLiteral("帮助"), this, &AppShell::openHelp);
    m_trayMenu->addSeparator();
    m_logoutAction = m_trayMenu->addAction(QStringLiteral("退出登录"), this, &AppShell::logoutFromMenu);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(QStringLiteral("退出"), this, &AppShell::quit);
    updateTray();
    if (!m_trayEnabled || !QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray nothing could bring a hidden window back: closing the last one quits.
        QApplication::setQuitOnLastWindowClosed(m_trayEnabled);
        return;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    m_tray = new QSystemTrayIcon(AppImages::icon(QStringLiteral("app_icon")), this);
    m_tray->setToolTip(QStringLiteral("Prelvane 便签"));
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            bringToFront();
    });
    m_tray->show();
    // Without a desktop notification service, reminders show as this icon's balloons.
    if (auto *desktop = qobject_cast<DesktopUserNotificationCenter *>(m_services.notifications.get())) {
        QPointer<QSystemTrayIcon> tray = m_tray;
        desktop->setFallback([tray](const UserNotification &n) {
            if (!tray)
                return false;
            tray->showMessage(n.title, n.informativeText, QSystemTrayIcon::Information, 10000);
            return true;
        });
        connect(m_tray, &QSystemTrayIcon::messageClicked, desktop,
                &DesktopUserNotificationCenter::fallbackClicked);
    }
}

void AppShell::updateTray()
{
    if (m_logoutAction)
        m_logoutAction->setEnabled(mainWindowIsCurrent());
}

QString AppShell::instanceSocketName()
{
    // One instance per profile: a demo profile runs beside the user's own.
    const QByteArray profile =
        (QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('\n') +
         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .toUtf8();
    const QString id =
        QString::fromLatin1(QCryptographicHash::hash(profile, QCryptographicHash::Sha1).toHex().left(16));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        return QStringLiteral("prelvane-") + id;
    return dir + QStringLiteral("/prelvane-") + id;
}

bool AppShell::forwardToRunningInstance(const QString &name, bool bringToFront)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(500))
        return false;
    socket.write(bringToFront ? "front\n" : "hello\n");
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    return true;
}

bool AppShell::listenForLaterStarts(const QString &name)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        // Nobody answered on it (forwardToRunningInstance said so): a socket left by a crash.
        QLocalServer::removeServer(name);
        if (!m_server->listen(name)) {
            qWarning() << "single instance: cannot listen on" << name << m_server->errorString();
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("front"))
                    bringToFront();
            });
        }
    });
    return true;
}
