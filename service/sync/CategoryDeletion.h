#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class Classify;
class Context;
class NoteDetail;

// A category deleted by a pull (another device deleted it) takes its notes with
// it, but a note with a pending local change keeps what the user did: it moves to
// the default category (the top one left; a new "默认" when none is left) and goes
// out with the next push. The service deleted the note with its category, so a
// note it had goes out as a new one (a fresh client id).
class CategoryDeletion
{
public:
    // Deletes the category; its notes with a pending change move first.
    static void deleteCategory(Context &ctx, Classify *category, QStringList *withdrawn);
    // Moves a note with a pending change whose category is gone (or going: one of
    // `goneClassIds`) to the default category. False when it has no pending change
    // (it goes with its category).
    static bool rescue(Context &ctx, NoteDetail *note, const QSet<QString> &goneClassIds,
                       QStringList *withdrawn);
    static QString defaultName() { return QStringLiteral("默认"); }
    static QString defaultColor() { return QStringLiteral("#10b56c"); }
};
