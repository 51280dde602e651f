#pragma once

#include <QString>
#include <QVariant>

#include <functional>

class QObject;

// The user defaults: small persisted key/value pairs (sign-in data, version,
// Wi-Fi state). Keys are the program's own, used exactly as named.
// Backed by an INI file in the application's config folder; safe from any thread.
//
// Reads and writes work on the values in memory. A write is put on disk by a
// writer thread at once, never by the caller: writes that arrive while the file
// is being written join into the next one, which holds all of them, so the file
// always holds the values of one moment, in the order they were set. Each file
// write replaces the file atomically. sync() waits until everything set so far
// is on disk; so does quitting (the application's aboutToQuit and its end).
class UserDefaults
{
public:
    static QVariant value(const QString &key, const QVariant &fallback = {});
    static QString string(const QString &key);
    static bool boolValue(const QString &key);
    static qint64 integer(const QString &key);
    static bool contains(const QString &key);

    static void setValue(const QString &key, const QVariant &value);
    static void remove(const QString &key);
    // Blocks until every value set so far is on disk.
    static void sync();
    // Calls `done` once every value set so far is on disk, without blocking
    // (never from within this call). Main thread only; nothing when `context` is gone.
    static void whenWritten(const QObject *context, std::function<void()> done);

    // Where the values live. Defaults to
    // <AppConfigLocation>/userdefaults.ini; tests point it into a temporary folder.
    // A new path puts the values set so far on disk first and reads the new file.
    static QString storagePath();
    static void setStoragePath(const QString &path);
};
