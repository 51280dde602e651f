#pragma once

#include <QColor>
#include <QLineEdit>

// A text field framed in the skin's bar colour (opaque), 1 pixel wide.
class BorderTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit BorderTextField(QWidget *parent = nullptr);

    QColor lp_borderColor() const { return m_borderColor; }
    void setLp_borderColor(const QColor &color);
    double lp_borderWidth() const { return m_borderWidth; }
    void setLp_borderWidth(double width);

private:
    void applyBorder();

    QColor m_borderColor;
    double m_borderWidth = 1;
};
