#include "service/sync/NoteMapManager.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/api/ReplyValue.h"
#include "service/sync/CategoryDeletion.h"
#include "service/sync/NoteOrderRebuild.h"
#include "service/sync/PullApplication.h"
#include "service/sync/PullEntryImporter.h"
#include "service/sync/PullImportIndex.h"
#include "service/sync/PullNoteEntry.h"
#include "service/sync/PullReplyKeys.h"
#include "service/sync/PullReplyReader.h"

#include <QDebug>

#include <memory>
#include <vector>

using namespace PullReplyKeys;

void NoteMapManager::settleRowsSavedMeanwhile(Context &main, const QList<ObjectId> &skipped, Result *r)
{
    bool changed = false;
    for (const ObjectId &id : skipped) {
        if (id.entity == Classify::entity().index) {
            Classify *c = main.existing<Classify>(id);
            if (c && r->deletedClasses.contains(c->classId())) {
                CategoryDeletion::deleteCategory(main, c, &r->withdrawn);
                changed = true;
            }
            continue;
        }
        if (id.entity != NoteDetail::entity().index)
            continue;
        NoteDetail *n = main.existing<NoteDetail>(id);
        if (!n)
            continue;
        const bool categoryGone = r->deletedClasses.contains(n->classId()) ||
                                  (!n->classify() && !n->classId().isEmpty() &&
                                   !main.findFirstByAttribute<Classify>(classIdAttribute, n->classId()));
        // Saved here while the pull deleted its category: what the user did moves on.
        if (categoryGone && CategoryDeletion::rescue(main, n, r->deletedClasses, &r->withdrawn)) {
            changed = true;
            continue;
        }
        if (r->deletedNotes.contains(n->cId()) || categoryGone) {
            r->withdrawn << n->cId();
            main.deleteObject(n);
            changed = true;
            continue;
        }
        for (DateRemind *rm : main.findByAttribute<DateRemind>(cIdAttribute, n->cId())) {
            if (rm != n->remind() && !rm->noteDetail()) {
                main.deleteObject(rm);
                changed = true;
            }
        }
    }
    if (changed) {
        if (SaveResult s = main.saveAndWait(); !s)
            qWarning().noquote() << "sync: settling the rows saved during the pull failed:" << s.error;
    }
}

bool NoteMapManager::validate(const QJsonObject &data, QString *error)
{
    QString e;
    const bool ok = PullReplyReader::checkShape(data, &e, true);
    if (!ok && error)
        *error = e;
    return ok;
}

bool NoteMapManager::applyToContext(Context &ctx, const QJsonObject &data, const Options &options,
                                    Result *result)
{
    Result local;
    Result *r = result ? result : &local;
    r->ok = PullApplication(ctx, data, options, r).run();
    return r->ok;
}

void NoteMapManager::noteMapToLocalWithData(const QJsonObject &data, const Options &options,
                                            Completion completion, Store &store)
{
    // The reply's shape is checked by the import itself, on the background
    // thread: a large reply would stall the main thread here.
    auto shared = std::make_shared<Result>();
    store.saveInBackground(
        [data, options, shared](Context &ctx) {
            if (!PullApplication(ctx, data, options, shared.get()).run()) {
                shared->ok = false;
                ctx.rollback();
                return;
            }
            if (options.stillWanted && !options.stillWanted()) {
                shared->ok = false;
                shared->error = QStringLiteral("the sign-in ended while the pull was applied");
                ctx.rollback();
                return;
            }
            shared->ok = true;
        },
        [shared, completion, store = &store](const SaveResult &saved) {
            Result r = *shared;
            if (r.ok && !saved) {
                r.ok = false;
                r.error = QStringLiteral("the pulled data could not be saved: ") + saved.error;
            }
            if (!r.ok)
                r.withdrawn.clear();
            else if (!saved.skipped.isEmpty())
                settleRowsSavedMeanwhile(*store->mainContext(), saved.skipped, &r);
            if (completion)
                completion(r);
        });
}

void NoteMapManager::classifyMapToLocalWithData(const QJsonObject &data, Context &ctx)
{
    PullImportIndex index(ctx, false);
    const QString version = ReplyValue::idText(data.value(QStringLiteral("version")));
    for (const QJsonValue &v :
         data.value(QStringLiteral("syncClassResult")).toObject().value(datas).toArray()) {
        if (Classify *c = PullEntryImporter::importClassify(v.toObject(), index);
            c && !version.isEmpty() && c->isSync())
            c->setVersion(version);
    }
}

Classify *NoteMapManager::saveNoteToLocalWithClassify(const QJsonObject &entry, Context &ctx)
{
    PullImportIndex index(ctx, false);
    return PullEntryImporter::importClassify(entry, index);
}

NoteDetail *NoteMapManager::saveNoteToLocalWithNote(const QJsonObject &entry, Context &ctx,
                                                    QStringList *withdrawn)
{
    PullImportIndex index(ctx, false);
    PullNoteEntry e;
    e.read(entry);
    return PullEntryImporter::importNote(e, index, withdrawn);
}

void NoteMapManager::resetNoteSortWithNoteDatas(const QJsonArray &noteEntries, bool fullPull, Context &ctx)
{
    if (fullPull) {
        std::vector<PullNoteRows::Row> rows;
        for (NoteDetail *n : ctx.findAll<NoteDetail>())
            rows.push_back({n, true, true, std::nullopt});
        NoteOrderRebuild::rebuildFull(ctx, rows);
        return;
    }
    PullImportIndex index(ctx, noteEntries.size() > 64);
    QList<NoteDetail *> changed;
    QSet<NoteDetail *> seen;
    for (const QJsonValue &v : noteEntries) {
        const QJsonObject e = v.toObject();
        if (ReplyValue::code(e.value(actionType)) == RowAction::Deleted)
            continue;
        NoteDetail *n = index.note(ReplyValue::idText(e.value(cId)));
        if (n && !seen.contains(n)) {
            seen.insert(n);
            changed.append(n);
        }
    }
    NoteOrderRebuild::rebuildChanged(changed, noteEntries.size(), ctx);
}

NoteRemindModel NoteMapManager::mappingRemindModelFromNoteRemind(const DateRemind *r)
{
    NoteRemindModel m;
    if (!r || r->isDeleted())
        return m;
    m.setCId(r->cId());
    m.setRemindActionType(quint64(qMax<qint16>(r->remindActionType(), 0)));
    m.setRemindStartTime(r->remindDateTime());
    m.setRemindEndTime(r->remindEndTime());
    m.setRemindDateType(quint64(qMax<qint16>(r->remindDateType(), 0)));
    m.setRemindCycleType(quint64(qMax<qint16>(r->remindCycleType(), 0)));
    m.setRemindInterval(r->remindCycleInterval());
    m.setRemindStarType(quint64(qMax<qint16>(r->remindRType(), 0)));
    m.setRemindDelayTime(r->remindDelayTime());
    m.setRemindRealDateTime(r->remindRealDateTime());
    m.setRemindSpecify(r->remindCycleSpecific());
    m.setConnectWifiIds(r->connectWifiIds());
    m.setConnectWifiType(r->connectWifiType());
    m.setRemindWifiStatus(r->remindWifiStatus());
    m.setRemindWifiDateTime(r->remindWifiDateTime());
    return m;
}

bool NoteMapManager::recoverInterruptedPull(Context &ctx)
{
    return PullCrashRecovery::recoverInterruptedPull(ctx);
}
