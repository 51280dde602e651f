#pragma once

#include "platform/calendar/CalendarIdentifier.h"

#include <QObject>
#include <QStringList>

#include <set>

class NoteRemindModel;

// The custom repeat popover: a unit (day, week, month, quarter, year), an interval and, for week, month and
// year, the chosen weekdays, days of the month or months. Chosen values are 1-based grid positions; only
// their labels depend on the calendar. The edited reminder is read once and never changed here.
class NoteRemindRepeatPresenter : public QObject
{
    Q_OBJECT
public:
    static constexpr int MinimumInterval = 1;
    static constexpr int MaximumInterval = 99;

    NoteRemindRepeatPresenter(CalendarIdentifier calendar, const NoteRemindModel &remind,
                              QObject *parent = nullptr);

    // "天", "周", "月", "季度", "年": unit index i stands for cycle type i + 1.
    static QStringList unitTitles();
    // The grid's labels for a cycle type in a calendar; none for day, quarter and anything else.
    static QStringList labelsFor(int cycleType, CalendarIdentifier calendar);
    // The grid's height for a number of labels, seven a row; 0 when there are none.
    static int gridHeightFor(int labelCount);

    CalendarIdentifier calendar() const { return m_calendar; }
    int unitIndex() const { return m_unitIndex; }
    QString unitTitle() const;
    int cycleType() const { return m_unitIndex + 1; }
    int interval() const { return m_interval; }
    const QStringList &labels() const { return m_labels; }
    bool hasGrid() const { return !m_labels.isEmpty(); }
    int gridHeight() const { return gridHeightFor(int(m_labels.size())); }
    // Whether the value at grid position `position` (0-based) is chosen.
    bool isChosen(int position) const;
    // The chosen values, ascending, joined by "," ("" when none), as handed back on confirm.
    QString specifyText() const;

public slots:
    // A new unit starts from nothing: interval 1, no chosen values.
    void selectUnit(int index);
    // Kept within MinimumInterval..MaximumInterval.
    void setInterval(int interval);
    // Chooses or drops the value of a grid cell.
    void toggle(int position);
    void confirm();
    void cancel();

signals:
    void changed();
    void configured(uint cycleType, qint64 interval, const QString &specify);
    void closeRequested();

private:
    CalendarIdentifier m_calendar;
    int m_unitIndex = 0;
    int m_interval = MinimumInterval;
    std::set<int> m_chosen;
    QStringList m_labels;
    bool m_done = false;
};
