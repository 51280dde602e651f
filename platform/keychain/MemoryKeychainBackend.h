#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QHash>
#include <QStringList>

// A keychain in memory, for tests. Installs itself while it lives. It can be
// told to refuse writes (a keychain that cannot store) and records every write.
class MemoryKeychainBackend final : public KeychainBackend
{
public:
    MemoryKeychainBackend();
    ~MemoryKeychainBackend() override;

    bool writeItem(const QString &key, const QByteArray &data) override;
    std::optional<QByteArray> readItem(const QString &key) override;
    bool deleteItem(const QString &key) override;

    QHash<QString, QByteArray> items;
    QStringList writtenKeys; // every key a write was asked for, in order
    bool refuseWrites = false;
};
