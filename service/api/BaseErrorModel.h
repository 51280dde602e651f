#pragma once

#include <QString>

// What every service call hands to its failure callback: a transport failure,
// or a request that could not be made at all (no address set, no user key).
struct BaseErrorModel
{
    QString msg;
};
