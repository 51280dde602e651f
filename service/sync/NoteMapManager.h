#pragma once

#include "core/model/NoteRemindModel.h"
#include "platform/store/ObjectId.h"
#include "service/sync/PullCrashRecovery.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class Classify;
class Context;
class DateRemind;
class NoteDetail;
class Store;

// Applies one pull reply (GET "note/sync") to the store: the face of the pull
// import, whose jobs are done by PullReplyReader (reading and checks),
// PullImportIndex (finders), PullApplication with PullAccountSections and
// PullEntryImporter (the sections), NoteOrderRebuild and PullCrashRecovery.
//
// The whole reply is applied in one transaction on a background context:
// snapshot restores and clears, history deletions, profile, settings, Wi-Fi
// networks, categories and notes with their reminders, and the order rebuild.
// A reply of the wrong shape or a failed save applies nothing. The version the
// store now holds is also written into the current user's UserInfo row in the
// same transaction, so that a pull cut short by a crash can be told apart from
// one that committed (recoverInterruptedPull()).
//
// A row with local changes that wait for the push (isSync NO) is not
// overwritten by a pulled change (it is pushed next); a pulled deletion always
// applies.
class NoteMapManager
{
public:
    struct Options
    {
        // Full (replace everything) or delta (merge): said by the request, never
        // read from the stored "version".
        bool fullPull = false;
        // The user restored a snapshot: everything is replaced, local changes too.
        // A delta pull that names a restore (made on another device) does the same;
        // a full pull only replaces, whatever restore its reply names.
        bool restore = false;
        // The current user (user default "userId"); 0 when unknown.
        qint64 userId = 0;
        // The data version the store holds once the reply is applied.
        QString appliedVersion;
        // Asked on the import's thread between its sections, every few hundred
        // notes and right before it commits: false (the sign-in ended) stops and
        // drops the import.
        std::function<bool()> stillWanted;
    };
    struct Result
    {
        bool ok = false;
        QString error;
        // Notes whose scheduled notification must go (re-scheduled by the reconciler).
        QStringList withdrawn;
        // What the reply deleted (notes by cId, categories by classId, cleared
        // ones included), for rows the store kept because they were saved meanwhile.
        QSet<QString> deletedNotes;
        QSet<QString> deletedClasses;
    };
    using Completion = std::function<void(const Result &result)>;

    // Sections 1..10 and the rebuild on a background context; the completion runs
    // on the main thread after the save was merged into the main context.
    static void noteMapToLocalWithData(const QJsonObject &data, const Options &options, Completion completion,
                                       Store &store);
    // The same work in ctx, not saved (the caller saves). False, with nothing
    // changed, when the reply cannot be imported.
    static bool applyToContext(Context &ctx, const QJsonObject &data, const Options &options, Result *result);
    // Whether the reply has the shape this import reads.
    static bool validate(const QJsonObject &data, QString *error = nullptr);

    // Category entries of "syncClassResult"; each category gets the reply's "version".
    static void classifyMapToLocalWithData(const QJsonObject &data, Context &ctx);
    static Classify *saveNoteToLocalWithClassify(const QJsonObject &entry, Context &ctx);
    static NoteDetail *saveNoteToLocalWithNote(const QJsonObject &entry, Context &ctx,
                                               QStringList *withdrawn = nullptr);
    // Rebuilds sort: full pulls number everything afresh, up to 100 changed notes
    // are placed by their nextId, more are turned from bottom-up to top-down.
    static void resetNoteSortWithNoteDatas(const QJsonArray &noteEntries, bool fullPull, Context &ctx);

    static NoteRemindModel mappingRemindModelFromNoteRemind(const DateRemind *remind);

    // Rows the main thread saved while an import ran are left alone by the store
    // (their local change wins). What the import hung on them is settled here in
    // `main` and saved: a pulled deletion of the row or of its category still
    // applies (a push of it would only be refused), and a reminder row made for
    // a kept note goes. Called with the import's result and its save's `skipped`.
    static void settleRowsSavedMeanwhile(Context &main, const QList<ObjectId> &skipped, Result *result);

    // User-defaults key of the version being applied (present only while a
    // pull's transaction may be in flight).
    static inline const QString &ApplyingVersionKey = PullCrashRecovery::ApplyingVersionKey;
    // After a crash during a pull: stores the version the store really holds.
    // Returns true when an interrupted pull was found.
    static bool recoverInterruptedPull(Context &ctx);
};
