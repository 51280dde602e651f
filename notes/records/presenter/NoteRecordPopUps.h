#pragma once

#include "platform/base/AppEvents.h"

// The records pane's three pop-ups as the list being shown reads them: the
// selected indexes, and the category that the second one's index stands for
// (null for "全部分类").
struct NoteRecordPopUps
{
    int first = 0;
    int second = 0;
    int third = 0;
    CategoryKey category;
    bool operator==(const NoteRecordPopUps &) const = default;
};
