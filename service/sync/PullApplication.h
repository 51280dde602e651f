#pragma once

#include "service/sync/NoteMapManager.h"
#include "service/sync/PullImportIndex.h"
#include "service/sync/PullNoteEntry.h"

#include <QJsonObject>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class Context;
class NoteDetail;

// One pull reply applied to a context, step by step in the sections' order:
// the reply read and checked, the server-side clears, the account's sections,
// categories, notes, the sweep of what a replacing pull lacks, the order
// rebuild and the version the store then holds. Nothing is saved here.
class PullApplication
{
public:
    PullApplication(Context &ctx, const QJsonObject &data, const NoteMapManager::Options &options,
                    NoteMapManager::Result *result);

    // False, with the error in the result, when the reply cannot be imported or
    // the import is no longer wanted (options.stillWanted, asked between the
    // sections); the context may then hold part of it: the caller rolls back.
    bool run();

private:
    bool readReply();
    void applyClears();
    void applyAccountSections();
    void importCategories();
    // False when the import is no longer wanted (it stopped part way).
    bool importNotes();
    // The import is no longer wanted (the sign-in ended): the error says so.
    bool stopped();
    void sweepUnlisted();
    void rebuildOrder();
    void recordVersion();

    Context &m_ctx;
    const QJsonObject &m_data;
    const NoteMapManager::Options &m_options;
    NoteMapManager::Result *m_result;

    std::vector<PullNoteEntry> m_noteEntries;
    std::optional<PullImportIndex> m_index;
    // A restore (asked for, or named by a delta pull's reply) takes the service's
    // values also over local changes.
    bool m_restoring = false;
    // A restore or a full pull replaces the data by key.
    bool m_replacing = false;
    // Categories a replacing pull lists.
    QSet<QString> m_listedClasses;
    // Imported notes of a short list (without the index's rows).
    QSet<NoteDetail *> m_importedFew;
};
