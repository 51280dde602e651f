#pragma once

#include <QString>

class NoteSyncHandlers;
struct StandinState;

// The stand-in's state in one JSON file, so that a demo keeps its accounts,
// categories and notes between runs. Written whole through a temporary file
// (a crash mid-write leaves the previous state).
namespace StandinStateFile {
// False (with the reason) when the file cannot be written.
bool save(const QString &file, const StandinState &state, NoteSyncHandlers &notes, QString *error = nullptr);
// Replaces the state by the file's; false (with the reason, the state left
// untouched) when it is missing or unreadable.
bool load(const QString &file, StandinState &state, NoteSyncHandlers &notes, QString *error = nullptr);
} // namespace StandinStateFile
