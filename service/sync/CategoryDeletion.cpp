#include "service/sync/CategoryDeletion.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "core/operations/NoteId.h"
#include "platform/store/Context.h"

namespace {

bool hasPendingChange(const NoteDetail *n)
{
    return !n->isDeleted() && !n->isSync() && n->actionType() != RowAction::Deleted;
}

bool isLive(const Classify *c, const QSet<QString> &gone)
{
    return !c->isDeleted() && c->actionType() != RowAction::Deleted && !gone.contains(c->classId());
}

Classify *defaultCategory(Context &ctx, const QSet<QString> &gone)
{
    const QList<Classify *> live = ctx.findAllSortedBy<Classify>(
        QStringLiteral("sort"), true, [&gone](const Classify *c) { return isLive(c, gone); });
    if (!live.isEmpty())
        return live.first();
    auto *c = ctx.create<Classify>();
    c->setClassId(NoteId::getClientId());
    c->setName(CategoryDeletion::defaultName());
    c->setBackColor(CategoryDeletion::defaultColor());
    c->setSort(1);
    c->setActionType(RowAction::Added);
    c->setIsSync(false);
    return c;
}

void moveTo(NoteDetail *note, Classify *target, QStringList *withdrawn)
{
    // The service deleted the note with its category: it goes out as a new one.
    if (!note->cId().contains(QLatin1Char('c'))) {
        if (withdrawn)
            withdrawn->append(note->cId());
        note->setCId(NoteId::getClientId());
        if (DateRemind *r = note->remind())
            r->setCId(note->cId());
    }
    NoteDetail *last = nullptr;
    for (NoteDetail *o : target->notes()) {
        if (o != note && !o->isDeleted() && o->actionType() != RowAction::Deleted &&
            (!last || o->sort() >= last->sort()))
            last = o;
    }
    if (last) {
        // Its new link goes with the next push.
        last->setNextId(note->cId());
        last->setIsSync(false);
        if (last->actionType() == RowAction::None && !last->isCompleted())
            last->setActionType(RowAction::Changed);
    }
    note->setClassify(target);
    note->setClassId(target->classId());
    note->setSort(qint16(last ? last->sort() + 1 : 1));
    note->setNextId(QStringLiteral("-1"));
    note->setActionType(RowAction::Added);
    note->setIsSync(false);
}

} // namespace

void CategoryDeletion::deleteCategory(Context &ctx, Classify *category, QStringList *withdrawn)
{
    const QSet<QString> gone{category->classId()};
    for (NoteDetail *n : category->notes()) {
        if (hasPendingChange(n))
            moveTo(n, defaultCategory(ctx, gone), withdrawn);
        else if (withdrawn)
            withdrawn->append(n->cId());
    }
    ctx.deleteObject(category);
}

bool CategoryDeletion::rescue(Context &ctx, NoteDetail *note, const QSet<QString> &goneClassIds,
                              QStringList *withdrawn)
{
    if (!hasPendingChange(note))
        return false;
    QSet<QString> gone = goneClassIds;
    gone.insert(note->classId());
    moveTo(note, defaultCategory(ctx, gone), withdrawn);
    return true;
}
