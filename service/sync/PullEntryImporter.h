#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <optional>

class Classify;
class NoteDetail;
class PullImportIndex;
struct PullNoteEntry;

// Imports one category or note entry (with the note's reminder) of a pull reply.
class PullEntryImporter
{
public:
    // With `overwritePending` (a restore) the service's values also replace local
    // changes that wait for the push; otherwise those rows are left as they are,
    // and a deleted category's notes with a pending change move to the default one
    // (their old keys' notifications go into `withdrawn`).
    static Classify *importClassify(const QJsonObject &entry, PullImportIndex &index,
                                    bool overwritePending = false, QStringList *withdrawn = nullptr);
    // `imported` tells whether the entry's values went into the returned note (not
    // when local changes wait for the push); `slot` is the note's slot in the
    // index's rows (bulk only). With `pulledSort` a stored row does not take the
    // entry's sort, which goes there instead (the order rebuild numbers it afresh).
    static NoteDetail *importNote(const PullNoteEntry &e, PullImportIndex &index, QStringList *withdrawn,
                                  bool overwritePending = false, bool *imported = nullptr,
                                  qsizetype *slot = nullptr, std::optional<qint16> *pulledSort = nullptr);

private:
    // The note's reminder from the detail's "remindSetting"; missing or not an
    // object clears it.
    static void importRemind(NoteDetail *note, const QJsonValue &setting, PullImportIndex &index);
};
