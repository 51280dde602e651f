#pragma once

#include "service/api/BaseSuccessModel.h"

#include <QString>
#include <QStringList>

class Classify;
class Context;
class SyncNotesManager;

// What a single-category push reply means for the category views: applied
// (the service took it; "version" is stored), refused (with the messages to
// show) or not applied at all (another code, a malformed reply).
struct CategoryPushReply
{
    enum class Outcome
    {
        NotApplied,
        Refused,
        Accepted
    };
    Outcome outcome = Outcome::NotApplied;
    QStringList refusals;
    QString classId; // the taken result's "classId" (Accepted)
    QString version; // the reply's "version", empty when it had none

    // Applies a reply of the push engine: the whole reply through the push
    // applier (`notes`, the engine's), then the first "syncClassResult" entry is
    // taken. A reply without such an entry is a refusal without message (no row
    // may be made from it).
    static CategoryPushReply apply(const SyncNotesManager &notes, bool answered,
                                   const BaseSuccessModel &reply);
    // The row of the accepted category: found by its "classId", or made (added, with the reply's "version",
    // else the stored one); `created` tells which.
    Classify *acceptedRow(Context *ctx, bool *created = nullptr) const;
    // The refusals as one sheet text.
    QString refusalText() const { return refusals.join(QLatin1Char(';')); }
};
