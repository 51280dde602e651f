#pragma once

#include "app/services/Services.h"

#include <QWidget>

class NoteDateListViewController;
class NoteLogListViewController;
class NoteRecordPresenter;
class QButtonGroup;
class QComboBox;
class QPushButton;
class QStackedWidget;

// The records pane, the right pane's records child: the segments and the
// pop-ups in a 50-pixel strip over a stack of the three lists. The completed
// list is a placeholder showing its empty state until it is built; each page of the stack stands for its segment.
class NoteRecordViewController : public QWidget
{
    Q_OBJECT
public:
    static constexpr int StripHeight = 50;

    explicit NoteRecordViewController(const Services &services, QWidget *parent = nullptr);

    NoteRecordPresenter *presenter() const { return m_presenter; }
    NoteDateListViewController *dateList() const { return m_dateList; }
    NoteLogListViewController *logList() const { return m_logList; }
    QPushButton *segmentButton(int segment) const;
    QComboBox *popUp(int index) const { return m_popUps[index]; }
    QStackedWidget *stack() const { return m_stack; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void render();

    NoteRecordPresenter *m_presenter;
    NoteDateListViewController *m_dateList;
    NoteLogListViewController *m_logList;
    QButtonGroup *m_segments;
    QComboBox *m_popUps[3];
    QStackedWidget *m_stack;
};
