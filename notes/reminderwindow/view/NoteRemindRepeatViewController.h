#pragma once

#include "notes/reminderwindow/view/RemindPopover.h"
#include "platform/calendar/CalendarIdentifier.h"

class NoteRemindModel;
class NoteRemindRepeatPresenter;
class NoteRepeatRemindGrid;
class QComboBox;
class QLabel;
class QSpinBox;

// The custom repeat popover of the reminder window's date tab: unit, interval and the grid of chosen values.
// Confirm hands the three values back through configured and closes.
class NoteRemindRepeatViewController : public RemindPopover
{
    Q_OBJECT
public:
    NoteRemindRepeatViewController(CalendarIdentifier calendar, const NoteRemindModel &remind,
                                   QWidget *parent = nullptr);

    NoteRemindRepeatPresenter *presenter() const { return m_presenter; }

signals:
    void configured(uint cycleType, qint64 interval, const QString &specify);

private:
    void render();

    NoteRemindRepeatPresenter *m_presenter;
    QComboBox *m_unitPopUp;
    QSpinBox *m_intervalBox;
    QLabel *m_cycleNameLabel;
    NoteRepeatRemindGrid *m_grid;
};
