#pragma once

#include "service/sync/PullNoteRows.h"

#include <QList>

#include <vector>

class Context;
class NoteDetail;

// Rebuilds the notes' sort after a pull: a full pull numbers every category and
// its notes afresh; a delta pull places the notes it changed by their nextId
// (up to 100 entries) or turns their numbers from bottom-up to top-down.
class NoteOrderRebuild
{
public:
    // `rows`: every note in creation order (rows gone meanwhile are skipped),
    // marked with whether its pulled values were taken.
    static void rebuildFull(Context &ctx, const std::vector<PullNoteRows::Row> &rows);
    // `changed`: each changed note once, in entry order, of `entryCount` entries.
    static void rebuildChanged(QList<NoteDetail *> changed, qsizetype entryCount, Context &ctx);

private:
    // The order the nextId links give when they form one chain over all notes;
    // empty when they do not.
    static QList<NoteDetail *> chainOrder(const QList<NoteDetail *> &members);
};
