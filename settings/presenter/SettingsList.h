#pragma once

#include <QString>
#include <QStringList>

// A setting that holds a list as text, its elements separated by commas
// ("1,2"): the reminder kinds, the settings that follow the account.
class SettingsList
{
public:
    // The elements, trimmed, without empty ones.
    static QStringList elements(const QString &list);
    static bool contains(const QString &list, const QString &element);
};
