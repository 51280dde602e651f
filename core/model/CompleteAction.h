#pragma once

#include <QtGlobal>

// What completing a note does, the "noteCompleteActionType" setting. The
// numbers are the ones stored and sent; any other value means StaysInPlace.
namespace CompleteAction {

enum Code : qint16
{
    StaysInPlace = 0,
    MovesToTop = 1,
    MovesToBottom = 2,
    IsDeleted = 3,
};

} // namespace CompleteAction
