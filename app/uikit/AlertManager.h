#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The standard message and confirmation sheets. Each show call returns at
// once; the sheet is window-modal on the current window, or an
// application-modal box when there is no window to attach to, so that no
// message is lost. The handler runs once, on the main thread, when the sheet
// ends: true when its first ("确定" / done) button ended it, false for any
// other ending (the other button, or the sheet's window going away). Escape
// presses the second button, or the only one. The text is shown as plain
// text; past 2000 characters it is cut and ends in "…".
class AlertManager
{
public:
    using Handler = std::function<void(bool firstButton)>;

    // A new, unshown alert: headline "提示", the given text, the caution
    // icon and one button `doneText`. The caller owns it.
    static QMessageBox *showAlertWithMessage(const QString &message, const QString &doneText);

    static void showDefaultMessageAlertWithDetailText(const QString &text);
    static void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler);
    static void showAddCancleButtonAlertWithText(const QString &text, Handler handler);
    static void showTwoButtonAlertWithMsgText(const QString &text, const QString &doneText,
                                              const QString &cancleText, Handler handler);

    // The same sheets on a given window (a null window: the current one).
    static void showMessageOn(QWidget *window, const QString &text, Handler handler);
    static void showConfirmOn(QWidget *window, const QString &text, Handler handler);

    // The window in front, set by the application shell when it switches
    // windows. Held weakly.
    static void setCurrentWindow(QWidget *window);
    // The window set above when it is visible, else the active window (never
    // one of our own sheets), else nullptr.
    static QWidget *currentWindow();

private:
    static void beginSheet(QMessageBox *alert, Handler handler, QWidget *window = nullptr);
};
