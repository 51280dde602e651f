#include "app/uikit/HUDManager.h"

#include "app/uikit/AlertManager.h"
#include "app/uikit/BusySpinner.h"
#include "app/uikit/ToastView.h"
#include "platform/base/Missing.h"
#include "platform/base/Scheduler.h"

#include <QPointer>

HUDManager::HUDManager(Scheduler &scheduler) : m_scheduler(scheduler) {}

void HUDManager::showHudAddedTo(QWidget *view)
{
    if (!view)
        return;
    auto *spinner = new BusySpinner(view);
    spinner->show();
    QPointer<QWidget> guard(view);
    m_scheduler.schedule(ForcedHideMsecs, view, [guard] { hideAllHudForView(guard.data()); });
}

BusySpinner *HUDManager::showOwnHudAddedTo(QWidget *view)
{
    if (!view)
        return nullptr;
    auto *spinner = new BusySpinner(view);
    spinner->show();
    m_scheduler.schedule(ForcedHideMsecs, spinner, [spinner] { spinner->dismiss(); });
    return spinner;
}

void HUDManager::hideHudForView(QWidget *view)
{
    const QList<BusySpinner *> spinners = spinnersOf(view);
    if (!spinners.isEmpty())
        spinners.last()->dismiss();
}

void HUDManager::hideAllHudForView(QWidget *view)
{
    for (BusySpinner *spinner : spinnersOf(view))
        spinner->dismiss();
}

void HUDManager::showHudToWindow()
{
    showHudAddedTo(AlertManager::currentWindow());
}

void HUDManager::hideHudForWindow()
{
    hideAllHudForView(AlertManager::currentWindow());
}

void HUDManager::showText(const QString &text)
{
    showText(text, AlertManager::currentWindow());
}

void HUDManager::showText(const QString &text, QWidget *view)
{
    if (!view || Missing::isMissing(text))
        return;
    auto *toast = new ToastView(text, view);
    toast->show();
    m_scheduler.schedule(ToastMsecs, toast, [toast] {
        toast->hide();
        toast->setParent(nullptr);
        toast->deleteLater();
    });
}

QList<BusySpinner *> HUDManager::spinnersOf(QWidget *view)
{
    QList<BusySpinner *> out;
    if (!view)
        return out;
    // children() is in stacking order, bottom first; raise() moves to the end.
    for (QObject *child : view->children()) {
        auto *spinner = qobject_cast<BusySpinner *>(child);
        if (spinner && !spinner->isDismissed())
            out.append(spinner);
    }
    return out;
}

QList<ToastView *> HUDManager::toastsOf(QWidget *view)
{
    QList<ToastView *> out;
    if (!view)
        return out;
    for (QObject *child : view->children()) {
        if (auto *toast = qobject_cast<ToastView *>(child))
            out.append(toast);
    }
    return out;
}
