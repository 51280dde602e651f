#pragma once

#include "core/model/NoteRemindModel.h"

#include <QWidget>

class DateRemindPresenter;
class NoteRemindPicker;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
struct Services;

// The date tab of the reminder window: forwards the user's actions to its presenter, shows its state and
// opens the calendar and custom repeat popovers beside the control that asked.
class DateRemindViewController : public QWidget
{
    Q_OBJECT
public:
    DateRemindViewController(const NoteRemindModel &remind, const Services &services,
                             QWidget *parent = nullptr);

    DateRemindPresenter *presenter() const { return m_presenter; }

signals:
    void confirmed(const NoteRemindModel &remind);
    void closeRequested();

protected:
    // Each showing reads the value again.
    void showEvent(QShowEvent *event) override;

private:
    void render();
    void openCustomRepeat(int calendar, const NoteRemindModel &remind);
    void openCalendar(const QDateTime &date, uint type);

    DateRemindPresenter *m_presenter;
    QRadioButton *m_gregorianRadio;
    QRadioButton *m_lunarRadio;
    QCheckBox *m_startCheck;
    NoteRemindPicker *m_startPicker;
    QToolButton *m_startCalendarButton;
    QComboBox *m_cyclePopUp;
    QLabel *m_specifyLabel;
    QCheckBox *m_starCheck;
    QCheckBox *m_endCheck;
    NoteRemindPicker *m_endPicker;
    QToolButton *m_endCalendarButton;
};
