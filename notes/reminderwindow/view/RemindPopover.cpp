#include "notes/reminderwindow/view/RemindPopover.h"

#include <QKeyEvent>
#include <QScreen>

RemindPopover::RemindPopover(QWidget *parent) : QFrame(parent, Qt::Popup)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
}

void RemindPopover::popUpBeside(QWidget *anchor)
{
    adjustSize();
    QPoint pos;
    QRect available;
    if (anchor) {
        pos = anchor->mapToGlobal(QPoint(anchor->width() + 4, (anchor->height() - height()) / 2));
        if (QScreen *screen = anchor->screen())
            available = screen->availableGeometry();
    }
    if (available.isValid()) {
        // Too little room on the right: open on the left of the anchor instead.
        if (anchor && pos.x() + width() > available.right())
            pos.setX(anchor->mapToGlobal(QPoint(0, 0)).x() - width() - 4);
        pos.setX(qBound(available.left(), pos.x(), qMax(available.left(), available.right() - width())));
        pos.setY(qBound(available.top(), pos.y(), qMax(available.top(), available.bottom() - height())));
    }
    move(pos);
    show();
}

void RemindPopover::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit acceptRequested();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}
