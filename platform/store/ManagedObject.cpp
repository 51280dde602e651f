#include "platform/store/ManagedObject.h"

#include "platform/store/AttributeValue.h"
#include "platform/store/Context.h"
#include "platform/store/ContextQuery.h"
#include "platform/store/RowReader.h"
#include "platform/store/Store.h"

#include <utility>

QVariant ManagedObject::value(const QString &attribute) const
{
    const int i = m_entity->attributeIndex(attribute);
    return i < 0 ? QVariant() : m_values.at(i);
}

bool ManagedObject::setValue(const QString &attribute, const QVariant &value)
{
    const int i = m_entity->attributeIndex(attribute);
    if (i < 0 || m_deleted)
        return false;
    const auto converted = AttributeValue::convert(value, m_entity->attributes.at(i).type);
    if (!converted)
        return false;
    assignSlot(i, std::move(*converted));
    return true;
}

void ManagedObject::importValuesForKeys(const QJsonObject &values)
{
    if (m_deleted || !m_context || values.isEmpty())
        return;
    // A row made here and not saved yet is written whole by its save and is among the
    // pending rows from its creation: its values go straight into place (one copy of
    // the list up front, no change marks); only a value index a query built over the
    // pending rows must follow each change.
    QVariant *direct = m_inserted ? m_values.data() : nullptr;
    const bool indexed = direct && m_context->hasValueIndex(m_entity->index);
    const auto take = [&](int i, QVariant &&converted) {
        if (!direct) {
            assignSlot(i, std::move(converted));
            return;
        }
        // Swapped in: `converted` holds the old value from here on.
        direct[i].swap(converted);
        if (indexed)
            m_context->objectWillChange(this, i, converted);
    };
    // An object that names most attributes: each attribute is looked up by its
    // Latin-1 name (a binary search over the sorted keys, no text made). A sparse
    // one: its keys are walked, which costs one text per key.
    const QList<QByteArray> &keys = m_entity->attributeKeys;
    if (keys.size() == m_entity->attributes.size() && 2 * values.size() >= keys.size()) {
        for (int i = 0; i < keys.size(); ++i) {
            const auto it = values.constFind(QLatin1StringView(keys.at(i)));
            if (it == values.constEnd())
                continue;
            if (auto converted = AttributeValue::convert(it.value(), m_entity->attributes.at(i).type))
                take(i, std::move(*converted));
        }
        return;
    }
    for (auto it = values.begin(); it != values.end(); ++it) {
        const int i = m_entity->attributeIndex(it.key());
        if (i < 0)
            continue;
        if (auto converted = AttributeValue::convert(it.value(), m_entity->attributes.at(i).type))
            take(i, std::move(*converted));
    }
}

void ManagedObject::importValuesForKeys(const QVariantMap &values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        setValue(it.key(), it.value());
}

QVariant ManagedObject::slotValue(int slot) const
{
    return m_values.at(slot);
}

bool ManagedObject::sameValue(const QVariant &a, const QVariant &b)
{
    // Slots hold one type each: compare those directly.
    if (a.typeId() == b.typeId()) {
        switch (a.typeId()) {
        case QMetaType::QString: {
            const auto &x = *static_cast<const QString *>(a.constData());
            const auto &y = *static_cast<const QString *>(b.constData());
            return x.isNull() == y.isNull() && x == y;
        }
        case QMetaType::LongLong:
            return *static_cast<const qlonglong *>(a.constData()) ==
                   *static_cast<const qlonglong *>(b.constData());
        case QMetaType::Bool:
            return *static_cast<const bool *>(a.constData()) == *static_cast<const bool *>(b.constData());
        case QMetaType::UnknownType:
            return true;
        default:
            break;
        }
    }
    if (a.isNull() != b.isNull())
        return false;
    // A null text and an empty one compare equal as QVariants but are stored apart.
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString &&
        a.toString().isNull() != b.toString().isNull())
        return false;
    return a == b;
}

void ManagedObject::setSlotValue(int slot, const QVariant &value)
{
    if (m_deleted || !m_context)
        return;
    // Relationship slots hold the target's key or null.
    const auto converted = slot < m_entity->attributes.size()
                               ? AttributeValue::convert(value, RowReader::slotType(*m_entity, slot))
                               : std::optional<QVariant>(AttributeValue::relationshipKey(value));
    if (converted)
        assignSlot(slot, std::move(*converted));
}

void ManagedObject::assignSlot(int slot, QVariant converted)
{
    if (m_deleted || !m_context || sameValue(m_values.at(slot), converted))
        return;
    // A new row is written whole: its changed slots need no marks.
    if (!m_inserted) {
        // The stored values are kept from the first change on, so that a value set
        // back to what is stored is no change.
        if (m_stored.isEmpty())
            m_stored = m_values;
        m_dirty.setBit(slot, !sameValue(m_stored.at(slot), converted));
    }
    // Swapped in: `converted` holds the old value from here on.
    m_values[slot].swap(converted);
    m_context->objectWillChange(this, slot, converted);
    // Every slot is back at its stored value (an import that set a value and then
    // set it back): the row has nothing to save and leaves the pending ones.
    if (!m_inserted && !m_dirty.count(true))
        m_context->objectSettled(this);
}

qint16 ManagedObject::int16At(int slot) const
{
    return qint16(m_values.at(slot).toLongLong());
}

qint32 ManagedObject::int32At(int slot) const
{
    return qint32(m_values.at(slot).toLongLong());
}

qint64 ManagedObject::int64At(int slot) const
{
    return m_values.at(slot).toLongLong();
}

bool ManagedObject::boolAt(int slot) const
{
    return m_values.at(slot).toBool();
}

float ManagedObject::floatAt(int slot) const
{
    return m_values.at(slot).toFloat();
}

QString ManagedObject::textAt(int slot) const
{
    return m_values.at(slot).toString();
}

ManagedObject *ManagedObject::toOne(int relIndex) const
{
    if (!m_context)
        return nullptr;
    const Context::Relation &rel = m_context->relation(m_entity->index, relIndex);
    if (!rel.target)
        return nullptr;
    if (rel.slot >= 0) {
        const QVariant &key = m_values.at(rel.slot);
        if (key.isNull())
            return nullptr;
        ManagedObject *o = m_context->objectForKey(rel.target->index, key.toLongLong());
        return o && !o->isDeleted() ? o : nullptr;
    }
    // The key lives on the other side.
    if (rel.inverseSlot < 0)
        return nullptr;
    const QList<ManagedObject *> holders =
        ContextQuery(*m_context).query(*rel.target, rel.inverseSlot, m_pk, true);
    return holders.isEmpty() ? nullptr : holders.first();
}

void ManagedObject::setToOne(int relIndex, ManagedObject *target)
{
    if (m_deleted || !m_context)
        return;
    if (target && (target->context() != m_context || target->isDeleted())) {
        qWarning("store: a relationship can only point at a live row of the same context");
        return;
    }
    const Context::Relation &rel = m_context->relation(m_entity->index, relIndex);
    if (!rel.target)
        return;
    if (rel.slot >= 0) {
        // A one-to-one: the target's previous owner lets go of it. A row made here
        // that no row has pointed at yet has none.
        if (target && rel.inverse >= 0 && !rel.inverseToMany && !target->isUnreferencedNew()) {
            for (ManagedObject *other :
                 ContextQuery(*m_context).query(*m_entity, rel.slot, target->m_pk, false)) {
                if (other != this)
                    other->setSlotValue(rel.slot, QVariant());
            }
        }
        setSlotValue(rel.slot, target ? QVariant(qlonglong(target->m_pk)) : QVariant());
        return;
    }
    if (rel.inverseSlot < 0)
        return;
    if (!isUnreferencedNew()) {
        for (ManagedObject *holder :
             ContextQuery(*m_context).query(*rel.target, rel.inverseSlot, m_pk, false)) {
            if (holder != target)
                holder->setSlotValue(rel.inverseSlot, QVariant());
        }
    }
    if (target)
        target->setToOne(rel.inverse, this);
}

QList<ManagedObject *> ManagedObject::toMany(int relIndex) const
{
    if (!m_context || m_deleted)
        return {};
    const Context::Relation &rel = m_context->relation(m_entity->index, relIndex);
    if (!rel.target || rel.inverseSlot < 0)
        return {};
    return ContextQuery(*m_context).query(*rel.target, rel.inverseSlot, m_pk, false);
}
