#pragma once

#include <QColor>
#include <QPushButton>

// The application's flat button: filled with the skin's bar colour at 80 %,
// corner radius 3, white centred title, no border; light grey while pressed.
// Painted by itself, so it looks the same under every desktop style.
class CustomButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CustomButton(QWidget *parent = nullptr);
    explicit CustomButton(const QString &text, QWidget *parent = nullptr);

    QColor lp_textColor() const { return m_textColor; }
    void setLp_textColor(const QColor &color);
    QColor lp_bgColor() const { return m_bgColor; }
    void setLp_bgColor(const QColor &color);
    // The fill while pressed.
    QColor lp_highlightedColor() const { return m_highlightedColor; }
    void setLp_highlightedColor(const QColor &color);
    QColor lp_borderColor() const { return m_borderColor; }
    void setLp_borderColor(const QColor &color);
    double lp_borderWidth() const { return m_borderWidth; }
    void setLp_borderWidth(double width);
    double lp_cornerRadius() const { return m_cornerRadius; }
    void setLp_cornerRadius(double radius);
    Qt::Alignment lp_textAlignment() const { return m_textAlignment; }
    void setLp_textAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setControl();

    QColor m_textColor;
    QColor m_bgColor;
    QColor m_highlightedColor;
    QColor m_borderColor;
    double m_borderWidth = 0;
    double m_cornerRadius = 3;
    Qt::Alignment m_textAlignment = Qt::AlignCenter;
};
