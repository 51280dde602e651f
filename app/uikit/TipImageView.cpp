#include "app/uikit/TipImageView.h"

#include "app/uikit/HoverTip.h"

TipImageView::TipImageView(QWidget *parent) : QLabel(parent), m_tip(new HoverTip(this))
{
    setAlignment(Qt::AlignCenter);
}

QString TipImageView::tipTitle() const
{
    return m_tip->tipTitle();
}

void TipImageView::setTipTitle(const QString &title)
{
    m_tip->setTipTitle(title);
}

int TipImageView::position() const
{
    return m_tip->position();
}

void TipImageView::setPosition(int position)
{
    m_tip->setPosition(position);
}
