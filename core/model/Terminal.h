#pragma once

#include <QtGlobal>

// The kind of device that made a change, a record's "terminalId" and the id of
// a program in the service's version list. The numbers are the service's.
namespace Terminal {

enum Code : qint16
{
    Pc = 2,
    Ios = 3,
    Android = 4,
    Web = 5,
    Ipad = 6,
    Mac = 7, // this program's id with the service
};

} // namespace Terminal
