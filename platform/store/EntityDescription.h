#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class ManagedObject;

// Storage types of entity attributes. Integers are signed; float is 32-bit.
// Object attributes hold any QVariant and reach the file through a transformer.
enum class AttributeType
{
    Int16,
    Int32,
    Int64,
    Bool,
    Float,
    Text,
    Object
};

struct ValueTransformer
{
    std::function<QByteArray(const QVariant &)> toData;
    std::function<QVariant(const QByteArray &)> fromData;
};

struct AttributeDef
{
    QString name;
    AttributeType type = AttributeType::Text;
    bool indexed = false;         // looked up by value often: gets an SQL index
    ValueTransformer transformer; // Object attributes only
};

enum class DeleteRule
{
    Nullify,
    Cascade
};

// A relationship. A to-one relationship that is "stored" keeps the target's key in
// a column of this entity; the other side (to-many, or the inverse to-one) is
// computed from that column, so both ends can never disagree.
struct RelationshipDef
{
    QString name;
    QString target;
    QString inverse;
    bool toMany = false;
    bool stored = false;
    DeleteRule deleteRule = DeleteRule::Nullify;
};

// One entity: its table, its attributes and relationships, and a factory for
// the C++ class that represents its rows.
class EntityDescription
{
public:
    QString name;
    QList<AttributeDef> attributes;
    QList<RelationshipDef> relationships;
    std::function<ManagedObject *()> factory;

    int attributeIndex(const QString &attr) const;
    int relationshipIndex(const QString &rel) const;
    // Value slots of an object: every attribute, then one per stored to-one relationship.
    int slotCount() const;
    int slotOfRelationship(int relIndex) const; // -1 when not stored
    QString slotColumn(int slot) const;
    int slotOfName(const QString &name) const; // attribute or stored relationship; -1 when none

    int index = -1; // position in the model, set by Model
    // The attribute names in Latin-1, set by Model: imports look keys up by them
    // without making a text per key.
    QList<QByteArray> attributeKeys;
};
