#pragma once

#include <QPushButton>

class HoverTip;

// A button with the application's own hover tip. Its text is the button's
// title when it is made, or "提示" for a button made without one; the owning
// screen sets the text and the side (see TipBubble::placement) afterwards.
class TipButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TipButton(QWidget *parent = nullptr);
    explicit TipButton(const QString &title, QWidget *parent = nullptr);

    QString tipTitle() const;
    void setTipTitle(const QString &title);
    int position() const;
    void setPosition(int position);

    HoverTip *hoverTip() const { return m_tip; }

private:
    void setControl(const QString &title);

    HoverTip *m_tip;
};
