#pragma once

#include <QHBoxLayout>

class QPushButton;
class QWidget;

// The "取消" / "确定" row at the foot of the reminder window's tab and popovers:
// right-aligned, "确定" the default button so that Enter confirms.
class ConfirmButtonRow : public QHBoxLayout
{
public:
    explicit ConfirmButtonRow(QWidget *owner);

    QPushButton *cancel() const { return m_cancel; }
    QPushButton *done() const { return m_done; }

private:
    QPushButton *m_cancel;
    QPushButton *m_done;
};
