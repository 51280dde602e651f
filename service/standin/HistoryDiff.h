#pragma once

#include <QJsonArray>
#include <QString>

// What a history record shows of a text change: the common prefix, the removed
// middle (type 2), the added middle (type 1) and the common suffix, with spans
// in UTF-16 units of `content` = prefix + removed + added + suffix. A surrogate
// pair is never split.
class HistoryDiff
{
public:
    enum Type
    {
        Added = 1,
        Removed = 2,
    };

    QString content;
    QJsonArray diffItems; // {"diffType", "diffStartIndex", "diffLength"}

    static HistoryDiff between(const QString &before, const QString &after);
};
