#pragma once

#include <QJsonValue>

// Reading the loosely typed values of the sync replies.
namespace SyncJson {

// A flag as the service writes it: true, a non-zero number, "true" or "1"
// (in any case, blanks around it ignored).
bool isTrue(const QJsonValue &v);

} // namespace SyncJson
