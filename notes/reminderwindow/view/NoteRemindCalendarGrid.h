#pragma once

#include <QWidget>

class NoteRemindCalendarPresenter;

// The month grid of the calendar popover, painted cell by cell from the presenter: seven 40-point columns,
// Sunday first, the day number (or "今") over its lunar label, the chosen day in a round highlight.
class NoteRemindCalendarGrid : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CellSize = 40;

    explicit NoteRemindCalendarGrid(NoteRemindCalendarPresenter *presenter, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    // The cell under a point of the widget, -1 for none.
    int indexAt(const QPoint &pos) const;
    QRect cellRect(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    NoteRemindCalendarPresenter *m_presenter;
};
