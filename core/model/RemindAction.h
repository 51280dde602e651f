#pragma once

#include <QtGlobal>

// The state of a note's reminder, its "remindActionType". The numbers are the
// ones stored and sent.
namespace RemindAction {

enum Code : qint16
{
    New = 1,
    Set = 2,     // set or changed
    Cleared = 3, // cleared or finished: no longer active
};

} // namespace RemindAction
