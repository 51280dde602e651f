#include "app/uikit/TintButton.h"

#include "app/uikit/ControlSkin.h"
#include "app/uikit/ImageHelpers.h"

#include <QPainter>

TintButton::TintButton(QWidget *parent) : QPushButton(parent), m_tintColor(ControlSkin::darkGray())
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
}

void TintButton::setTintColor(const QColor &color)
{
    m_tintColor = color;
    update();
}

QSize TintButton::sizeHint() const
{
    return iconSize() + QSize(8, 8);
}

void TintButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.4);
    if (isDown())
        painter.setOpacity(painter.opacity() * 0.6);
    const qreal ratio = devicePixelRatioF();
    const QSize size = iconSize().boundedTo(this->size());
    QImage image = icon().pixmap(size, ratio).toImage();
    if (image.isNull())
        return;
    image = lp_imageTintedWithColor(image, m_tintColor);
    const QSizeF logical = QSizeF(image.size()) / image.devicePixelRatio();
    QRectF target(QPointF(), logical);
    target.moveCenter(QRectF(rect()).center());
    painter.drawImage(target, image);
    if (hasFocus()) {
        painter.setOpacity(1);
        painter.setPen(QPen(m_tintColor, 1, Qt::DotLine));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}
