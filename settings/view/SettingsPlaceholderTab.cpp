#include "settings/view/SettingsPlaceholderTab.h"

#include "settings/view/SettingsTabStyle.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsPlaceholderTab::SettingsPlaceholderTab(QWidget *parent) : QWidget(parent)
{
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    auto *text = SettingsTabStyle::hint(QStringLiteral("该功能即将推出"), this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
}
