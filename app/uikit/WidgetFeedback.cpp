#include "app/uikit/WidgetFeedback.h"

#include "app/uikit/AlertManager.h"
#include "app/uikit/HUDManager.h"

WidgetFeedback::WidgetFeedback()
{
    UserFeedback::install(this);
}

WidgetFeedback::~WidgetFeedback()
{
    if (UserFeedback::current() == this)
        UserFeedback::install(nullptr);
}

void WidgetFeedback::showDefaultMessageAlertWithDetailText(const QString &text, Handler handler)
{
    AlertManager::showDefaultMessageAlertWithDetailText(text, std::move(handler));
}

void WidgetFeedback::showAddCancleButtonAlertWithText(const QString &text, Handler handler)
{
    AlertManager::showAddCancleButtonAlertWithText(text, std::move(handler));
}

void WidgetFeedback::showHudToWindow()
{
    HUDManager::showHudToWindow();
}

void WidgetFeedback::hideHudForWindow()
{
    HUDManager::hideHudForWindow();
}

void WidgetFeedback::showText(const QString &text)
{
    HUDManager::showText(text);
}
