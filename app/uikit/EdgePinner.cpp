#include "app/uikit/EdgePinner.h"

#include <QEvent>
#include <QWidget>

EdgePinner::EdgePinner(QWidget *child) : QObject(child), m_child(child) {}

void EdgePinner::pin(QWidget *child)
{
    if (!child || !child->parentWidget())
        return;
    auto *pinner = new EdgePinner(child);
    child->parentWidget()->installEventFilter(pinner);
    child->setGeometry(child->parentWidget()->rect());
}

bool EdgePinner::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_child->parentWidget())
        m_child->setGeometry(m_child->parentWidget()->rect());
    return QObject::eventFilter(watched, event);
}
