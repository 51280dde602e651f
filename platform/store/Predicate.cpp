#include "platform/store/Predicate.h"

#include "platform/store/AttributeValue.h"
#include "platform/store/ManagedObject.h"
#include "platform/store/SqliteConnection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace {

bool isNone(const QVariant &v, bool text)
{
    return !v.isValid() || v.isNull() || (text && v.toString().isEmpty());
}

// What SQL holds as NULL (an empty text is a value to comparisons).
bool holdsNull(const QVariant &v, bool text)
{
    return !v.isValid() || v.isNull() || (text && v.toString().isNull());
}

// Both values present: texts compare by code points, booleans as 0 and 1, like SQLite.
int compareValues(const QVariant &a, const QVariant &b, AttributeType type)
{
    return AttributeValue::compare(a, b, type);
}

// One text per distinct value of a slot's type, for sets of values.
QString keyOf(const QVariant &v, AttributeType type)
{
    switch (type) {
    case AttributeType::Text:
        return v.toString();
    case AttributeType::Float:
        return QString::number(v.toDouble(), 'g', 17);
    default:
        return QString::number(v.toLongLong());
    }
}

} // namespace

Predicate Predicate::leaf(Op op, const QString &attribute, QVariantList values)
{
    Predicate p;
    p.m_node = std::make_shared<const Node>(Node{op, attribute, std::move(values), nullptr, nullptr});
    return p;
}

Predicate Predicate::join(Op op, const Predicate &a, const Predicate &b)
{
    if (a.matchesEverything())
        return op == Op::And ? b : a;
    if (b.matchesEverything())
        return op == Op::And ? a : b;
    Predicate p;
    p.m_node = std::make_shared<const Node>(Node{op, {}, {}, a.m_node, b.m_node});
    return p;
}

Predicate Predicate::equals(const QString &attribute, const QVariant &value)
{
    return leaf(Op::Equals, attribute, {value});
}

Predicate Predicate::relatedTo(const QString &relationship, const ManagedObject *target)
{
    return leaf(Op::Equals, relationship,
                {target && !target->isDeleted() ? QVariant(qlonglong(target->objectId().pk)) : QVariant()});
}

Predicate Predicate::notEquals(const QString &attribute, const QVariant &value)
{
    return leaf(Op::NotEquals, attribute, {value});
}

Predicate Predicate::in(const QString &attribute, const QVariantList &values)
{
    return leaf(Op::In, attribute, values);
}

Predicate Predicate::isNull(const QString &attribute)
{
    return leaf(Op::Equals, attribute, {QVariant()});
}

Predicate Predicate::isNotNull(const QString &attribute)
{
    return leaf(Op::NotEquals, attribute, {QVariant()});
}

Predicate Predicate::less(const QString &attribute, const QVariant &value)
{
    return leaf(Op::Less, attribute, {value});
}

Predicate Predicate::lessOrEqual(const QString &attribute, const QVariant &value)
{
    return leaf(Op::LessOrEqual, attribute, {value});
}

Predicate Predicate::greater(const QString &attribute, const QVariant &value)
{
    return leaf(Op::Greater, attribute, {value});
}

Predicate Predicate::greaterOrEqual(const QString &attribute, const QVariant &value)
{
    return leaf(Op::GreaterOrEqual, attribute, {value});
}

Predicate Predicate::operator&&(const Predicate &other) const
{
    return join(Op::And, *this, other);
}

Predicate Predicate::operator||(const Predicate &other) const
{
    return join(Op::Or, *this, other);
}

std::optional<Predicate::Compiled> Predicate::compile(const EntityDescription &entity, QString *error) const
{
    Compiled out;
    if (!m_node) {
        out.sql = QStringLiteral("1");
        out.test = [](const QList<QVariant> &) { return true; };
        return out;
    }
    if (!compileNode(*m_node, entity, out, error))
        return std::nullopt;
    return out;
}

bool Predicate::compileNode(const Node &node, const EntityDescription &entity, Compiled &out, QString *error)
{
    if (node.op == Op::And || node.op == Op::Or) {
        Compiled a, b;
        if (!compileNode(*node.left, entity, a, error) || !compileNode(*node.right, entity, b, error))
            return false;
        const bool both = node.op == Op::And;
        out.sql = "(" + a.sql + (both ? " AND " : " OR ") + b.sql + ")";
        out.parameters = a.parameters + b.parameters;
        out.test = [both, ta = std::move(a.test), tb = std::move(b.test)](const QList<QVariant> &v) {
            return both ? ta(v) && tb(v) : ta(v) || tb(v);
        };
        return true;
    }

    const int slot = entity.slotOfName(node.attribute);
    if (slot < 0) {
        if (error)
            *error = entity.name + " has no attribute " + node.attribute;
        return false;
    }
    const bool relationship = slot >= entity.attributes.size();
    const AttributeType type = relationship ? AttributeType::Int64 : entity.attributes.at(slot).type;
    if (type == AttributeType::Object) {
        if (error)
            *error = entity.name + "." + node.attribute + " cannot be compared";
        return false;
    }
    const bool text = type == AttributeType::Text;
    const QString column = SqliteConnection::quoted(entity.slotColumn(slot));
    // Older files hold 0 for a relationship never set; a text may be NULL or ''.
    const QString noneSql = relationship ? "(" + column + " IS NULL OR " + column + " = 0)"
                            : text       ? "(" + column + " IS NULL OR " + column + " = '')"
                                         : column + " IS NULL";

    // The values in the slot's type; nullopt for one that does not convert.
    auto convert = [&](const QVariant &v) -> std::optional<QVariant> {
        if (relationship)
            return AttributeValue::relationshipKey(v);
        if (!v.isValid() || v.isNull())
            return QVariant();
        return AttributeValue::convert(v, type);
    };

    switch (node.op) {
    case Op::Equals:
    case Op::NotEquals: {
        const bool negate = node.op == Op::NotEquals;
        const std::optional<QVariant> value = convert(node.values.value(0));
        if (!value) {
            out.sql = negate ? QStringLiteral("1") : QStringLiteral("0");
            out.test = [negate](const QList<QVariant> &) { return negate; };
            return true;
        }
        if (isNone(*value, text)) {
            out.sql = negate ? "NOT " + noneSql : noneSql;
            out.test = [slot, text, negate](const QList<QVariant> &v) {
                return isNone(v.at(slot), text) != negate;
            };
            return true;
        }
        out.sql = negate ? "(" + column + " IS NULL OR " + column + " <> ?)" : column + " = ?";
        out.parameters.append({*value, type});
        out.test = [slot, text, negate, type, value = *value](const QList<QVariant> &v) {
            const QVariant &x = v.at(slot);
            const bool equal = !isNone(x, text) && compareValues(x, value, type) == 0;
            return equal != negate;
        };
        return true;
    }
    case Op::In: {
        QList<QVariant> values;
        bool none = false;
        QSet<QString> keys;
        for (const QVariant &v : node.values) {
            const std::optional<QVariant> c = convert(v);
            if (!c)
                continue;
            if (isNone(*c, text)) {
                none = true;
                continue;
            }
            values.append(*c);
            keys.insert(keyOf(*c, type));
        }
        // One parameter for any number of values: a JSON array.
        QString json;
        if (text) {
            QJsonArray array;
            for (const QVariant &v : values)
                array.append(v.toString());
            json = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
        } else {
            QStringList numbers;
            for (const QVariant &v : values)
                numbers << keyOf(v, type);
            json = "[" + numbers.join(',') + "]";
        }
        QStringList parts;
        if (!values.isEmpty()) {
            parts << column + " IN (SELECT value FROM json_each(?))";
            out.parameters.append({json, AttributeType::Text});
        }
        if (none)
            parts << noneSql;
        out.sql = parts.isEmpty() ? QStringLiteral("0") : "(" + parts.join(" OR ") + ")";
        out.test = [slot, text, none, type, keys](const QList<QVariant> &v) {
            const QVariant &x = v.at(slot);
            if (isNone(x, text))
                return none;
            return keys.contains(keyOf(x, type));
        };
        return true;
    }
    case Op::Less:
    case Op::LessOrEqual:
    case Op::Greater:
    case Op::GreaterOrEqual: {
        const std::optional<QVariant> value = convert(node.values.value(0));
        if (!value || holdsNull(*value, text)) {
            out.sql = QStringLiteral("0");
            out.test = [](const QList<QVariant> &) { return false; };
            return true;
        }
        const Op op = node.op;
        const char *sqlOp = op == Op::Less          ? " < ?"
                            : op == Op::LessOrEqual ? " <= ?"
                            : op == Op::Greater     ? " > ?"
                                                    : " >= ?";
        out.sql = column + sqlOp;
        out.parameters.append({*value, type});
        out.test = [slot, op, type, text, value = *value](const QList<QVariant> &v) {
            const QVariant &x = v.at(slot);
            if (holdsNull(x, text))
                return false;
            const int c = compareValues(x, value, type);
            return op == Op::Less          ? c < 0
                   : op == Op::LessOrEqual ? c <= 0
                   : op == Op::Greater     ? c > 0
                                           : c >= 0;
        };
        return true;
    }
    case Op::And:
    case Op::Or:
        break;
    }
    return false;
}
