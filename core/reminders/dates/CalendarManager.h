#pragma once

#include "core/reminders/dates/Lunar.h"
#include "core/reminders/dates/Solar.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Facade over LunarSolarTransform.
class CalendarManager
{
public:
    static std::optional<Lunar> obtainLunarFromSolar(const Solar &solar);
    static std::optional<Solar> obtainSolarFromLunar(const Lunar &lunar);
    static QString obtainConstellationFromSolar(const Solar &solar);
    // Formats the lunar date and hands its year, month label and day label to the callback.
    static void resultWithLunar(const Lunar &lunar,
                                const std::function<void(const QString &year, const QString &month,
                                                         const QString &day)> &resultFormat);
};
