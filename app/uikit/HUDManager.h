#pragma once

#include <QList>
#include <QString>

class BusySpinner;
class QWidget;
class Scheduler;
class ToastView;

// The busy spinner and the toasts, timed by the scheduler it is given. The
// "window" variants act on AlertManager::currentWindow(); with none they do
// nothing.
class HUDManager
{
public:
    static constexpr int ForcedHideMsecs = 20000;
    static constexpr int ToastMsecs = 2000;

    explicit HUDManager(Scheduler &scheduler);

    // Shows a spinner over the view; 20 s later every spinner of that view is
    // hidden, whoever showed it. A null view does nothing.
    void showHudAddedTo(QWidget *view);
    // One operation's spinner over the view: hidden by dismiss(), or by
    // force 20 s later, and never by another operation's hide. A null view
    // gives nullptr.
    BusySpinner *showOwnHudAddedTo(QWidget *view);
    // Hides the topmost spinner of the view.
    static void hideHudForView(QWidget *view);
    // Hides every spinner of the view.
    static void hideAllHudForView(QWidget *view);
    void showHudToWindow();
    static void hideHudForWindow();

    // A toast over the current window / the view, removed after 2 s. Missing
    // text shows nothing; past 200 characters it is cut and ends in "…".
    void showText(const QString &text);
    void showText(const QString &text, QWidget *view);

    // The spinners and toasts standing on a view, bottom first.
    static QList<BusySpinner *> spinnersOf(QWidget *view);
    static QList<ToastView *> toastsOf(QWidget *view);

private:
    Scheduler &m_scheduler;
};
