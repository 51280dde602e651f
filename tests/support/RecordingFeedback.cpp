#include "tests/support/RecordingFeedback.h"

RecordingFeedback::RecordingFeedback()
{
    UserFeedback::install(this);
}

RecordingFeedback::~RecordingFeedback()
{
    if (UserFeedback::current() == this)
        UserFeedback::install(nullptr);
}

void RecordingFeedback::showDefaultMessageAlertWithDetailText(const QString &text, Handler handler)
{
    entries.append({Kind::Message, text});
    if (handler)
        handler(answer);
}

void RecordingFeedback::showAddCancleButtonAlertWithText(const QString &text, Handler handler)
{
    entries.append({Kind::Confirm, text});
    if (handler)
        handler(answer);
}

void RecordingFeedback::showHudToWindow()
{
    entries.append({Kind::HudShown, {}});
}

void RecordingFeedback::hideHudForWindow()
{
    entries.append({Kind::HudHidden, {}});
}

void RecordingFeedback::showText(const QString &text)
{
    entries.append({Kind::Toast, text});
}

QStringList RecordingFeedback::messages() const
{
    QStringList out;
    for (const Entry &e : entries)
        if (e.kind == Kind::Message || e.kind == Kind::Confirm)
            out << e.text;
    return out;
}

QStringList RecordingFeedback::toasts() const
{
    QStringList out;
    for (const Entry &e : entries)
        if (e.kind == Kind::Toast)
            out << e.text;
    return out;
}
