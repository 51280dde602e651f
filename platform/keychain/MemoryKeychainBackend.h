#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QHash>
#include <QStringList>

// A keychain in memory (tests, and a demo profile without a secrets file).
// Requests take effect at once and are answered through the event loop. It
// can be told to refuse writes (a keychain that cannot store) and records
// every write and read.
class MemoryKeychainBackend final : public KeychainBackend
{
public:
    void writeItem(const QString &key, const QByteArray &data, const QObject *owner, Done done) override;
    void readItem(const QString &key, const QObject *owner, Read answer) override;
    void deleteItem(const QString &key, const QObject *owner, Done done) override;

    QHash<QString, QByteArray> items;
    QStringList writtenKeys; // every key a write was asked for, in order
    QStringList readKeys;    // every key a read was asked for, in order
    bool refuseWrites = false;
};
