#pragma once

#include <QString>
#include <QVariant>

// The user defaults: small persisted key/value pairs (sign-in data, version,
// Wi-Fi state). Keys are the program's own, used exactly as named.
// Backed by an INI file in the application's config folder; safe from any thread.
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
    static void sync();

    // Where the values live. Defaults to
    // <AppConfigLocation>/userdefaults.ini; tests point it into a temporary folder.
    static QString storagePath();
    static void setStoragePath(const QString &path);
};
