#include "service/api/ReplyValue.h"

#include <cmath>
#include <limits>

bool ReplyValue::isTrue(const QJsonValue &v)
{
    if (v.isBool())
        return v.toBool();
    if (v.isDouble())
        return v.toDouble() != 0;
    const QString s = v.toString().trimmed().toLower();
    return s == QLatin1String("true") || s == QLatin1String("1");
}

std::optional<qint64> ReplyValue::toInt64(const QJsonValue &v)
{
    if (v.isDouble()) {
        const double d = v.toDouble();
        // 2^63 is the first double above the range; converting it or NaN is undefined.
        constexpr double limit = 9223372036854775808.0;
        if (!std::isfinite(d) || d >= limit || d < -limit || std::trunc(d) != d)
            return std::nullopt;
        return qint64(d);
    }
    if (!v.isString())
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

int ReplyValue::code(const QJsonValue &v)
{
    if (v.isString()) {
        // The service writes one digit; anything else goes the general way.
        const QString text = v.toString();
        if (text.size() == 1 && text.front().unicode() >= '0' && text.front().unicode() <= '9')
            return text.front().unicode() - '0';
    }
    const std::optional<qint64> n = toInt64(v);
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max())
        return -1;
    return int(*n);
}

QString ReplyValue::idText(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble()) {
        const std::optional<qint64> n = toInt64(v);
        return n ? QString::number(*n) : QString();
    }
    return {};
}
