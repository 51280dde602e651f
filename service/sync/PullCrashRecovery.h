#pragma once

#include <QString>

class Context;

// A pull's transaction also writes the version it applies into the current
// user's UserInfo row, and the user defaults hold that version while the
// transaction may be in flight: after a crash the two tell whether the pull
// committed.
class PullCrashRecovery
{
public:
    // User-defaults key of the version being applied (present only while a
    // pull's transaction may be in flight).
    static inline const QString ApplyingVersionKey = QStringLiteral("syncApplyingVersion");
    // After a crash during a pull: stores the version the store really holds.
    // Returns true when an interrupted pull was found.
    static bool recoverInterruptedPull(Context &ctx);
};
