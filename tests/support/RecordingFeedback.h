#pragma once

#include "platform/base/UserFeedback.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Records what the user would have been shown by whoever it is handed to (the
// test graph's parts, a presenter). Sheets wait like real ones: the test answers them with
// answerNext(), or, while `autoAnswer` holds a value, they are answered with
// it once the event loop turns. Either way the answer arrives after the
// asking call has returned, and never reaches a handler whose owner died.
class RecordingFeedback final : public UserFeedback
{
public:
    enum class Kind
    {
        Message,
        Confirm,
        Toast,
        HudShown,
        HudHidden,
        BusyShown,
        BusyHidden
    };
    struct Entry
    {
        Kind kind;
        QString text;
        const QObject *anchor = nullptr;
    };

    RecordingFeedback();
    ~RecordingFeedback() override;

    void showToast(const QString &text, const QObject *anchor) override;
    void showHudToWindow() override;
    void hideHudForWindow() override;

    QStringList messages() const; // texts of every sheet shown, in order
    QStringList toasts() const;
    void clear() { entries.clear(); }

    // Sheets shown and not answered yet, oldest first.
    QStringList pendingSheets() const;
    // Answers the oldest waiting sheet; false when none waits.
    bool answerNext(bool firstButton);
    // Busy operations shown and not yet hidden.
    int busyCount() const { return int(m_busy.size()); }

    QList<Entry> entries;
    std::optional<bool> autoAnswer = true;

protected:
    void presentMessage(const QString &text, const QObject *anchor, Handler handler) override;
    void presentConfirm(const QString &text, const QObject *anchor, Handler handler) override;
    quint64 beginBusy(const QObject *anchor) override;
    void endBusy(quint64 token) override;

private:
    struct Sheet
    {
        quint64 id;
        QString text;
        Handler handler;
    };
    void present(Kind kind, const QString &text, const QObject *anchor, Handler handler);

    QList<Sheet> m_sheets;
    QList<quint64> m_busy;
    quint64 m_ids = 0;
    QObject *m_timers;
};
