#pragma once

#include <QtGlobal>

// What a category, note or saved network waits to tell the service, its
// "actionType". The numbers are the ones stored and sent.
namespace RowAction {

enum Code : qint16
{
    None = 0, // in step with the service
    Added = 1,
    Changed = 2,
    Deleted = 3, // deleted here, removed once the push is confirmed
};

} // namespace RowAction
