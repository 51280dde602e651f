#pragma once

#include "platform/base/UserFeedback.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class BusySpinner;
class HUDManager;
class QWidget;
class Scheduler;

// The real user feedback: sheets by AlertManager, spinners and toasts by
// HUDManager, each on the window of whoever asked. A widget anchor shows on
// its own window; a presenter shows on the window its view attached it to;
// anything else (or nothing) on the current window. Spinners and toasts are
// timed by `scheduler`.
class WidgetFeedback final : public UserFeedback
{
public:
    explicit WidgetFeedback(Scheduler &scheduler);
    ~WidgetFeedback() override;

    // Sheets, spinners and toasts asked for by `anchor` (a presenter, or any
    // object below it) go on `window` while both live.
    void attach(const QObject *anchor, QWidget *window);
    // The window for an anchor, as above; nullptr: the current window.
    QWidget *windowFor(const QObject *anchor) const;

    void showToast(const QString &text, const QObject *anchor) override;
    void showHudToWindow() override;
    void hideHudForWindow() override;

protected:
    void presentMessage(const QString &text, const QObject *anchor, Handler handler) override;
    void presentConfirm(const QString &text, const QObject *anchor, Handler handler) override;
    quint64 beginBusy(const QObject *anchor) override;
    void endBusy(quint64 token) override;

private:
    std::unique_ptr<HUDManager> m_hud;
    QObject m_connections; // ends the anchors' connections with this object
    QHash<const QObject *, QPointer<QWidget>> m_windows;
    QHash<quint64, QPointer<BusySpinner>> m_spinners;
    quint64 m_tokens = 0;
};
