#include "tests/support/RecordingFeedback.h"

#include <QObject>
#include <QTimer>

RecordingFeedback::RecordingFeedback() : m_timers(new QObject) {}

RecordingFeedback::~RecordingFeedback()
{
    delete m_timers; // answers still on their way go with it
}

void RecordingFeedback::present(Kind kind, const QString &text, const QObject *anchor, Handler handler)
{
    entries.append({kind, text, anchor});
    const quint64 id = ++m_ids;
    m_sheets.append({id, text, std::move(handler)});
    if (autoAnswer) {
        const bool answer = *autoAnswer;
        QTimer::singleShot(0, m_timers, [this, id, answer] {
            for (qsizetype i = 0; i < m_sheets.size(); ++i) {
                if (m_sheets.at(i).id == id) {
                    Sheet sheet = m_sheets.takeAt(i);
                    if (sheet.handler)
                        sheet.handler(answer);
                    return;
                }
            }
        });
    }
}

void RecordingFeedback::presentMessage(const QString &text, const QObject *anchor, Handler handler)
{
    present(Kind::Message, text, anchor, std::move(handler));
}

void RecordingFeedback::presentConfirm(const QString &text, const QObject *anchor, Handler handler)
{
    present(Kind::Confirm, text, anchor, std::move(handler));
}

bool RecordingFeedback::answerNext(bool firstButton)
{
    if (m_sheets.isEmpty())
        return false;
    Sheet sheet = m_sheets.takeFirst();
    if (sheet.handler)
        sheet.handler(firstButton);
    return true;
}

QStringList RecordingFeedback::pendingSheets() const
{
    QStringList out;
    for (const Sheet &s : m_sheets)
        out << s.text;
    return out;
}

quint64 RecordingFeedback::beginBusy(const QObject *anchor)
{
    entries.append({Kind::BusyShown, {}, anchor});
    m_busy.append(++m_ids);
    return m_ids;
}

void RecordingFeedback::endBusy(quint64 token)
{
    if (m_busy.removeOne(token))
        entries.append({Kind::BusyHidden, {}, nullptr});
}

void RecordingFeedback::showHudToWindow()
{
    entries.append({Kind::HudShown, {}, nullptr});
}

void RecordingFeedback::hideHudForWindow()
{
    entries.append({Kind::HudHidden, {}, nullptr});
}

void RecordingFeedback::showToast(const QString &text, const QObject *anchor)
{
    entries.append({Kind::Toast, text, anchor});
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
