#include "service/sync/SyncJson.h"

#include <QString>

bool SyncJson::isTrue(const QJsonValue &v)
{
    if (v.isBool())
        return v.toBool();
    if (v.isDouble())
        return v.toDouble() != 0;
    const QString s = v.toString().trimmed().toLower();
    return s == QLatin1String("true") || s == QLatin1String("1");
}
