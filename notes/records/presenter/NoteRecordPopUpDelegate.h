#pragma once

#include "notes/records/presenter/NoteRecordPopUps.h"

// A list of the records pane: told of its filters whenever the pane shows it,
// switches to it, or the user changes a pop-up while it is shown.
class NoteRecordPopUpDelegate
{
public:
    virtual ~NoteRecordPopUpDelegate() = default;
    virtual void didSelectItemWithPopUps(const NoteRecordPopUps &popUps) = 0;
};
