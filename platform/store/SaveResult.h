#pragma once

#include <QString>

// Outcome of a save. A failed save wrote nothing and kept every pending change.
struct [[nodiscard]] SaveResult
{
    bool ok = true;
    QString error;

    explicit operator bool() const { return ok; }
    static SaveResult failure(const QString &message) { return {false, message}; }
};
