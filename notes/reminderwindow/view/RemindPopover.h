#pragma once

#include <QFrame>

// A transient panel beside the control that opened it: an outside click or Escape closes it, Enter confirms.
// It deletes itself once closed.
class RemindPopover : public QFrame
{
    Q_OBJECT
public:
    explicit RemindPopover(QWidget *parent = nullptr);

    // Shows the popover to the right of `anchor`, kept on the anchor's screen.
    void popUpBeside(QWidget *anchor);

signals:
    // Enter or Return outside a control that takes them itself.
    void acceptRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
