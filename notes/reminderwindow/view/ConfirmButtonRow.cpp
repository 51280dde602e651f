#include "notes/reminderwindow/view/ConfirmButtonRow.h"

#include <QPushButton>

ConfirmButtonRow::ConfirmButtonRow(QWidget *owner)
    : m_cancel(new QPushButton(QStringLiteral("取消"), owner)),
      m_done(new QPushButton(QStringLiteral("确定"), owner))
{
    m_cancel->setAutoDefault(false);
    m_done->setDefault(true);
    addStretch();
    addWidget(m_cancel);
    addWidget(m_done);
}
