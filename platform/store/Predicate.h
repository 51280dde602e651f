#pragma once

#include "platform/store/EntityDescription.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class ManagedObject;

// A condition on the rows of one entity, run in SQL with bound values and, for rows
// with pending changes, on their values in memory (with the same meaning).
//
//   auto where = Predicate::equals("classId", id) && Predicate::notEquals("actionType", 3);
//   auto due = Predicate::in("remindCycleType", {1, 2}) || Predicate::isNull("remindEndTime");
//
// Values are converted to the attribute's type; one that does not convert matches no
// row (and notEquals matches every row). A null value, and for texts an empty one,
// stands for "no value": equals("content", "") finds null and empty texts alike.
// notEquals is the exact opposite of equals (rows without a value are not equal to a
// value). Comparisons (less, greater, ...) never match a row without a value.
// Relationships are compared by the target's key (equals("classify", category)).
class Predicate
{
public:
    Predicate() = default; // matches every row

    static Predicate equals(const QString &attribute, const QVariant &value);
    // A row object, not a null pointer constant: equals("sort", 0) compares with 0.
    template <class T>
    requires std::is_base_of_v<ManagedObject, T>
    static Predicate equals(const QString &relationship, const T *target)
    {
        return relatedTo(relationship, target);
    }
    static Predicate notEquals(const QString &attribute, const QVariant &value);
    static Predicate in(const QString &attribute, const QVariantList &values);
    static Predicate isNull(const QString &attribute);
    static Predicate isNotNull(const QString &attribute);
    static Predicate less(const QString &attribute, const QVariant &value);
    static Predicate lessOrEqual(const QString &attribute, const QVariant &value);
    static Predicate greater(const QString &attribute, const QVariant &value);
    static Predicate greaterOrEqual(const QString &attribute, const QVariant &value);

    Predicate operator&&(const Predicate &other) const;
    Predicate operator||(const Predicate &other) const;

    bool matchesEverything() const { return !m_node; }

    // The predicate bound to one entity: an SQL condition with its parameters and the
    // same test over a row's slot values.
    struct Parameter
    {
        QVariant value;
        AttributeType type;
    };
    struct Compiled
    {
        QString sql; // "1" when everything matches
        QList<Parameter> parameters;
        std::function<bool(const QList<QVariant> &)> test;
    };
    // nullopt (and the reason) when an attribute is unknown or cannot be compared.
    std::optional<Compiled> compile(const EntityDescription &entity, QString *error = nullptr) const;

private:
    enum class Op
    {
        Equals,
        NotEquals,
        In,
        Less,
        LessOrEqual,
        Greater,
        GreaterOrEqual,
        And,
        Or
    };
    struct Node
    {
        Op op;
        QString attribute;
        QVariantList values;
        std::shared_ptr<const Node> left, right;
    };
    static Predicate leaf(Op op, const QString &attribute, QVariantList values);
    static Predicate relatedTo(const QString &relationship, const ManagedObject *target);
    static Predicate join(Op op, const Predicate &a, const Predicate &b);
    static bool compileNode(const Node &node, const EntityDescription &entity, Compiled &out, QString *error);

    std::shared_ptr<const Node> m_node;
};
