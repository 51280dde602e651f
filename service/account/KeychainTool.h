#pragma once

#include <QString>
#include <QVariant>

// Archived objects in the keychain, one item per key. Values are archived
// with QDataStream; an item that cannot be read back reads as an invalid
// QVariant (and a log line).
class KeychainTool
{
public:
    // Replaces the item. False (nothing written, the old item kept) for an
    // empty key or a missing value (invalid, null, empty text or collection),
    // or when the keychain cannot store.
    static bool save(const QString &key, const QVariant &data);
    static QVariant load(const QString &key);
    static bool remove(const QString &key);

    static QByteArray archive(const QVariant &value);
    // Invalid QVariant when the bytes are not an archive.
    static QVariant unarchive(const QByteArray &bytes, QString *error = nullptr);
};
