#include "core/model/EventKeys.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"

CategoryKey EventKeys::of(const Classify *classify)
{
    if (!classify)
        return {};
    return {classify->objectId().pk, classify->classId()};
}

NoteKey EventKeys::of(const NoteDetail *note)
{
    if (!note)
        return {};
    return {note->objectId().pk, note->cId()};
}

namespace {
template <class T> T *findRow(Context &context, qint64 pk, const QString &attribute, const QString &id)
{
    if (pk > 0) {
        T *row = context.existing<T>(ObjectId{T::entity().index, pk});
        if (row && !row->isDeleted() && (id.isEmpty() || row->value(attribute).toString() == id))
            return row;
    }
    if (id.isEmpty())
        return nullptr;
    T *row = context.findFirstByAttribute<T>(attribute, id);
    return row && !row->isDeleted() ? row : nullptr;
}
} // namespace

Classify *EventKeys::find(Context &context, const CategoryKey &key)
{
    return findRow<Classify>(context, key.pk, QStringLiteral("classId"), key.classId);
}

NoteDetail *EventKeys::find(Context &context, const NoteKey &key)
{
    return findRow<NoteDetail>(context, key.pk, QStringLiteral("cId"), key.cId);
}
