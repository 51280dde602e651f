#include "platform/store/AttributeValue.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace {

std::optional<qint64> toInteger(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
        return v.toLongLong();
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (v.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(v.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
            return std::nullopt;
        return qint64(d);
    }
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qint64 n = s.toLongLong(&ok);
        if (ok)
            return n;
        const double d = s.toDouble(&ok);
        if (ok && std::isfinite(d) && d == std::floor(d) && std::fabs(d) <= 9.0e15)
            return qint64(d);
        const QString l = s.toLower();
        if (l == "true" || l == "yes")
            return 1;
        if (l == "false" || l == "no")
            return 0;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> inRange(std::optional<qint64> n, qint64 lo, qint64 hi)
{
    if (!n || *n < lo || *n > hi)
        return std::nullopt;
    return QVariant(qlonglong(*n));
}

QString numberText(double d)
{
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return QString::number(qint64(d));
    return QString::number(d, 'g', 15);
}

// An integer into an integer or boolean attribute; other types take the general
// rules on the original input.
std::optional<QVariant> integerAs(qint64 n, AttributeType type, const QVariant &input);

} // namespace

std::optional<QVariant> AttributeValue::convert(const QVariant &input, AttributeType type)
{
    // The typed setters hand values that need no conversion.
    switch (input.typeId()) {
    case QMetaType::QString:
        if (type == AttributeType::Text)
            return input;
        break;
    case QMetaType::Bool:
        if (type == AttributeType::Bool)
            return input;
        break;
    case QMetaType::Short:
        return integerAs(*static_cast<const short *>(input.constData()), type, input);
    case QMetaType::Int:
        return integerAs(*static_cast<const int *>(input.constData()), type, input);
    case QMetaType::LongLong:
        return integerAs(*static_cast<const qlonglong *>(input.constData()), type, input);
    case QMetaType::QJsonValue:
        return convert(input.toJsonValue(), type);
    default:
        break;
    }
    return convertSlow(input, type);
}

std::optional<QVariant> AttributeValue::convertSlow(const QVariant &input, AttributeType type)
{
    const bool isNull = !input.isValid() || input.isNull();
    switch (type) {
    case AttributeType::Int16:
        return isNull ? std::nullopt : inRange(toInteger(input), -32768, 32767);
    case AttributeType::Int32:
        return isNull ? std::nullopt
                      : inRange(toInteger(input), std::numeric_limits<qint32>::min(),
                                std::numeric_limits<qint32>::max());
    case AttributeType::Int64:
        return isNull ? std::nullopt
                      : inRange(toInteger(input), std::numeric_limits<qint64>::min(),
                                std::numeric_limits<qint64>::max());
    case AttributeType::Bool: {
        if (isNull)
            return std::nullopt;
        const auto n = toInteger(input);
        if (!n)
            return std::nullopt;
        return QVariant(*n != 0);
    }
    case AttributeType::Float: {
        if (isNull)
            return std::nullopt;
        bool ok = false;
        double d = 0;
        if (input.typeId() == QMetaType::QString)
            d = input.toString().trimmed().toDouble(&ok);
        else if (input.typeId() == QMetaType::Bool)
            d = input.toBool() ? 1 : 0, ok = true;
        else if (input.canConvert<double>())
            d = input.toDouble(&ok);
        if (!ok || !std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
            return std::nullopt;
        return QVariant(float(d));
    }
    case AttributeType::Text:
        if (isNull)
            return QVariant(QString());
        switch (input.typeId()) {
        case QMetaType::QString:
            return QVariant(input.toString());
        case QMetaType::QByteArray:
            return QVariant(QString::fromUtf8(input.toByteArray()));
        case QMetaType::Bool:
            return QVariant(QString(input.toBool() ? "1" : "0"));
        case QMetaType::Double:
        case QMetaType::Float:
            return QVariant(numberText(input.toDouble()));
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            return QVariant(input.toString());
        default:
            return std::nullopt;
        }
    case AttributeType::Object:
        return isNull ? QVariant() : input;
    }
    return std::nullopt;
}

namespace {

// One body for a value and for a reference into an object: reading a text through
// the reference spares a copy of it.
template <class Json> std::optional<QVariant> convertJson(const Json &input, AttributeType type)
{
    // The common pairs directly; the rest through the QVariant rules.
    switch (input.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        if (type == AttributeType::Text)
            return QVariant(QString());
        if (type == AttributeType::Object)
            return QVariant();
        return std::nullopt;
    case QJsonValue::Bool:
        if (type == AttributeType::Bool)
            return QVariant(input.toBool());
        return AttributeValue::convertSlow(QVariant(input.toBool()), type);
    case QJsonValue::Double: {
        const double d = input.toDouble();
        switch (type) {
        case AttributeType::Int16:
        case AttributeType::Int32:
        case AttributeType::Int64:
        case AttributeType::Bool:
            if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
                return std::nullopt;
            return integerAs(qint64(d), type, QVariant());
        case AttributeType::Text:
            return QVariant(numberText(d));
        default:
            return AttributeValue::convertSlow(QVariant(d), type);
        }
    }
    case QJsonValue::String:
        if (type == AttributeType::Text)
            return QVariant(input.toString());
        return AttributeValue::convertSlow(QVariant(input.toString()), type);
    case QJsonValue::Array:
    case QJsonValue::Object:
        if (type != AttributeType::Object)
            return std::nullopt;
        return input.toVariant();
    }
    return std::nullopt;
}

} // namespace

std::optional<QVariant> AttributeValue::convert(const QJsonValue &input, AttributeType type)
{
    return convertJson(input, type);
}

std::optional<QVariant> AttributeValue::convert(QJsonValueConstRef input, AttributeType type)
{
    return convertJson(input, type);
}

namespace {

std::optional<QVariant> integerAs(qint64 n, AttributeType type, const QVariant &input)
{
    switch (type) {
    case AttributeType::Int16:
        return inRange(n, -32768, 32767);
    case AttributeType::Int32:
        return inRange(n, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    case AttributeType::Int64:
        return QVariant(qlonglong(n));
    case AttributeType::Bool:
        return QVariant(n != 0);
    default:
        return input.isValid() ? AttributeValue::convertSlow(input, type)
                               : AttributeValue::convertSlow(QVariant(qlonglong(n)), type);
    }
}

} // namespace

QVariant AttributeValue::relationshipKey(const QVariant &input)
{
    if (input.isNull())
        return {};
    const qint64 key = input.toLongLong();
    return key > 0 ? QVariant(qlonglong(key)) : QVariant();
}

QVariant AttributeValue::emptyValue(AttributeType type)
{
    switch (type) {
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Int64:
        return QVariant(qlonglong(0));
    case AttributeType::Bool:
        return QVariant(false);
    case AttributeType::Float:
        return QVariant(0.0f);
    case AttributeType::Text:
        return QVariant(QString());
    case AttributeType::Object:
        return QVariant();
    }
    return {};
}

int AttributeValue::compare(const QVariant &a, const QVariant &b, AttributeType type)
{
    switch (type) {
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Int64:
    case AttributeType::Bool: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case AttributeType::Float: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case AttributeType::Text:
        return a.toString().compare(b.toString());
    case AttributeType::Object:
        return 0;
    }
    return 0;
}
