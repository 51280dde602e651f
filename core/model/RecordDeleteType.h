#pragma once

#include <QtGlobal>

// Which kind of record the service is asked to delete, the "delType" of
// "note/logDel". The numbers are the service's.
namespace RecordDeleteType {

enum Code : qint16
{
    Completion = 1,
    History = 2,
};

} // namespace RecordDeleteType
