#pragma once

#include <QColor>
#include <QPushButton>

// A borderless image button whose image is drawn in one colour (dark grey
// unless set), whatever colours the image itself has.
class TintButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TintButton(QWidget *parent = nullptr);

    QColor tintColor() const { return m_tintColor; }
    void setTintColor(const QColor &color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_tintColor;
};
