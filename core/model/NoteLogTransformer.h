#pragma once

#include "platform/store/EntityDescription.h"

#include <QByteArray>
#include <QVariant>

// Stores NoteLog.diffItems: an array of spans (dictionaries with "diffLength",
// "diffStartIndex", "diffType", or NoteLogDiffItem values) as JSON. Reading gives
// the array of dictionaries back; data that is not such an array reads as an
// empty array.
class NoteLogTransformer
{
public:
    static QByteArray transformedValue(const QVariant &array);
    static QVariant reverseTransformedValue(const QByteArray &data);
    static bool allowsReverseTransformation() { return true; }
    static ValueTransformer valueTransformer();
};
