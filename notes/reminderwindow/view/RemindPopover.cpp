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
    if (anchor) {
        const QWidget *window = anchor->window();
        const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        const QRect available = anchor->screen() ? anchor->screen()->availableGeometry() : QRect();
        pos = placement(anchorRect, size(), window->frameGeometry(), window->geometry(), available);
    }
    move(pos);
    show();
}

QPoint RemindPopover::placement(const QRect &anchor, const QSize &size, const QRect &windowFrame,
                                const QRect &windowClient, const QRect &available)
{
    constexpr int gap = 4;
    const QRect frame = windowFrame.isValid() ? windowFrame.united(windowClient) : windowClient;
    const int centredY = anchor.center().y() - size.height() / 2;

    // Lowered below the title bar when it overlaps the window, then kept on the screen.
    auto settle = [&](int x) {
        QRect r(QPoint(x, centredY), size);
        if (windowClient.isValid() && r.left() <= frame.right() && r.right() >= frame.left())
            r.moveTop(qMax(r.top(), windowClient.top()));
        if (available.isValid()) {
            r.moveTop(qMin(r.top(), available.bottom() - size.height() + 1));
            r.moveTop(qMax(r.top(), available.top()));
        }
        return r;
    };
    auto acceptable = [&](const QRect &r) {
        if (available.isValid() && (r.left() < available.left() || r.right() > available.right()))
            return false;
        const bool overWindow = r.left() <= frame.right() && r.right() >= frame.left();
        return !windowClient.isValid() || !overWindow || r.top() >= windowClient.top();
    };

    const int candidates[] = {anchor.right() + 1 + gap, anchor.left() - gap - size.width(),
                              frame.right() + 1 + gap, frame.left() - gap - size.width()};
    for (int x : candidates) {
        const QRect r = settle(x);
        if (acceptable(r))
            return r.topLeft();
    }
    // Nowhere fits whole: on the screen, below the title bar as far as the screen allows.
    QRect r = settle(candidates[0]);
    if (available.isValid())
        r.moveLeft(
            qBound(available.left(), r.left(), qMax(available.left(), available.right() - size.width() + 1)));
    return r.topLeft();
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
