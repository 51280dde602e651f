#pragma once

#include "platform/base/UrlOpener.h"

// Links go to the desktop's handler for them (xdg-open through Qt).
class DesktopUrlOpener final : public UrlOpener
{
public:
    bool openUrl(const QUrl &url) override;
};
