#pragma once

#include <QFrame>

// A transient panel beside the control that opened it: an outside click or Escape closes it, Enter confirms.
// It deletes itself once closed.
class RemindPopover : public QFrame
{
    Q_OBJECT
public:
    explicit RemindPopover(QWidget *parent = nullptr);

    // Shows the popover to the right of `anchor`, kept on the anchor's screen and off the title bar of the
    // anchor's window.
    void popUpBeside(QWidget *anchor);

    // Where a popover of `size` goes beside `anchor` (global rectangles): right of it, else left of it, else
    // beside the whole window, on the `available` screen area (ignored when invalid), never above the
    // window's client area where it would overlap the window (its title bar and close button are there).
    static QPoint placement(const QRect &anchor, const QSize &size, const QRect &windowFrame,
                            const QRect &windowClient, const QRect &available);

signals:
    // Enter or Return outside a control that takes them itself.
    void acceptRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
