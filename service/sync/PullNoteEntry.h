#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// One note entry of a pull reply as the import reads it, its keys read once.
struct PullNoteEntry
{
    QJsonObject entry;
    QJsonObject detail;
    QJsonValue remindSetting;
    QString cId;
    QString classId; // the detail's
    int action = -1;
    // The entry holds values beside its cId, actionType and detail.
    bool besideDetail = false;

    // False when the entry is not an object or its detail is neither an object nor missing
    // (what can be read is read all the same).
    bool read(const QJsonValue &value);
    // The values beside the detail; the entry's cId and actionType are the
    // import's own (a row takes the entry's cId and actionType 0).
    QJsonObject besideValues() const;
};
