#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"

#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/base/Clock.h"
#include "platform/calendar/Calendar.h"

namespace {

constexpr auto Gregorian = CalendarIdentifier::Gregorian;

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QStringList twoDigitTitles(int count)
{
    QStringList titles;
    titles.reserve(count);
    for (int i = 0; i < count; ++i)
        titles.append(twoDigits(i));
    return titles;
}

} // namespace

NoteRemindCalendarPresenter::NoteRemindCalendarPresenter(const QDateTime &currDate, uint type,
                                                         QObject *parent)
    : QObject(parent), m_type(type), m_currDate(currDate)
{
    const QDateTime start = currDate.isValid() ? currDate : Clock::now();
    const DateComponents c = Calendar::components(Gregorian, start);
    m_hour = c.hour;
    m_minute = c.minute;
    showMonthOf(start);
}

QString NoteRemindCalendarPresenter::monthText() const
{
    return QString::number(m_shownMonth);
}

QString NoteRemindCalendarPresenter::dateText() const
{
    return DateManager::getNoSecondDateStringFromDate(chosenDateTime());
}

QString NoteRemindCalendarPresenter::dayText(int index) const
{
    if (index < 0 || index >= m_cells.size())
        return {};
    if (isToday(index))
        return QStringLiteral("今");
    return QString::number(Calendar::components(Gregorian, m_cells[index].date).day);
}

QString NoteRemindCalendarPresenter::lunarText(int index) const
{
    return index >= 0 && index < m_lunarTexts.size() ? m_lunarTexts[index] : QString();
}

bool NoteRemindCalendarPresenter::isToday(int index) const
{
    if (index < 0 || index >= m_cells.size())
        return false;
    return m_cells[index].date.date() == Clock::now().date();
}

bool NoteRemindCalendarPresenter::isInShownMonth(int index) const
{
    return index >= 0 && index < m_cells.size() &&
           m_cells[index].ofMonthPosition == NoteRemindCalendarModel::ShownMonth;
}

QStringList NoteRemindCalendarPresenter::hourTitles()
{
    return twoDigitTitles(24);
}

QStringList NoteRemindCalendarPresenter::minuteTitles()
{
    return twoDigitTitles(60);
}

QList<NoteRemindCalendarModel> NoteRemindCalendarPresenter::monthCells(const QDateTime &date)
{
    QList<NoteRemindCalendarModel> cells;
    if (!date.isValid())
        return cells;
    const int count = DateManager::getDaysWithCalendarIdentifier(Gregorian, date);
    const QDateTime first = DateManager::getADayWithCalendarIdentifier(Gregorian, date, 1);
    const QDateTime last = DateManager::getADayWithCalendarIdentifier(Gregorian, date, count);
    const int n = DateManager::getWeekWithDate(first);
    const int w = DateManager::getWeekWithDate(last);
    cells.reserve(n + count + 13 - w);
    // Whole calendar days, not 86400-second steps: a daylight-saving change must not skip or repeat a day.
    for (int i = n; i >= 1; --i)
        cells.append({Calendar::addingDays(first, -i), NoteRemindCalendarModel::PreviousMonth});
    for (int d = 1; d <= count; ++d)
        cells.append({DateManager::getADayWithCalendarIdentifier(Gregorian, date, d),
                      NoteRemindCalendarModel::ShownMonth});
    for (int i = 1; i <= 13 - w; ++i)
        cells.append({Calendar::addingDays(last, i), NoteRemindCalendarModel::NextMonth});
    return cells;
}

void NoteRemindCalendarPresenter::pickDay(int index)
{
    if (m_done || index < 0 || index >= m_cells.size())
        return;
    const NoteRemindCalendarModel cell = m_cells[index];
    if (cell.ofMonthPosition != NoteRemindCalendarModel::ShownMonth) {
        showMonthOf(cell.date);
    } else {
        m_showDate = cell.date;
        m_selected = index;
    }
    emit changed();
}

void NoteRemindCalendarPresenter::showPreviousMonth()
{
    if (m_done)
        return;
    if (!showMonthIfWritable(DateManager::getAfterMonthWithCalendarIdentifier(Gregorian, m_showDate, -1)))
        return;
    emit changed();
}

void NoteRemindCalendarPresenter::showNextMonth()
{
    if (m_done)
        return;
    if (!showMonthIfWritable(DateManager::getAfterMonthWithCalendarIdentifier(Gregorian, m_showDate, 1)))
        return;
    emit changed();
}

void NoteRemindCalendarPresenter::showToday()
{
    if (m_done)
        return;
    const QDateTime now = Clock::now();
    const DateComponents c = Calendar::components(Gregorian, now);
    m_hour = c.hour;
    m_minute = c.minute;
    showMonthOf(now);
    emit changed();
}

void NoteRemindCalendarPresenter::selectTime(int hour, int minute)
{
    if (m_done || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return;
    m_hour = hour;
    m_minute = minute;
    emit changed();
}

void NoteRemindCalendarPresenter::confirm()
{
    if (m_done)
        return;
    m_done = true;
    emit dateSelected(DateManager::getInitSecondDateFromDate(chosenDateTime()), m_type);
    emit closeRequested();
}

void NoteRemindCalendarPresenter::cancel()
{
    if (m_done)
        return;
    m_done = true;
    emit closeRequested();
}

void NoteRemindCalendarPresenter::showMonthOf(const QDateTime &date)
{
    if (!date.isValid())
        return;
    m_cells = monthCells(date);
    m_showDate = date;
    const DateComponents shown = Calendar::components(Gregorian, date);
    m_shownYear = shown.year;
    m_shownMonth = shown.month;
    m_selected = 0;
    for (int i = 0; i < m_cells.size(); ++i) {
        if (m_cells[i].date.date() == date.date()) {
            m_selected = i;
            break;
        }
    }
    m_lunarTexts.clear();
    m_lunarTexts.reserve(m_cells.size());
    for (const NoteRemindCalendarModel &cell : std::as_const(m_cells)) {
        const DateComponents lunar = Calendar::components(CalendarIdentifier::Chinese, cell.date);
        m_lunarTexts.append(lunar.day == 1 ? DateNumberTransform::chineseMonth(lunar.month)
                                           : DateNumberTransform::chineseDay(lunar.day));
    }
}

bool NoteRemindCalendarPresenter::showMonthIfWritable(const QDateTime &date)
{
    // Paging stops at the years a date text can hold, so that confirm never hands back an unwritable date.
    if (DateManager::getStringFromDate(date).isNull())
        return false;
    showMonthOf(date);
    return true;
}

QDateTime NoteRemindCalendarPresenter::chosenDateTime() const
{
    // The label and the handed-back date both take the time from the pop-ups, so they never disagree.
    return DateManager::getAHourAndMinuteWithDate(m_showDate, m_hour, m_minute);
}
