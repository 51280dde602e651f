#pragma once

#include "platform/store/EntityDescription.h"
#include "platform/store/ObjectId.h"

#include <QBitArray>
#include <QJsonObject>
#include <QList>
#include <QVariant>
#include <QVariantMap>

class Context;

// One row of an entity inside one context, owned by the context. When the row goes
// (deleted by this context's save, or by a merged background save, or a new row
// deleted before it was saved) the object reports isDeleted() for the rest of the
// current event: it is never returned by finders, relationships skip it, and its
// setters do nothing. Once the event has ended the context frees it (a nested event
// loop, such as a modal dialog's, ends it too). So a pointer is
// only held within one event (a function, a slot); whatever must hold a row longer
// (views, caches) keeps its objectId() and finds the row again when it uses it, with
// Context::existingObject(); a row that is gone is then not found.
class ManagedObject
{
public:
    virtual ~ManagedObject() = default;

    const EntityDescription &entity() const { return *m_entity; }
    Context *context() const { return m_context; }
    ObjectId objectId() const { return {m_entity->index, m_pk}; }

    bool isDeleted() const { return m_deleted; }
    bool isInserted() const { return m_inserted; } // made in this context, not saved yet
    bool hasChanges() const { return m_inserted || m_deleted || m_dirty.count(true) > 0; }

    // Generic access by attribute name (the typed accessors of the entity classes
    // call these). setValue converts like the import and ignores unknown names and
    // values that do not convert; it returns whether the value was taken.
    QVariant value(const QString &attribute) const;
    bool setValue(const QString &attribute, const QVariant &value);

    // Key-for-key import: every key that names an attribute sets it, converted to
    // the attribute's type; other keys (and relationship names) are ignored; a value
    // that cannot be converted is skipped. A JSON null clears a text or object
    // attribute and leaves numbers and booleans unchanged.
    void importValuesForKeys(const QJsonObject &values);
    void importValuesForKeys(const QVariantMap &values);

protected:
    ManagedObject() = default;

    QVariant slotValue(int slot) const;
    void setSlotValue(int slot, const QVariant &value);

    qint16 int16At(int slot) const;
    qint32 int32At(int slot) const;
    qint64 int64At(int slot) const;
    bool boolAt(int slot) const;
    float floatAt(int slot) const;
    QString textAt(int slot) const;
    QVariant objectAt(int slot) const { return slotValue(slot); }

    ManagedObject *toOne(int relIndex) const;
    void setToOne(int relIndex, ManagedObject *target);
    QList<ManagedObject *> toMany(int relIndex) const;

private:
    friend class Context;
    friend class ContextQuery;
    friend class ContextWriter;
    friend class ContextMerger;
    friend class ValueIndex;

    // setSlotValue for a value already in the slot's type.
    void assignSlot(int slot, QVariant converted);
    static bool sameValue(const QVariant &a, const QVariant &b);
    // Made in this context and not pointed at by any row since: nothing holds it.
    bool isUnreferencedNew() const { return m_inserted && !m_referenced; }

    const EntityDescription *m_entity = nullptr;
    Context *m_context = nullptr;
    qint64 m_pk = 0;
    qint64 m_revision = 0; // of the save that last wrote the values this object holds
    QList<QVariant> m_values;
    QList<QVariant> m_stored; // the file's values while the row has unsaved changes, else empty
    QBitArray m_dirty;
    bool m_inserted = false;
    bool m_deleted = false;
    bool m_registered = false;
    // Some row of this context has pointed at this one since it was made (kept for
    // inserted rows, which no stored row can point at).
    bool m_referenced = false;
};
