#include "core/reminders/dates/CalendarManager.h"

#include "core/reminders/dates/LunarSolarTransform.h"

std::optional<Lunar> CalendarManager::obtainLunarFromSolar(const Solar &solar)
{
    return LunarSolarTransform::solarToLunar(solar);
}

std::optional<Solar> CalendarManager::obtainSolarFromLunar(const Lunar &lunar)
{
    return LunarSolarTransform::lunarToSolar(lunar);
}

QString CalendarManager::obtainConstellationFromSolar(const Solar &solar)
{
    return LunarSolarTransform::constellationFromSolar(solar);
}

void CalendarManager::resultWithLunar(
    const Lunar &lunar,
    const std::function<void(const QString &year, const QString &month, const QString &day)> &resultFormat)
{
    if (!resultFormat)
        return;
    const QStringList parts = LunarSolarTransform::formatWithLunar(lunar).split('-');
    if (parts.size() == 3)
        resultFormat(parts.at(0), parts.at(1), parts.at(2));
}
