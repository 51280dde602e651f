#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QString>
#include <QVariant>

#include <functional>

class QObject;

// Archived objects in the keychain, one item per key. Values are archived
// with QDataStream; an item that cannot be read back reads as an invalid
// QVariant (and a log line). Every request answers its owner later, as the
// keychain does (dropped once the owner is gone).
class KeychainTool
{
public:
    using Done = KeychainBackend::Done;
    using Loaded = std::function<void(const QVariant &value)>;

    explicit KeychainTool(KeychainBackend &keychain);

    // Replaces the item. False (nothing written, the old item kept) for an
    // empty key or a missing value (invalid, null, empty text or collection),
    // or when the keychain cannot store.
    void save(const QString &key, const QVariant &data, const QObject *owner, Done done = {});
    void load(const QString &key, const QObject *owner, Loaded loaded);
    void remove(const QString &key, const QObject *owner = nullptr, Done done = {});

    static QByteArray archive(const QVariant &value);
    // Invalid QVariant when the bytes are not an archive.
    static QVariant unarchive(const QByteArray &bytes, QString *error = nullptr);

private:
    KeychainBackend &m_keychain;
};
