#pragma once

#include "platform/store/ObjectId.h"

#include <QList>
#include <QString>

// Outcome of a save. A failed save wrote nothing and kept every pending change.
struct [[nodiscard]] SaveResult
{
    bool ok = true;
    QString error;
    // Rows a background save left alone because another context saved them after
    // this one read them (their newer values stay; the context now holds those).
    QList<ObjectId> skipped;

    explicit operator bool() const { return ok; }
    static SaveResult failure(const QString &message) { return {false, message, {}}; }
};
