#pragma once

#include <QFrame>

// A framed box that tells its owner when the mouse enters and leaves it.
class MouseBoxView : public QFrame
{
    Q_OBJECT
public:
    explicit MouseBoxView(QWidget *parent = nullptr);

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
