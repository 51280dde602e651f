#pragma once

#include "platform/base/UserFeedback.h"

#include <QList>
#include <QString>

// Records what the user would have been shown; installs itself for its lifetime.
// Sheets are answered at once with `answer` (true = the first button).
class RecordingFeedback final : public UserFeedback
{
public:
    enum class Kind
    {
        Message,
        Confirm,
        Toast,
        HudShown,
        HudHidden
    };
    struct Entry
    {
        Kind kind;
        QString text;
    };

    RecordingFeedback();
    ~RecordingFeedback() override;

    void showDefaultMessageAlertWithDetailText(const QString &text, Handler handler = {}) override;
    void showAddCancleButtonAlertWithText(const QString &text, Handler handler) override;
    void showHudToWindow() override;
    void hideHudForWindow() override;
    void showText(const QString &text) override;

    QStringList messages() const; // texts of every sheet shown, in order
    QStringList toasts() const;
    void clear() { entries.clear(); }

    QList<Entry> entries;
    bool answer = true;
};
