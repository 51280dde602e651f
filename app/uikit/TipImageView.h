#pragma once

#include <QLabel>

class HoverTip;

// An image with the application's own hover tip (no text until the owning
// screen sets one).
class TipImageView : public QLabel
{
    Q_OBJECT
public:
    explicit TipImageView(QWidget *parent = nullptr);

    QString tipTitle() const;
    void setTipTitle(const QString &title);
    int position() const;
    void setPosition(int position);

    HoverTip *hoverTip() const { return m_tip; }

private:
    HoverTip *m_tip;
};
