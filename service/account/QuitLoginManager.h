#pragma once

#include <QtGlobal>

#include <functional>

class Context;
class Session;
class UserNotificationCenter;

// The single way out of a sign-in, on the program's session, notification
// centre and store.
class QuitLoginManager
{
public:
    // The window part of a logout, filled in by the shell: bring back the
    // login window (a new one only when none is open), make it the current
    // window and close every other window.
    using WindowHook = std::function<void()>;

    // `store` may be null (a client without a store: only the sign-in keys and
    // the notifications are wiped).
    QuitLoginManager(Session &session, UserNotificationCenter &notifications, Context *store);
    QuitLoginManager(const QuitLoginManager &) = delete;
    QuitLoginManager &operator=(const QuitLoginManager &) = delete;

    // Logout, through the session (Session::signOut): everything of the
    // sign-in stops, auto-login goes off for the signed-in account, the wipe,
    // then the window hook.
    void showLoginWindow();
    // The wipe alone: the account's rows, every scheduled and delivered user
    // notification, and the sign-in keys of the user defaults.
    void delectLocalDatas();

    void setWindowHook(WindowHook hook);

    // The session's generation: grows by one with every logout; a reply that
    // began under an older value belongs to a sign-in that has ended.
    quint64 signInGeneration() const;

private:
    void switchOffAutoLoginAndWipe();

    Session &m_session;
    UserNotificationCenter &m_notifications;
    Context *m_store;
    WindowHook m_windowHook;
};
