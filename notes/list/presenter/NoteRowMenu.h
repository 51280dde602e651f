#pragma once

#include "notes/list/presenter/RowMenuModel.h"

class NoteDetail;

// The note list's row menu as it opens on one note. At most one of "延时"
// (with its submenu) and "清除延时" is present, always last.
class NoteRowMenu : public RowMenuModel
{
public:
    enum Tag
    {
        Snooze = 1001,
        ClearSnooze = 1002,
        Copy = 1003,
        ClearRemind = 1004,
        ClearImportant = 1005,
        Complete = 1006,
        Delete = 1007,
        SnoozeHalfHour = 2001,
        SnoozeHour = 2002,
        SnoozeTomorrow = 2003,
        SnoozeNextWeek = 2004,
    };

    // The menu for a right click below the last row: nothing to show.
    NoteRowMenu() = default;
    // The menu for a click on the note's row ("now" is the clock's).
    static NoteRowMenu forNote(const NoteDetail *note);

    // The snooze submenu, in order ("30分钟" … "下周").
    static QList<Item> snoozeItems();
};
