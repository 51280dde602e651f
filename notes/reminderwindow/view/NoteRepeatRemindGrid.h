#pragma once

#include <QWidget>

class NoteRemindRepeatPresenter;

// The grid of choosable values of the custom repeat popover, painted from the presenter: 25-point cells,
// seven a row, 8 points apart; a chosen value in the highlight colour.
class NoteRepeatRemindGrid : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CellSize = 25;
    static constexpr int Spacing = 8;

    explicit NoteRepeatRemindGrid(NoteRemindRepeatPresenter *presenter, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    int indexAt(const QPoint &pos) const;
    QRect cellRect(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    NoteRemindRepeatPresenter *m_presenter;
    int m_current = 0; // the keyboard's cell
};
