#pragma once

#include "platform/base/UserFeedback.h"

// Feedback that shows nothing: a benchmark measures the program's work, not sheets or toasts.
class QuietFeedback final : public UserFeedback
{
public:
    void showToast(const QString &, const QObject *) override {}
    void showHudToWindow() override {}
    void hideHudForWindow() override {}

protected:
    void presentMessage(const QString &, const QObject *, Handler) override {}
    void presentConfirm(const QString &, const QObject *, Handler) override {}
    quint64 beginBusy(const QObject *) override { return ++m_tokens; }
    void endBusy(quint64) override {}

private:
    quint64 m_tokens = 0;
};
