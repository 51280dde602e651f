#include "app/uikit/MouseBoxView.h"

MouseBoxView::MouseBoxView(QWidget *parent)
    : QFrame(parent)
{
    setAttribute(Qt::WA_Hover);
}

void MouseBoxView::enterEvent(QEnterEvent *event)
{
    QFrame::enterEvent(event);
    if (!m_inside) {
        m_inside = true;
        emit mouseEntered();
    }
}

void MouseBoxView::leaveEvent(QEvent *event)
{
    QFrame::leaveEvent(event);
    if (m_inside) {
        m_inside = false;
        emit mouseExited();
    }
}

void MouseBoxView::hideEvent(QHideEvent *event)
{
    // A hidden view gets no leave event; its owner still hears of the exit.
    QFrame::hideEvent(event);
    if (m_inside) {
        m_inside = false;
        emit mouseExited();
    }
}
