#pragma once

#include "notes/reminderwindow/view/RemindPopover.h"

#include <QDateTime>

class NoteRemindCalendarGrid;
class NoteRemindCalendarPresenter;
class QComboBox;
class QLabel;

// The calendar popover of the reminder window's date tab: month paging, "今天", the month grid, the chosen
// date and the hour and minute pop-ups. Confirm hands the date back through dateSelected and closes.
class NoteRemindCalendarController : public RemindPopover
{
    Q_OBJECT
public:
    NoteRemindCalendarController(const QDateTime &currDate, uint type, QWidget *parent = nullptr);

    NoteRemindCalendarPresenter *presenter() const { return m_presenter; }

signals:
    void dateSelected(const QDateTime &date, uint type);

private:
    void render();

    NoteRemindCalendarPresenter *m_presenter;
    NoteRemindCalendarGrid *m_grid;
    QLabel *m_monthLabel;
    QLabel *m_yearLabel;
    QLabel *m_dateLabel;
    QComboBox *m_hourPopUp;
    QComboBox *m_minutePopUp;
};
