#include "settings/presenter/SettingsList.h"

QStringList SettingsList::elements(const QString &list)
{
    QStringList out;
    for (const QString &part : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (const QString element = part.trimmed(); !element.isEmpty())
            out << element;
    return out;
}

bool SettingsList::contains(const QString &list, const QString &element)
{
    return elements(list).contains(element);
}
