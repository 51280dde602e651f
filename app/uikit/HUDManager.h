#pragma once

#include <QList>
#include <QString>

class BusySpinner;
class QWidget;
class ToastView;

// The busy spinner and the toasts. The "window" variants act on
// AlertManager::currentWindow(); with none they do nothing.
class HUDManager
{
public:
    static constexpr int ForcedHideMsecs = 20000;
    static constexpr int ToastMsecs = 2000;

    // Shows a spinner over the view; 20 s later every spinner of that view is
    // hidden, whoever showed it. A null view does nothing.
    static void showHudAddedTo(QWidget *view);
    // One operation's spinner over the view: hidden by dismiss(), or by
    // force 20 s later, and never by another operation's hide. A null view
    // gives nullptr.
    static BusySpinner *showOwnHudAddedTo(QWidget *view);
    // Hides the topmost spinner of the view.
    static void hideHudForView(QWidget *view);
    // Hides every spinner of the view.
    static void hideAllHudForView(QWidget *view);
    static void showHudToWindow();
    static void hideHudForWindow();

    // A toast over the current window / the view, removed after 2 s. Missing
    // text shows nothing; past 200 characters it is cut and ends in "…".
    static void showText(const QString &text);
    static void showText(const QString &text, QWidget *view);

    // The spinners and toasts standing on a view, bottom first.
    static QList<BusySpinner *> spinnersOf(QWidget *view);
    static QList<ToastView *> toastsOf(QWidget *view);
};
