#pragma once

#include "notes/list/presenter/NoteRowLook.h"

class DateRemind;
class NoteDetail;

// Works out a note row's look: its text and colours, the status dot, and the
// reminder line with its date or network, repeat, important and snooze
// icons. "Now" is the clock's.
class NoteRowFormatter
{
public:
    static constexpr int plainHeight = 41;
    static constexpr int reminderHeight = 56;

    // `importantMinutes` is UserSet.importantRemindInterval (below 1 counts as 5).
    static NoteRowLook format(const NoteDetail *note, const DateRemind *remind, qint64 importantMinutes);
    // A reminder that is not cleared and has a date or networks: the row shows its reminder line.
    static bool isActive(const DateRemind *remind);
    // The same from a reminder's stored values (its remindActionType, remindRealDateTime
    // and connectWifiIds), for rows read without their objects.
    static bool isActive(qint64 actionType, const QString &realDateTime, const QString &wifiIds);
    // The row's height: taller exactly when the reminder line is shown.
    static int heightFor(const DateRemind *remind);
};
