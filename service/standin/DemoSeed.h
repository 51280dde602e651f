#pragma once

#include <QDateTime>
#include <QString>

class NoteSyncHandlers;
struct StandinState;

// A demo account for trying the program by hand: categories and notes with
// reminders of every kind (Gregorian, lunar, important, repeating, Wi-Fi),
// dated around `now` so that the picture looks alive on any day.
namespace DemoSeed {
inline const QString Account = QStringLiteral("demo");
inline const QString Password = QStringLiteral("demo1234");

void seed(StandinState &state, NoteSyncHandlers &notes, const QDateTime &now);
// The date of the demo's restorable snapshot: the day before `now`, at midnight.
QString snapshotDate(const QDateTime &now);
} // namespace DemoSeed
