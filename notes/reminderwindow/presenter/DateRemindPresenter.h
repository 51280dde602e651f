#pragma once

#include "core/model/NoteRemindModel.h"
#include "platform/calendar/CalendarIdentifier.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

struct Services;
class UserFeedback;

// The date tab of the reminder window: calendar, start, repeat (a plain choice or a custom repeat with its
// summary), important mode, end. It edits its own copy of the value; only confirm hands a new value back.
class DateRemindPresenter : public QObject
{
    Q_OBJECT
public:
    // Index of "自定义" in the repeat pop-up; the plain items 0..5 stand for cycle types 0..5.
    static constexpr int CustomRepeatIndex = 6;
    // Tag of the calendar button beside the start picker; any other opens it for the end date.
    static constexpr uint StartDateType = 0;
    static constexpr uint EndDateType = 1;

    // The important interval is the user's setting in the store's settings row, read once; without a row or
    // below 1 it counts as 5 minutes. Refusals go to the bundle's feedback.
    DateRemindPresenter(const NoteRemindModel &remind, const Services &services, QObject *parent = nullptr);

    // "永不", "每天", "每周", "每月", "每季度", "每年", "自定义".
    static QStringList repeatTitles();

    // Shows the value being edited again, as at each showing of the tab (picker edits not confirmed are
    // dropped; repeat choices already made stay).
    void showValue();

    const NoteRemindModel &remind() const { return m_remind; }
    bool isLunar() const { return m_lunar; }
    CalendarIdentifier calendar() const;
    bool isStartEnabled() const { return m_startEnabled; }
    QDateTime startDate() const { return m_startDate; }
    bool isEndEnabled() const { return m_endEnabled; }
    QDateTime endDate() const { return m_endDate; }
    bool isImportant() const { return m_important; }
    // "每%d分钟提醒" with the user's interval.
    QString importantTitle() const;
    // The repeat pop-up's item, -1 for none (a cycle type no item stands for).
    int repeatIndex() const { return m_repeatIndex; }
    // The custom repeat's summary, empty for a plain repeat.
    QString summary() const { return m_summary; }

public slots:
    void setLunar(bool lunar);
    void setStartEnabled(bool enabled);
    void setStartDate(const QDateTime &date);
    void setEndEnabled(bool enabled);
    void setEndDate(const QDateTime &date);
    void setImportant(bool important);
    // A choice from the repeat pop-up: a plain item sets the repeat at once, "自定义" asks for the popover.
    void chooseRepeat(int index);
    // A click on the summary opens the custom repeat popover again; an empty summary ignores it.
    void clickSummary();
    // The custom repeat popover's answer.
    void applyCustomRepeat(uint cycleType, qint64 interval, const QString &specify);
    // Asks for the calendar popover on the start (StartDateType) or the end date.
    void openCalendar(uint type);
    // The calendar popover's answer.
    void applyCalendarDate(const QDateTime &date, uint type);
    void confirm();
    void cancel();

signals:
    void changed();
    void customRepeatRequested(CalendarIdentifier calendar, const NoteRemindModel &remind);
    void calendarRequested(const QDateTime &date, uint type);
    void confirmed(const NoteRemindModel &remind);
    void closeRequested();

private:
    void refreshRepeat();

    NoteRemindModel m_remind;
    qint64 m_importantInterval;
    UserFeedback *m_feedback;
    bool m_lunar = false;
    bool m_startEnabled = true;
    QDateTime m_startDate;
    bool m_endEnabled = false;
    QDateTime m_endDate;
    bool m_important = false;
    int m_repeatIndex = 0;
    QString m_summary;
    bool m_done = false;
};
