#pragma once

#include "service/sync/PullNoteRows.h"

#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <QVarLengthArray>

class Classify;
class Context;
class DateRemind;
class NoteDetail;

// Finders for one import: with many entries (`bulk`) every row is read once
// into a hash instead of one query per entry.
class PullImportIndex
{
public:
    PullImportIndex(Context &c, bool many) : ctx(c), bulk(many) {}

    Context &ctx;
    const bool bulk = false;
    PullNoteRows notes;

    // With `slot`, the row's slot in `notes` (bulk only; -1 when there is none).
    NoteDetail *note(const QString &cId, qsizetype *slot = nullptr);
    qsizetype addNote(NoteDetail *n) { return bulk ? notes.add(n) : -1; }
    // Every live reminder under `cId`, in creation order (as the store's finder gives them).
    void remindsOf(const QString &cId, QVarLengthArray<DateRemind *, 4> *out);
    // The category under `classId` read or added last, unless it is deleted.
    Classify *classify(const QString &classId);
    void addClassify(Classify *c);

private:
    // Every reminder by its cId, read once; rows made by the import are not added:
    // each is held by its note, which is found first.
    class RemindRows
    {
    public:
        void all(Context &ctx, const QString &cId, QVarLengthArray<DateRemind *, 4> *out);

    private:
        void load(Context &ctx);

        bool m_loaded = false;
        QHash<QString, DateRemind *> m_first;
        QHash<QString, QList<DateRemind *>> m_later;
    };

    RemindRows m_reminds;
    // Every category by its classId, read once the first time one is asked for.
    bool m_classesLoaded = false;
    QMultiHash<QString, Classify *> m_classes;
};
