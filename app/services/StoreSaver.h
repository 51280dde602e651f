#pragma once

#include <QString>

class QObject;
struct Services;

// The save that ends a user's action. A failed save (a full disk, a store that
// cannot be written) keeps its changes pending for the next one; the user is told
// here, so nothing they did passes as stored while it is not.
class StoreSaver
{
public:
    // Saves the bundle's store; on failure logs `what` with the reason, shows
    // failedText() on the anchor's window and returns false.
    static bool save(const Services &services, const QObject *anchor, const char *what);
    static QString failedText() { return QStringLiteral("保存失败，请确认磁盘空间足够后重试"); }
};
