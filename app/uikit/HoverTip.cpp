#include "app/uikit/HoverTip.h"

#include "app/uikit/TipBubble.h"

#include <QEvent>
#include <QWidget>

HoverTip::HoverTip(QWidget *control) : QObject(control), m_control(control)
{
    control->installEventFilter(this);
}

HoverTip::~HoverTip()
{
    remove();
}

TipBubble *HoverTip::tipView() const
{
    return m_bubble;
}

void HoverTip::show()
{
    remove();
    QWidget *window = m_control->window();
    if (!window || window == m_control)
        return;
    auto *bubble = new TipBubble(m_tipTitle, window);
    const QRect control(m_control->mapTo(window, QPoint(0, 0)), m_control->size());
    const std::optional<QRect> place =
        TipBubble::placement(control, bubble->size(), m_position, window->rect());
    if (!place) {
        // An unknown position places nothing.
        delete bubble;
        return;
    }
    bubble->setGeometry(*place);
    bubble->show();
    bubble->raise();
    m_bubble = bubble;
    m_window = window;
    window->installEventFilter(this);
}

void HoverTip::remove()
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = nullptr;
    delete m_bubble.data();
}

bool HoverTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Enter:
            show();
            break;
        case QEvent::Leave:
        case QEvent::Hide:
        case QEvent::ParentChange:
            remove();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_bubble)
                show(); // follows the control
            break;
        default:
            break;
        }
    } else if (watched == m_window) {
        switch (event->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            remove();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
