#pragma once

#include "platform/base/AppEvents.h"

class Classify;
class Context;
class NoteDetail;

// Rows to the keys the application events carry, and back again.
class EventKeys
{
public:
    static CategoryKey of(const Classify *classify); // null key for nullptr
    static NoteKey of(const NoteDetail *note);       // null key for nullptr

    // The live row the key names in `context`: by store key, else (after a
    // full pull made it a new row) by classId / cId; nullptr when it is gone.
    static Classify *find(Context &context, const CategoryKey &key);
    static NoteDetail *find(Context &context, const NoteKey &key);
};
