#pragma once

#include "platform/store/Predicate.h"

#include <QList>
#include <QString>

// What a fetch asks for: the rows matching a condition, sorted by a few attributes
// (rows without a value first when ascending; ties in creation order), at most
// `limit` of them (all when negative).
struct FetchRequest
{
    struct Sort
    {
        QString attribute;
        bool ascending = true;
    };

    Predicate where;
    QList<Sort> sortBy;
    int limit = -1;
};
