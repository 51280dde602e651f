#pragma once

#include <QFrame>

// A plain view that tells its owner when the mouse enters and leaves it
// (the editor shows controls while the mouse is over a part of it). A frame-less
// QFrame, so that the framed box below shares this one implementation.
class MouseView : public QFrame
{
    Q_OBJECT
public:
    explicit MouseView(QWidget *parent = nullptr);

    bool isMouseInside() const { return m_inside; }

signals:
    void mouseEntered();
    void mouseExited();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool m_inside = false;
};
