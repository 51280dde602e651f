#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

// The one reader of the service's loosely typed reply values (numbers as text,
// texts as numbers, flags in several spellings). Every conversion is checked:
// a value that does not fit reads as none, never as a wrapped or undefined number.
namespace ReplyValue {

// A flag as the service writes it: true, a non-zero number, "true" or "1"
// (in any case, blanks around it ignored).
bool isTrue(const QJsonValue &v);

// A whole number given as a JSON number or as decimal text (blanks around it
// ignored); nothing for other values, fractions and numbers outside the 64-bit range.
std::optional<qint64> toInt64(const QJsonValue &v);

// An action or type code (small whole number); -1 when the value is none.
int code(const QJsonValue &v);

// An id or version: text as it is, a whole number in decimal; empty for
// anything else (fractions, numbers outside the 64-bit range, objects).
QString idText(const QJsonValue &v);

} // namespace ReplyValue
