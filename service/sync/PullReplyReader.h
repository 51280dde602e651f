#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QString>

#include <vector>

struct PullNoteEntry;

// Reads a pull reply's sections and checks their shape before anything is
// imported: a reply of the wrong shape applies nothing.
class PullReplyReader
{
public:
    // Whether the reply has the shape the import reads; the note entries only with `notes`.
    static bool checkShape(const QJsonObject &data, QString *error, bool notes);
    // The note entries, each read once; false (and the error) when one has the wrong shape.
    // A long list is read by a few threads at once (the reply is only read).
    static bool readNoteEntries(const QJsonObject &data, std::vector<PullNoteEntry> *out, QString *error);
    // The entries of a section ({"datas": [...]}), or nothing when it is missing.
    static bool sectionEntries(const QJsonValue &section, QString *error, const char *name,
                               QJsonArray *entries);
    // An entry's values beside its own key, its actionType and its detail (those
    // three are the import's to set).
    static QJsonObject valuesBeside(const QJsonObject &entry, QLatin1StringView keyName);
    static bool isObjectOrMissing(const QJsonValue &v);

private:
    static bool listOfObjects(const QJsonValue &section, QString *error, const char *name);
    // What is wrong with a note entry of the wrong shape.
    static QString noteEntryError(const QJsonValue &entry);
};
