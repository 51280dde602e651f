#include "app/uikit/MouseView.h"

MouseView::MouseView(QWidget *parent) : QFrame(parent)
{
    setAttribute(Qt::WA_Hover);
}

void MouseView::enterEvent(QEnterEvent *event)
{
    QFrame::enterEvent(event);
    if (!m_inside) {
        m_inside = true;
        emit mouseEntered();
    }
}

void MouseView::leaveEvent(QEvent *event)
{
    QFrame::leaveEvent(event);
    if (m_inside) {
        m_inside = false;
        emit mouseExited();
    }
}

void MouseView::hideEvent(QHideEvent *event)
{
    // A hidden view gets no leave event; its owner still hears of the exit.
    QFrame::hideEvent(event);
    if (m_inside) {
        m_inside = false;
        emit mouseExited();
    }
}
