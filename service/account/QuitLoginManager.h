#pragma once

#include <QtGlobal>

#include <functional>

// The single way out of a sign-in.
class QuitLoginManager
{
public:
    // The window part of a logout, filled in by the shell: bring back the
    // login window (a new one only when none is open), make it the current
    // window and close every other window.
    using WindowHook = std::function<void()>;

    // Logout, through the session (Session::signOut): everything of the
    // sign-in stops, auto-login goes off for the signed-in account, the wipe,
    // then the window hook.
    static void showLoginWindow();
    // The wipe alone: the account's rows, every scheduled and delivered user
    // notification, and the sign-in keys of the user defaults.
    static void delectLocalDatas();

    static void setWindowHook(WindowHook hook);

    // The session's generation: grows by one with every logout; a reply that
    // began under an older value belongs to a sign-in that has ended.
    static quint64 signInGeneration();

private:
    static void switchOffAutoLoginAndWipe();
};
