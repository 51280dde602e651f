#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QObject;

// What the program tells the user: the standard sheets, the busy spinner and
// toasts. Lower layers and presenters speak only to this interface; the
// program object makes the real implementation and hands it on, tests a
// recording one (LoggingFeedback where nobody can answer).
//
// Who asks is told by an Asker: the handler runs only while `owner` lives
// (never after it is destroyed, also when the sheet is answered later), and
// the sheet goes on the window that shows `anchor` (a widget, or an object a
// view put on its window); without an anchor, on the current window.
// Answers always come after the asking call has returned.
class UserFeedback
{
public:
    using Handler = std::function<void(bool firstButton)>;

    struct Asker
    {
        const QObject *owner = nullptr;  // none: the handler always runs
        const QObject *anchor = nullptr; // none: the current window
    };
    // The usual case: an object that asks for itself and shows in its window.
    static Asker by(const QObject *self) { return {self, self}; }

    UserFeedback();
    virtual ~UserFeedback();
    UserFeedback(const UserFeedback &) = delete;
    UserFeedback &operator=(const UserFeedback &) = delete;

    // Sheet titled "提示" with one button "确定"; the handler (if any) is told
    // whether "确定" ended it.
    void showMessage(const QString &text, const Asker &asker, Handler handler = {});
    // "确定" and "取消"; the handler is told whether "确定" was pressed.
    void showConfirm(const QString &text, const Asker &asker, Handler handler);
    // Toast on the anchor's window, removed after 2 s.
    virtual void showToast(const QString &text, const QObject *anchor) = 0;

    // The same with no owner, on the current window.
    void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler = {});
    void showAddCancleButtonAlertWithText(const QString &text, Handler handler);
    void showText(const QString &text) { showToast(text, nullptr); }
    // Busy spinner over the current main window; every one is hidden by
    // force 20 s after it was shown, and hideHudForWindow hides them all.
    // An operation of its own uses a BusyGuard instead.
    virtual void showHudToWindow() = 0;
    virtual void hideHudForWindow() = 0;

protected:
    friend class BusyGuard;

    // The handler given here already checks its owner and never runs inside
    // the asking call.
    virtual void presentMessage(const QString &text, const QObject *anchor, Handler handler) = 0;
    virtual void presentConfirm(const QString &text, const QObject *anchor, Handler handler) = 0;
    // One operation's spinner on the anchor's window (hidden by force after
    // 20 s); endBusy hides that spinner only. Tokens are never 0.
    virtual quint64 beginBusy(const QObject *anchor) = 0;
    virtual void endBusy(quint64 token) = 0;
};

// One operation's busy spinner: shown when made, hidden when released or
// destroyed, leaving every other operation's spinner alone. Move-only; keep it
// in the object that waits for the operation, so a dead waiter hides it too.
class BusyGuard
{
public:
    BusyGuard() = default;
    BusyGuard(const QObject *anchor, UserFeedback *feedback);
    BusyGuard(BusyGuard &&other) noexcept;
    BusyGuard &operator=(BusyGuard &&other) noexcept;
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;
    ~BusyGuard();

    void release();
    bool isActive() const { return m_token != 0; }

private:
    UserFeedback *m_feedback = nullptr;
    quint64 m_token = 0;
};
