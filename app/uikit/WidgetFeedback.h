#pragma once

#include "platform/base/UserFeedback.h"

// The real user feedback for the lower layers: sheets by AlertManager,
// spinner and toasts by HUDManager. The application installs one at start.
class WidgetFeedback final : public UserFeedback
{
public:
    // Installs itself for its lifetime.
    WidgetFeedback();
    ~WidgetFeedback() override;

    void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler = {}) override;
    void showAddCancleButtonAlertWithText(const QString &text, Handler handler) override;
    void showHudToWindow() override;
    void hideHudForWindow() override;
    void showText(const QString &text) override;
};
