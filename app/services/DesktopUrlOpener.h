#pragma once

#include "platform/base/UrlOpener.h"

class UserFeedback;

// Links go to the desktop's handler for them (xdg-open through Qt). A link that
// cannot be opened (no browser, no handler) is reported with its address, so
// that the user can copy it by hand.
class DesktopUrlOpener final : public UrlOpener
{
public:
    explicit DesktopUrlOpener(UserFeedback *feedback = nullptr) : m_feedback(feedback) {}

    bool openUrl(const QUrl &url) override;

    // The report of a link that did not open.
    static QString notOpenedText(const QUrl &url);

private:
    UserFeedback *m_feedback;
};
