#include "app/uikit/TipButton.h"

#include "app/uikit/HoverTip.h"

TipButton::TipButton(QWidget *parent) : QPushButton(parent), m_tip(new HoverTip(this))
{
    setControl(QString());
}

TipButton::TipButton(const QString &title, QWidget *parent)
    : QPushButton(title, parent), m_tip(new HoverTip(this))
{
    // Read from the argument: QPushButton keeps an empty title as none.
    setControl(title);
}

void TipButton::setControl(const QString &title)
{
    m_tip->setPosition(0);
    m_tip->setTipTitle(title.isNull() ? QStringLiteral("提示") : title);
}

QString TipButton::tipTitle() const
{
    return m_tip->tipTitle();
}

void TipButton::setTipTitle(const QString &title)
{
    m_tip->setTipTitle(title);
}

int TipButton::position() const
{
    return m_tip->position();
}

void TipButton::setPosition(int position)
{
    m_tip->setPosition(position);
}
