#pragma once

class QLabel;
class QString;
class QWidget;

// The look the settings tabs share: section titles and their texts.
class SettingsTabStyle
{
public:
    // A tab page: white, 13-px texts.
    static void stylePage(QWidget *page);
    // A section title over a group of controls.
    static QLabel *sectionTitle(const QString &text, QWidget *parent);
    // A grey explanation under a control.
    static QLabel *hint(const QString &text, QWidget *parent);
};
