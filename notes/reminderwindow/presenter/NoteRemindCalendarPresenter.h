#pragma once

#include "core/reminders/dates/NoteRemindCalendarModel.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

// The calendar popover of the reminder window: a Gregorian month grid (Sunday first, every cell with its
// lunar label), the chosen day and the chosen hour and minute. Nothing is handed back before confirm.
class NoteRemindCalendarPresenter : public QObject
{
    Q_OBJECT
public:
    enum Type : uint
    {
        StartDate = 0,
        EndDate = 1
    };

    // `currDate` is the picker's value (now when it has none); `type` is handed back unchanged.
    NoteRemindCalendarPresenter(const QDateTime &currDate, uint type, QObject *parent = nullptr);

    uint type() const { return m_type; }
    QDateTime currDate() const { return m_currDate; }
    // The chosen day; its time of day is the one the grid was opened or paged with.
    QDateTime showDate() const { return m_showDate; }

    const QList<NoteRemindCalendarModel> &cells() const { return m_cells; }
    int rowCount() const { return int(m_cells.size() / 7); }
    int selectedIndex() const { return m_selected; }
    // The shown month's number, as the header shows it.
    QString monthText() const;
    int shownYear() const { return m_shownYear; }
    int shownMonth() const { return m_shownMonth; }
    // The chosen day with the chosen hour and minute, "yyyy/M/d H:mm".
    QString dateText() const;
    int hour() const { return m_hour; }
    int minute() const { return m_minute; }

    // "今" for today, else the day number.
    QString dayText(int index) const;
    // The lunar month name on the first day of a lunar month, else the lunar day name.
    QString lunarText(int index) const;
    bool isToday(int index) const;
    bool isInShownMonth(int index) const;

    // "00" .. "23" and "00" .. "59".
    static QStringList hourTitles();
    static QStringList minuteTitles();

    // The cells of the month of `date`: the leading days of the previous month (a full row when the month
    // begins on a Sunday), the month, its last row completed plus a row of the next month unless it ends
    // on a Sunday. Every cell keeps the time of day of `date`; neighbours are whole calendar days apart.
    static QList<NoteRemindCalendarModel> monthCells(const QDateTime &date);

public slots:
    // A click on a cell; a cell of a neighbouring month turns the grid to that month.
    void pickDay(int index);
    void showPreviousMonth();
    void showNextMonth();
    // The current month with today chosen, and the current hour and minute.
    void showToday();
    void selectTime(int hour, int minute);
    // Hands back the chosen day at the chosen hour and minute, seconds 0, then asks to close.
    void confirm();
    void cancel();

signals:
    void changed();
    void dateSelected(const QDateTime &date, uint type);
    void closeRequested();

private:
    void showMonthOf(const QDateTime &date);
    bool showMonthIfWritable(const QDateTime &date);
    QDateTime chosenDateTime() const;

    uint m_type;
    QDateTime m_currDate;
    QDateTime m_showDate;
    QList<NoteRemindCalendarModel> m_cells;
    QStringList m_lunarTexts;
    int m_selected = 0;
    int m_shownYear = 0;
    int m_shownMonth = 0;
    int m_hour = 0;
    int m_minute = 0;
    bool m_done = false;
};
