#pragma once

#include <QWidget>

// A tab that comes with a later version: it says so.
class SettingsPlaceholderTab : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPlaceholderTab(QWidget *parent = nullptr);
};
