#pragma once

#include "platform/base/UserFeedback.h"

// Feedback where nobody can answer (no window, or a tool without one): texts
// go to the log, a message counts as read and a confirmation as cancelled, so
// that nothing irreversible happens unasked. Answers come from the event loop.
class LoggingFeedback final : public UserFeedback
{
public:
    void showToast(const QString &text, const QObject *anchor) override;
    void showHudToWindow() override {}
    void hideHudForWindow() override {}

protected:
    void presentMessage(const QString &text, const QObject *anchor, Handler handler) override;
    void presentConfirm(const QString &text, const QObject *anchor, Handler handler) override;
    quint64 beginBusy(const QObject *anchor) override;
    void endBusy(quint64 token) override;

private:
    quint64 m_tokens = 0;
};
