#pragma once

#include "app/services/Services.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

class AuthWebPageFactory;
class OAuthPages;
class ServiceReplyActions;
class UserFeedback;
class LoginWindow;
class QLocalServer;
class QMenu;
class QAction;
class QSystemTrayIcon;
struct StoreOpenResult;
struct UserNotification;

// The application object's part of the program: the launch sequence, the
// one handle on the window in front (the login window, or the main window
// after a complete sign-in), reopening, the tray icon and its menu, the
// answer to a second start, notification clicks and deliveries, help and
// shut-down.
class AppShell : public QObject
{
    Q_OBJECT
public:
    using MainWindowFactory = std::function<QWidget *()>;

    // The program's services; they outlive the shell.
    explicit AppShell(const Services &services, QObject *parent = nullptr);
    ~AppShell() override;

    // How the main window is made (the program's main window; tests give their own). Without one a complete
    // sign-in keeps the login window.
    void setMainWindowFactory(MainWindowFactory factory);
    // What the windows' presenters are built with.
    const Services &services() const { return m_services; }
    // Whether to make a tray icon (off in tests; it needs a tray anyway).
    void setTrayEnabled(bool enabled) { m_trayEnabled = enabled; }
    // The start at login: no window is shown (the tray icon brings one), and
    // the launch goes no further when no account signs in by itself.
    void setStartInTray(bool inTray)
    {
        m_startInTray = inTray;
        m_keepHidden = inTray;
    }
    // After a launch in the tray that found no account to sign in: nothing runs,
    // the program should end at once.
    bool quitsAtOnce() const { return m_quitsAtOnce; }

    // With the store the program opened (its recovery told to the user): skins,
    // network monitoring, notification callbacks, then the login window; the reminder planner's first pass
    // follows through the scheduler (after the main window when an auto-login brings it).
    void launch(const StoreOpenResult &opened);
    // No store could be opened at all: the user is told, then the program ends.
    static void reportNoStore(UserFeedback &feedback, const StoreOpenResult &opened);

    // Quitting: network monitoring and the reminder scheduler stop.
    void shutDown();

    QWidget *currentWindow() const { return m_current; }
    bool mainWindowIsCurrent() const { return m_current && !m_currentIsLogin; }
    LoginWindow *loginWindow() const;

    void showLoginWindow();
    void showMainWindow();
    // Shows the current window again when no window of the program is visible.
    void reopen();
    // A second start: the current window comes to the front, visible or not.
    void bringToFront();
    // The tray menu's log-out: at once, without a question.
    void logoutFromMenu();
    void openHelp();
    // The tray menu's "退出": the program ends, whatever prompt is open.
    void quit();
    // Whether the logout's window hook closes this window: the signed-in session's windows go, the tray
    // icon's own window (on an XEmbed tray) and menus stay.
    static bool closesAtLogout(const QWidget *window);

    void notificationActivated(const UserNotification &notification);
    void notificationDelivered(const UserNotification &notification);

    // Single instance. The name of this profile's socket (one per data folder).
    static QString instanceSocketName();
    // True when a running instance took the message (this process should end);
    // with `bringToFront` false it is only asked whether it runs.
    static bool forwardToRunningInstance(const QString &name, bool bringToFront = true);
    // Listens for later starts; false when the socket cannot be made.
    bool listenForLaterStarts(const QString &name);

    QSystemTrayIcon *trayIcon() const { return m_tray; }
    QMenu *trayMenu() const { return m_trayMenu; }
    QAction *logoutAction() const { return m_logoutAction; }

    // How long after a launch that signs in by itself the reminder planner's first pass waits at most for
    // the main window.
    static constexpr qint64 plannerPassLatestMs = 2000;

    static QString recoveredStoreText(const QString &movedAsidePath);
    static QString noStoreText(const QString &error);

    // Where login windows made from now on open the authorisation window
    // (not owned); by default the program's pages (web view or browser).
    void useAuthPages(AuthWebPageFactory &pages) { m_authPages = &pages; }
    // The authorisation pages in use (the program's own when none was given).
    AuthWebPageFactory &authPages();

signals:
    void currentWindowChanged(QWidget *window);

private:
    void setCurrentWindow(QWidget *window, bool isLogin);
    void makeTray();
    void updateTray();
    LoginWindow *makeLoginWindow();
    // The reminder planner's first pass of this run (following the store, the missed reminders, every
    // reminder planned), through the scheduler; once only.
    void postPlannerPass(qint64 msecs);
    void runPlannerPass();

    Services m_services;
    ServiceReplyActions *m_replyActions;
    MainWindowFactory m_mainWindowFactory;
    bool m_trayEnabled = true;
    bool m_startInTray = false;
    bool m_keepHidden = false;
    bool m_quitsAtOnce = false;
    bool m_plannerPassDone = false;
    QPointer<QWidget> m_current;
    bool m_currentIsLogin = false;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_trayMenu = nullptr;
    QAction *m_logoutAction = nullptr;
    QLocalServer *m_server = nullptr;
    QString m_pendingStoreNotice;
    // The authorisation window's pages; the web view plugin loads on the first one.
    std::unique_ptr<OAuthPages> m_ownAuthPages;
    AuthWebPageFactory *m_authPages = nullptr;
};
