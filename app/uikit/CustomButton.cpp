#include "app/uikit/CustomButton.h"

#include "app/uikit/ControlSkin.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

CustomButton::CustomButton(QWidget *parent) : QPushButton(parent)
{
    setControl();
}

CustomButton::CustomButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setControl();
}

void CustomButton::setControl()
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    QColor bar = ControlSkin::barColor();
    bar.setAlphaF(0.8f);
    m_bgColor = bar;
    m_cornerRadius = 3;
    m_textColor = Qt::white;
    m_textAlignment = Qt::AlignCenter;
    m_borderColor = Qt::transparent;
    m_borderWidth = 0;
    m_highlightedColor = ControlSkin::lightGray();
}

void CustomButton::setLp_textColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void CustomButton::setLp_bgColor(const QColor &color)
{
    m_bgColor = color;
    update();
}

void CustomButton::setLp_highlightedColor(const QColor &color)
{
    m_highlightedColor = color;
    update();
}

void CustomButton::setLp_borderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

void CustomButton::setLp_borderWidth(double width)
{
    m_borderWidth = qMax(0.0, width);
    update();
}

void CustomButton::setLp_cornerRadius(double radius)
{
    m_cornerRadius = qMax(0.0, radius);
    update();
}

void CustomButton::setLp_textAlignment(Qt::Alignment alignment)
{
    m_textAlignment = alignment;
    update();
}

QSize CustomButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.horizontalAdvance(text()) + 24;
    if (!icon().isNull())
        width += iconSize().width() + (text().isEmpty() ? 0 : 6);
    return QSize(qMax(width, 60), qMax(metrics.height() + 12, 30));
}

QSize CustomButton::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.horizontalAdvance(text()) + 8;
    if (!icon().isNull())
        width += iconSize().width();
    return QSize(width, metrics.height() + 4);
}

void CustomButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);

    const qreal inset = m_borderWidth / 2.0;
    const QRectF frame = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath shape;
    shape.addRoundedRect(frame, m_cornerRadius, m_cornerRadius);
    painter.fillPath(shape, isDown() || isChecked() ? m_highlightedColor : m_bgColor);
    if (m_borderWidth > 0 && m_borderColor.alpha() > 0) {
        painter.setPen(QPen(m_borderColor, m_borderWidth));
        painter.drawPath(shape);
    }
    if (hasFocus() && focusPolicy() != Qt::NoFocus) {
        // A keyboard user must see which button Enter or Space presses.
        painter.setPen(QPen(QColor(255, 255, 255, 170), 1, Qt::DotLine));
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), m_cornerRadius,
                                m_cornerRadius);
    }

    painter.setClipPath(shape);
    const QRect content = rect().adjusted(6, 0, -6, 0);
    const bool hasIcon = !icon().isNull();
    if (hasIcon && text().isEmpty()) {
        QRect iconRect(QPoint(), iconSize());
        iconRect.moveCenter(content.center());
        icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        return;
    }
    if (text().isEmpty())
        return;
    painter.setPen(m_textColor);
    painter.setFont(font());
    if (!hasIcon) {
        painter.drawText(content, int(m_textAlignment | Qt::AlignVCenter) | Qt::TextShowMnemonic, text());
        return;
    }
    // Icon and title side by side, the pair placed by the alignment.
    const QSize size = iconSize();
    const int textWidth = qMin(fontMetrics().horizontalAdvance(text()), content.width() - size.width() - 6);
    const int total = size.width() + 6 + textWidth;
    int left = content.center().x() - total / 2;
    if (m_textAlignment & Qt::AlignLeft)
        left = content.left();
    else if (m_textAlignment & Qt::AlignRight)
        left = content.right() - total;
    const QRect iconRect(QPoint(left, content.center().y() - size.height() / 2), size);
    icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QRect textRect(iconRect.right() + 7, content.top(), textWidth, content.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
}
