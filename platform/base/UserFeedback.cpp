#include "platform/base/UserFeedback.h"

#include <QDebug>

#include <atomic>

namespace {
class LoggingFeedback final : public UserFeedback
{
public:
    void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler) override
    {
        qWarning().noquote() << "提示:" << text;
        if (handler)
            handler(true);
    }
    void showAddCancleButtonAlertWithText(const QString &text, Handler handler) override
    {
        // Nobody can answer: treat as cancelled so nothing irreversible happens.
        qWarning().noquote() << "提示 (确定/取消):" << text;
        if (handler)
            handler(false);
    }
    void showHudToWindow() override {}
    void hideHudForWindow() override {}
    void showText(const QString &text) override { qWarning().noquote() << text; }
};

LoggingFeedback loggingFeedback;
std::atomic<UserFeedback *> installed{nullptr};
} // namespace

UserFeedback::~UserFeedback() = default;

UserFeedback *UserFeedback::current()
{
    UserFeedback *f = installed.load();
    return f ? f : &loggingFeedback;
}

void UserFeedback::install(UserFeedback *feedback)
{
    installed.store(feedback);
}
