#include "settings/view/SettingsTabStyle.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

void SettingsTabStyle::stylePage(QWidget *page)
{
    page->setAutoFillBackground(true);
    QPalette pal = page->palette();
    pal.setColor(QPalette::Window, Qt::white);
    page->setPalette(pal);
    QFont f = page->font();
    f.setPixelSize(13);
    page->setFont(f);
}

QLabel *SettingsTabStyle::sectionTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPixelSize(14);
    f.setBold(true);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color:#333333;"));
    return label;
}

QLabel *SettingsTabStyle::hint(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont f = label->font();
    f.setPixelSize(12);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color:#999999;"));
    return label;
}
