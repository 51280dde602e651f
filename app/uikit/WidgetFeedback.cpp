#include "app/uikit/WidgetFeedback.h"

#include "app/uikit/AlertManager.h"
#include "app/uikit/BusySpinner.h"
#include "app/uikit/HUDManager.h"

#include <QWidget>

WidgetFeedback::WidgetFeedback(Scheduler &scheduler) : m_hud(std::make_unique<HUDManager>(scheduler)) {}

WidgetFeedback::~WidgetFeedback() = default;

void WidgetFeedback::attach(const QObject *anchor, QWidget *window)
{
    if (!anchor)
        return;
    if (!m_windows.contains(anchor))
        QObject::connect(anchor, &QObject::destroyed, &m_connections,
                         [this, anchor] { m_windows.remove(anchor); });
    m_windows.insert(anchor, window);
}

QWidget *WidgetFeedback::windowFor(const QObject *anchor) const
{
    for (const QObject *o = anchor; o; o = o->parent()) {
        if (o->isWidgetType())
            return static_cast<const QWidget *>(o)->window();
        if (QWidget *window = m_windows.value(o))
            return window->window();
    }
    return nullptr;
}

void WidgetFeedback::presentMessage(const QString &text, const QObject *anchor, Handler handler)
{
    AlertManager::showMessageOn(windowFor(anchor), text, std::move(handler));
}

void WidgetFeedback::presentConfirm(const QString &text, const QObject *anchor, Handler handler)
{
    AlertManager::showConfirmOn(windowFor(anchor), text, std::move(handler));
}

quint64 WidgetFeedback::beginBusy(const QObject *anchor)
{
    QWidget *window = windowFor(anchor);
    const quint64 token = ++m_tokens;
    m_spinners.insert(token, m_hud->showOwnHudAddedTo(window ? window : AlertManager::currentWindow()));
    return token;
}

void WidgetFeedback::endBusy(quint64 token)
{
    if (BusySpinner *spinner = m_spinners.take(token))
        spinner->dismiss();
}

void WidgetFeedback::showHudToWindow()
{
    m_hud->showHudToWindow();
}

void WidgetFeedback::hideHudForWindow()
{
    HUDManager::hideHudForWindow();
}

void WidgetFeedback::showToast(const QString &text, const QObject *anchor)
{
    QWidget *window = windowFor(anchor);
    m_hud->showText(text, window ? window : AlertManager::currentWindow());
}
