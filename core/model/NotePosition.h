#pragma once

#include <QtGlobal>

// Where a note goes in its category's order. The same numbers are the
// "noteAddPositionType" setting (1 the top, any other value the bottom).
namespace NotePosition {

enum Code : qint16
{
    Top = 1,
    Bottom = 2,
};

} // namespace NotePosition
