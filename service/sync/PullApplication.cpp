#include "service/sync/PullApplication.h"

#include "core/model/Classify.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/RowAction.h"
#include "core/model/UserInfo.h"
#include "platform/base/Missing.h"
#include "platform/store/Context.h"
#include "service/api/ReplyValue.h"
#include "service/sync/CategoryDeletion.h"
#include "service/sync/NoteOrderRebuild.h"
#include "service/sync/PullAccountSections.h"
#include "service/sync/PullEntryImporter.h"
#include "service/sync/PullReplyKeys.h"
#include "service/sync/PullReplyReader.h"

#include <QJsonArray>
#include <QList>

using namespace PullReplyKeys;

PullApplication::PullApplication(Context &ctx, const QJsonObject &data,
                                 const NoteMapManager::Options &options, NoteMapManager::Result *result)
    : m_ctx(ctx), m_data(data), m_options(options), m_result(result)
{
}

bool PullApplication::run()
{
    // Between the sections (and every few hundred notes) the import asks whether it is
    // still wanted: a logout waits for it, so it stops at once rather than running on.
    if (stopped() || !readReply() || stopped())
        return false;
    applyClears();
    applyAccountSections();
    if (stopped())
        return false;
    importCategories();
    if (stopped() || !importNotes())
        return false;
    if (m_replacing)
        sweepUnlisted();
    if (stopped())
        return false;
    rebuildOrder();
    if (stopped())
        return false;
    recordVersion();
    return true;
}

bool PullApplication::stopped()
{
    if (!m_options.stillWanted || m_options.stillWanted())
        return false;
    m_result->error = QStringLiteral("the sign-in ended while the pull was applied");
    return true;
}

bool PullApplication::readReply()
{
    // The note entries are checked while they are read, in one pass.
    QString error;
    if (!PullReplyReader::checkShape(m_data, &error, false) ||
        !PullReplyReader::readNoteEntries(m_data, &m_noteEntries, &error)) {
        m_result->error = error;
        return false;
    }
    const QJsonObject restore = m_data.value(QStringLiteral("SnapshotRestoreResult")).toObject();
    m_restoring = m_options.restore ||
                  (!m_options.fullPull && !Missing::isMissing(restore.value(QStringLiteral("snapshotDate"))));
    m_replacing = m_restoring || m_options.fullPull;
    // Replacing reads every note anyway (for the sweep).
    m_index.emplace(m_ctx, m_replacing || m_noteEntries.size() > 64);
    m_index->notes.expect(qsizetype(m_noteEntries.size()));
    return true;
}

// Sections 1 to 4: a restore or a full pull replaces the data by key (when the
// categories and notes are imported); the server-side clears go now.
void PullApplication::applyClears()
{
    const QJsonObject clear = m_data.value(QStringLiteral("syncClearDataResult")).toObject();
    for (const QString &id : ReplyValue::idText(clear.value(QStringLiteral("classIds")))
                                 .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        m_result->deletedClasses.insert(id.trimmed());
        if (Classify *c = m_index->classify(id.trimmed())) {
            if (m_restoring) {
                for (NoteDetail *n : c->notes())
                    m_result->withdrawn << n->cId();
                m_ctx.deleteObject(c);
            } else {
                CategoryDeletion::deleteCategory(m_ctx, c, &m_result->withdrawn);
            }
        }
    }
    // The history and completion records.
    if (ReplyValue::isTrue(clear.value(QStringLiteral("isClearAllTimeAxis")))) {
        m_ctx.deleteAll<NoteComplete>();
        m_ctx.deleteAll<NoteLog>();
    }
}

// Sections 6 to 9.
void PullApplication::applyAccountSections()
{
    PullAccountSections::deleteRecords(
        m_ctx, m_data.value(QStringLiteral("syncContentLogDelResult")).toObject().value(datas).toArray());
    PullAccountSections::importProfile(m_ctx, m_data.value(QStringLiteral("syncUserInfoResult")).toObject(),
                                       m_options.userId);
    PullAccountSections::importSettings(m_ctx, m_data.value(QStringLiteral("syncUserSetResult")).toObject(),
                                        m_options.userId);
    PullAccountSections::importNetworks(
        m_ctx, m_data.value(QStringLiteral("syncUserWifiResult")).toObject().value(datas).toArray());
}

// Section 10, categories. A restore takes the service's values also over local
// changes; any other pull leaves rows with local changes as they are.
void PullApplication::importCategories()
{
    const QString version = ReplyValue::idText(m_data.value(QStringLiteral("version")));
    for (const QJsonValue &v :
         m_data.value(QStringLiteral("syncClassResult")).toObject().value(datas).toArray()) {
        const QJsonObject entry = v.toObject();
        if (ReplyValue::code(entry.value(actionType)) == RowAction::Deleted)
            m_result->deletedClasses.insert(ReplyValue::idText(entry.value(classId)));
        else if (m_replacing)
            m_listedClasses.insert(ReplyValue::idText(entry.value(classId)));
        if (Classify *c =
                PullEntryImporter::importClassify(entry, *m_index, m_restoring, &m_result->withdrawn);
            c && !version.isEmpty() && c->isSync())
            c->setVersion(version);
    }
}

// Section 10, notes.
bool PullApplication::importNotes()
{
    PullImportIndex &index = *m_index;
    if (index.bulk)
        index.notes.load(m_ctx);
    // A full pull or a restore numbers every note afresh (from the rows kept by the index).
    const bool renumbering = m_options.fullPull || m_restoring;
    m_result->withdrawn.reserve(m_result->withdrawn.size() + qsizetype(m_noteEntries.size()));
    qsizetype done = 0;
    for (const PullNoteEntry &e : m_noteEntries) {
        if (++done % 256 == 0 && stopped())
            return false;
        if (e.action == RowAction::Deleted)
            m_result->deletedNotes.insert(e.cId);
        bool took = false;
        qsizetype slot = -1;
        std::optional<qint16> pulledSort;
        NoteDetail *n = PullEntryImporter::importNote(e, index, &m_result->withdrawn, m_restoring, &took,
                                                      &slot, renumbering ? &pulledSort : nullptr);
        if (slot >= 0 && e.action != RowAction::Deleted) {
            PullNoteRows::Row &row = index.notes.at(slot);
            row.listed = true;
            if (took) {
                row.imported = true;
                row.pulledSort = pulledSort;
            }
        } else if (n && took) {
            m_importedFew.insert(n);
        }
    }
    return true;
}

// What a replacing reply lacks is gone on the service, as a pulled deletion
// would say. Rows made here that the service has not taken yet (client ids)
// stay for the next push; a restore drops them too, as the user asked.
void PullApplication::sweepUnlisted()
{
    PullImportIndex &index = *m_index;
    // Rows whose cId others hold too (or none) go by the cIds the reply lists.
    QSet<QString> listedShared;
    if (index.notes.anyShared()) {
        for (const PullNoteEntry &e : m_noteEntries) {
            if (e.action != RowAction::Deleted && index.notes.shared(e.cId))
                listedShared.insert(e.cId);
        }
    }
    auto keep = [restoring = m_restoring](bool synced, const QString &id) {
        return !restoring && !synced && id.contains(QLatin1Char('c'));
    };
    for (const PullNoteRows::Row &row : index.notes.rows()) {
        NoteDetail *n = row.note;
        if (n->isDeleted())
            continue;
        const QString cId = n->cId();
        const bool listed = index.notes.shared(cId) ? listedShared.contains(cId) : row.listed;
        if (!listed && !keep(n->isSync(), cId)) {
            m_result->withdrawn << cId;
            m_ctx.deleteObject(n);
        }
    }
    for (Classify *c : m_ctx.findAll<Classify>()) {
        if (!m_listedClasses.contains(c->classId()) && !keep(c->isSync(), c->classId())) {
            if (m_restoring) {
                for (NoteDetail *n : c->notes())
                    m_result->withdrawn << n->cId();
                m_ctx.deleteObject(c);
            } else {
                CategoryDeletion::deleteCategory(m_ctx, c, &m_result->withdrawn);
            }
        }
    }
    m_ctx.markReplaced();
}

void PullApplication::rebuildOrder()
{
    PullImportIndex &index = *m_index;
    if (m_options.fullPull || m_restoring) {
        NoteOrderRebuild::rebuildFull(m_ctx, index.notes.rows());
        return;
    }
    // The notes the entries changed, each once; one kept with its local
    // changes keeps its local order too, as its other values do.
    QList<NoteDetail *> changed;
    QSet<NoteDetail *> seen;
    for (const PullNoteEntry &e : m_noteEntries) {
        if (e.action == RowAction::Deleted)
            continue;
        qsizetype slot = -1;
        NoteDetail *n = index.note(e.cId, &slot);
        if (!n || !(slot >= 0 ? index.notes.at(slot).imported : m_importedFew.contains(n)))
            continue;
        if (!seen.contains(n)) {
            seen.insert(n);
            changed.append(n);
        }
    }
    NoteOrderRebuild::rebuildChanged(changed, qsizetype(m_noteEntries.size()), m_ctx);
}

void PullApplication::recordVersion()
{
    if (m_options.appliedVersion.isEmpty())
        return;
    if (UserInfo *u = PullAccountSections::currentUser(m_ctx, m_options.userId, true))
        u->setVersion(m_options.appliedVersion);
}
