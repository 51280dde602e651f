#include "notes/categories/presenter/CategoryEdits.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/store/Context.h"

void CategoryEdits::renumber(Context *ctx, int first, const QString &skipClassId)
{
    Predicate live = Predicate::notEquals(QStringLiteral("actionType"), RowAction::Deleted);
    if (!skipClassId.isEmpty())
        live = live && Predicate::notEquals(QStringLiteral("classId"), skipClassId);
    const QList<Classify *> rows = ctx->fetch<Classify>(live, QStringLiteral("sort"));
    for (int i = 0; i < rows.size(); ++i) {
        rows[i]->setSort(qint16(first + i));
        rows[i]->setIsSync(false);
        rows[i]->setActionType(RowAction::Changed);
    }
}

void CategoryEdits::withdrawNotifications(Context *ctx, LocalNotificationManager &notifications,
                                          const Classify *category)
{
    if (!category)
        return;
    const Predicate ofCategory = Predicate::equals(QStringLiteral("classify"), category) ||
                                 Predicate::equals(QStringLiteral("classId"), category->classId());
    QStringList ids;
    for (const NoteDetail *n : ctx->fetch<NoteDetail>(ofCategory))
        if (!n->cId().isEmpty())
            ids << n->cId();
    notifications.removeScheduledNotificationWithIdentifiers(ids);
    notifications.removeDeliveredNotificationWithIdentifiers(ids);
}

Classify *CategoryEdits::find(Context *ctx, qint64 pk, const QString &classId)
{
    if (!ctx)
        return nullptr;
    if (pk > 0) {
        Classify *c = ctx->existing<Classify>(ObjectId{Classify::entity().index, pk});
        if (c && !c->isDeleted())
            return c;
    }
    return classId.isEmpty() ? nullptr
                             : ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), classId);
}
