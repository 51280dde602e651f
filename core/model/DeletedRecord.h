#pragma once

#include <QtGlobal>

// Which kind of record a history deletion names, its "delType" (as the
// service sends and takes it).
namespace DeletedRecord {

enum Code : qint16
{
    Completion = 1, // a NoteComplete
    History = 2,    // a NoteLog
};

} // namespace DeletedRecord
