#include "platform/keychain/MemoryKeychainBackend.h"

MemoryKeychainBackend::MemoryKeychainBackend()
{
    KeychainBackend::setShared(this);
}

MemoryKeychainBackend::~MemoryKeychainBackend()
{
    if (KeychainBackend::shared() == this)
        KeychainBackend::setShared(nullptr);
}

bool MemoryKeychainBackend::writeItem(const QString &key, const QByteArray &data)
{
    writtenKeys << key;
    if (key.isEmpty() || data.isEmpty() || refuseWrites)
        return false;
    items.insert(key, data);
    return true;
}

std::optional<QByteArray> MemoryKeychainBackend::readItem(const QString &key)
{
    const auto it = items.constFind(key);
    if (key.isEmpty() || it == items.constEnd())
        return std::nullopt;
    return *it;
}

bool MemoryKeychainBackend::deleteItem(const QString &key)
{
    items.remove(key);
    return true;
}
