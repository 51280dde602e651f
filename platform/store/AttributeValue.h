#pragma once

#include "platform/store/EntityDescription.h"

#include <QJsonValue>
#include <QVariant>

#include <optional>

// Conversion of loose input (service JSON: numbers as text, texts as numbers,
// booleans as numbers) into an attribute's type. nullopt means "cannot convert":
// the caller leaves the attribute unchanged.
class AttributeValue
{
public:
    static std::optional<QVariant> convert(const QVariant &input, AttributeType type);
    static std::optional<QVariant> convert(const QJsonValue &input, AttributeType type);
    static std::optional<QVariant> convert(QJsonValueConstRef input, AttributeType type);
    // convert() without the shortcuts for values already in an attribute's type.
    static std::optional<QVariant> convertSlow(const QVariant &input, AttributeType type);
    // A relationship slot's value: the target's key, or null for none. Keys start at
    // 1, so 0 (what older files hold for a relationship never set) is none as well.
    static QVariant relationshipKey(const QVariant &input);
    // The value an unset attribute reads as: 0 / false / null text / invalid.
    static QVariant emptyValue(AttributeType type);
    // Ordering used by sorted fetches (numbers numerically, texts by code points).
    static int compare(const QVariant &a, const QVariant &b, AttributeType type);
};
