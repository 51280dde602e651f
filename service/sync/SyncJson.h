#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

// Reading the loosely typed values of the sync replies.
namespace SyncJson {

// A flag as the service writes it: true, a non-zero number, "true" or "1"
// (in any case, blanks around it ignored).
bool isTrue(const QJsonValue &v);

// A whole number given as a JSON number or as decimal text; nothing for other
// values, fractions and numbers outside the 64-bit range.
std::optional<qint64> toInt64(const QJsonValue &v);

// An action or type code (small whole number); -1 when the value is none.
int code(const QJsonValue &v);

// An id or version: text as it is, a whole number in decimal; empty for
// anything else (fractions, numbers outside the 64-bit range, objects).
QString idText(const QJsonValue &v);

} // namespace SyncJson
