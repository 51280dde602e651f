#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"

#include "core/model/NoteRemindModel.h"
#include "core/model/RemindCycle.h"
#include "core/reminders/dates/DateNumberTransform.h"

#include <algorithm>

namespace {

QStringList numberTexts(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts.append(QString::number(i));
    return texts;
}

QStringList numbered(int count, const QString &unit)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts.append(QString::number(i) + unit);
    return texts;
}

} // namespace

NoteRemindRepeatPresenter::NoteRemindRepeatPresenter(CalendarIdentifier calendar,
                                                     const NoteRemindModel &remind, QObject *parent)
    : QObject(parent), m_calendar(calendar)
{
    const quint64 cycleType = remind.remindCycleType();
    // A cycle type no unit stands for opens like "none": unit "天" with no grid.
    const bool known = cycleType >= RemindCycle::Day && cycleType <= RemindCycle::Year;
    m_unitIndex = known ? int(cycleType) - RemindCycle::Day : 0;
    m_interval = int(std::clamp<qint64>(remind.remindInterval(), MinimumInterval, MaximumInterval));
    // Empty or non-numeric elements are no values (never a 0); values the grid lacks are kept.
    for (const QString &part : remind.remindSpecify().split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (ok && v >= 1)
            m_chosen.insert(v);
    }
    m_labels = labelsFor(known ? int(cycleType) : 0, calendar);
}

QStringList NoteRemindRepeatPresenter::unitTitles()
{
    return {QStringLiteral("天"), QStringLiteral("周"), QStringLiteral("月"), QStringLiteral("季度"),
            QStringLiteral("年")};
}

QStringList NoteRemindRepeatPresenter::labelsFor(int cycleType, CalendarIdentifier calendar)
{
    const bool lunar = calendar == CalendarIdentifier::Chinese;
    switch (cycleType) {
    case 2:
        return DateNumberTransform::showChineseWeekWithNumberWeekArr(numberTexts(7));
    case 3:
        return lunar ? DateNumberTransform::showChineseDayWithNumberDayArr(numberTexts(30))
                     : numbered(31, QStringLiteral("号"));
    case 5:
        return lunar ? DateNumberTransform::showChineseMonthWithNumberMonthArr(numberTexts(12))
                     : numbered(12, QStringLiteral("月"));
    default:
        return {};
    }
}

int NoteRemindRepeatPresenter::gridHeightFor(int labelCount)
{
    if (labelCount <= 0)
        return 0;
    return 33 * ((labelCount + 6) / 7) + 10;
}

QString NoteRemindRepeatPresenter::unitTitle() const
{
    return unitTitles().value(m_unitIndex);
}

bool NoteRemindRepeatPresenter::isChosen(int position) const
{
    return m_chosen.count(position + 1) > 0;
}

QString NoteRemindRepeatPresenter::specifyText() const
{
    QStringList values;
    for (int v : m_chosen)
        values.append(QString::number(v));
    return values.join(u',');
}

void NoteRemindRepeatPresenter::selectUnit(int index)
{
    if (m_done || index < 0 || index >= unitTitles().size())
        return;
    m_unitIndex = index;
    m_interval = MinimumInterval;
    m_chosen.clear();
    m_labels = labelsFor(index + 1, m_calendar);
    emit changed();
}

void NoteRemindRepeatPresenter::setInterval(int interval)
{
    if (m_done)
        return;
    const int clamped = std::clamp(interval, MinimumInterval, MaximumInterval);
    if (clamped == m_interval)
        return;
    m_interval = clamped;
    emit changed();
}

void NoteRemindRepeatPresenter::toggle(int position)
{
    if (m_done || position < 0 || position >= m_labels.size())
        return;
    const int value = position + 1;
    if (!m_chosen.erase(value))
        m_chosen.insert(value);
    emit changed();
}

void NoteRemindRepeatPresenter::confirm()
{
    if (m_done)
        return;
    m_done = true;
    emit configured(uint(cycleType()), m_interval, specifyText());
    emit closeRequested();
}

void NoteRemindRepeatPresenter::cancel()
{
    if (m_done)
        return;
    m_done = true;
    emit closeRequested();
}
