#include "service/sync/PullEntryImporter.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "platform/base/Missing.h"
#include "platform/store/AttributeValue.h"
#include "platform/store/Context.h"
#include "service/api/ReplyValue.h"
#include "service/sync/CategoryDeletion.h"
#include "service/sync/PullImportIndex.h"
#include "service/sync/PullNoteEntry.h"
#include "service/sync/PullReplyKeys.h"
#include "service/sync/PullReplyReader.h"

#include <QVarLengthArray>

using namespace PullReplyKeys;

Classify *PullEntryImporter::importClassify(const QJsonObject &entry, PullImportIndex &index,
                                            bool overwritePending, QStringList *withdrawn)
{
    const QString id = ReplyValue::idText(entry.value(classId));
    if (id.isEmpty())
        return nullptr;
    const int action = ReplyValue::code(entry.value(actionType));
    Classify *c = index.classify(id);
    if (action == RowAction::Deleted) {
        // Notes with a pending change are not the service's to delete: they move
        // (a restore replaces them too, as the user asked).
        if (c && overwritePending)
            index.ctx.deleteObject(c);
        else if (c)
            CategoryDeletion::deleteCategory(index.ctx, c, withdrawn);
        return nullptr;
    }
    if (action != RowAction::Added && action != RowAction::Changed)
        return nullptr;
    if (c && !c->isSync() && !overwritePending)
        return c; // local changes wait for the push and win
    if (!c) {
        c = index.ctx.create<Classify>();
        c->setClassId(id);
        index.addClassify(c);
    }
    // The entry's own classId and actionType are the import's (set below): only
    // other values beside the detail are taken, so that a row already holding
    // the pulled values is not written.
    c->importValuesForKeys(PullReplyReader::valuesBeside(entry, classId));
    c->importValuesForKeys(entry.value(detail).toObject());
    c->setClassId(id);
    c->setIsSync(true);
    c->setActionType(RowAction::None);
    return c;
}

void PullEntryImporter::importRemind(NoteDetail *note, const QJsonValue &setting, PullImportIndex &index)
{
    if (Missing::isMissing(setting) || !setting.isObject()) {
        if (DateRemind *r = note->remind())
            index.ctx.deleteObject(r);
        return;
    }
    const QString cId = note->cId();
    DateRemind *target = note->remind();
    QVarLengthArray<DateRemind *, 4> byCId;
    index.remindsOf(cId, &byCId);
    if (!target && !byCId.isEmpty())
        target = byCId.first();
    for (DateRemind *r : std::as_const(byCId)) {
        if (r != target && !r->noteDetail())
            index.ctx.deleteObject(r); // an orphan left by an earlier import
    }
    if (!target) {
        target = index.ctx.create<DateRemind>();
        target->setCId(cId);
    }
    target->importValuesForKeys(setting.toObject());
    if (target->cId() != cId)
        target->setCId(cId);
    if (note->remind() != target)
        note->setRemind(target);
}

NoteDetail *PullEntryImporter::importNote(const PullNoteEntry &e, PullImportIndex &index,
                                          QStringList *withdrawn, bool overwritePending, bool *imported,
                                          qsizetype *slot, std::optional<qint16> *pulledSort)
{
    if (imported)
        *imported = false;
    if (slot)
        *slot = -1;
    const QString &cId = e.cId;
    if (cId.isEmpty())
        return nullptr;
    NoteDetail *note = index.note(cId, slot);
    if (e.action == RowAction::Deleted) {
        if (note) {
            if (withdrawn)
                withdrawn->append(cId);
            index.ctx.deleteObject(note);
        }
        return nullptr;
    }
    if (note && !note->isSync() && !overwritePending)
        return note; // local changes wait for the push and win
    const bool created = !note;
    if (created) {
        if (e.action != RowAction::Added && e.action != RowAction::Changed)
            return nullptr;
        note = index.ctx.create<NoteDetail>();
        note->setCId(cId);
        const qsizetype s = index.addNote(note);
        if (slot)
            *slot = s;
    }
    Classify *classify = index.classify(e.classId);
    if (e.besideDetail)
        note->importValuesForKeys(e.besideValues());
    const auto sortValue = pulledSort && !created ? e.detail.constFind(sort) : e.detail.constEnd();
    if (sortValue != e.detail.constEnd()) {
        // A value that cannot be read leaves the row's own, as the import does.
        const auto pulled = AttributeValue::convert(*sortValue, AttributeType::Int16);
        *pulledSort = pulled ? qint16(pulled->toLongLong()) : note->sort();
        QJsonObject values = e.detail;
        values.remove(sort);
        note->importValuesForKeys(values);
    } else {
        note->importValuesForKeys(e.detail);
    }
    // Setting a value a row already holds changes nothing: those setters are skipped.
    if (note->cId() != cId)
        note->setCId(cId);
    if (note->classify() != classify)
        note->setClassify(classify);
    if (!note->isSync())
        note->setIsSync(true);
    if (note->isError())
        note->setIsError(false);
    if (note->actionType() != RowAction::None)
        note->setActionType(RowAction::None);
    importRemind(note, e.remindSetting, index);
    if (withdrawn)
        withdrawn->append(cId);
    if (imported)
        *imported = true;
    return note;
}
