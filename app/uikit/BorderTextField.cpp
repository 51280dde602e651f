#include "app/uikit/BorderTextField.h"

#include "app/uikit/ControlSkin.h"

BorderTextField::BorderTextField(QWidget *parent) : QLineEdit(parent), m_borderColor(ControlSkin::barColor())
{
    m_borderColor.setAlpha(255);
    applyBorder();
}

void BorderTextField::setLp_borderColor(const QColor &color)
{
    m_borderColor = color;
    applyBorder();
}

void BorderTextField::setLp_borderWidth(double width)
{
    m_borderWidth = qMax(0.0, width);
    applyBorder();
}

void BorderTextField::applyBorder()
{
    // A style sheet, not a painted frame: the style then keeps the text
    // clear of the border and the caret inside it.
    setStyleSheet(
        QStringLiteral("BorderTextField { border: %1px solid %2; padding: 0 4px; background: white; }")
            .arg(m_borderWidth)
            .arg(m_borderColor.name(QColor::HexArgb)));
}
