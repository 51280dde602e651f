#pragma once

#include <QString>

#include <functional>

class QWidget;

// What the program tells the user: the standard sheets, the busy spinner and
// toasts. Lower layers (store, service client, note operations) speak only to
// this interface; the window layer installs the real implementation, tests a
// recording one. With none installed, messages go to the log.
class UserFeedback
{
public:
    using Handler = std::function<void(bool firstButton)>;

    virtual ~UserFeedback();

    // Sheet titled "提示" with one button "确定"; the handler (if any) is told
    // whether "确定" ended it.
    virtual void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler = {}) = 0;
    // "确定" and "取消"; the handler is told whether "确定" was pressed.
    virtual void showAddCancleButtonAlertWithText(const QString &text, Handler handler) = 0;
    // Busy spinner over the current main window, hidden by force after 20 s.
    virtual void showHudToWindow() = 0;
    virtual void hideHudForWindow() = 0;
    // Toast, removed after 2 s.
    virtual void showText(const QString &text) = 0;

    static UserFeedback *current();
    // Installs an implementation (not owned); nullptr restores the logging one.
    static void install(UserFeedback *feedback);
};
