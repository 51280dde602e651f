#pragma once

#include "app/services/Services.h"

#include <QWidget>

class NoteCompleteListViewController;
class NoteDateListViewController;
class NoteLogListViewController;
class NoteRecordPresenter;
class QButtonGroup;
class QComboBox;
class QPushButton;
class QStackedWidget;

// The records pane, the right pane's records child: the segments and the
// pop-ups in a 50-pixel strip over a stack of the three lists; each page of
// the stack stands for its segment.
class NoteRecordViewController : public QWidget
{
    Q_OBJECT
public:
    static constexpr int StripHeight = 50;

    explicit NoteRecordViewController(const Services &services, QWidget *parent = nullptr);

    NoteRecordPresenter *presenter() const { return m_presenter; }
    NoteDateListViewController *dateList() const { return m_dateList; }
    NoteCompleteListViewController *completeList() const { return m_completeList; }
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
    NoteCompleteListViewController *m_completeList;
    NoteLogListViewController *m_logList;
    QButtonGroup *m_segments;
    QComboBox *m_popUps[3];
    QStackedWidget *m_stack;
};
