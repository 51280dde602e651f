#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Secret storage for small items: one item per key (service = account = the
// key). Synchronous; main thread only. Implementations refuse an empty key
// and empty data.
class KeychainBackend
{
public:
    virtual ~KeychainBackend();

    // Replaces the item of `key`; false when it could not be stored.
    virtual bool writeItem(const QString &key, const QByteArray &data) = 0;
    // The item's data; nullopt when there is none or it cannot be read.
    virtual std::optional<QByteArray> readItem(const QString &key) = 0;
    // True when no item of `key` remains.
    virtual bool deleteItem(const QString &key) = 0;

    // The backend the program uses: the one installed, else the system
    // keychain (QtKeychainBackend), made on first use.
    static KeychainBackend *shared();
    // Installs a backend (not owned); nullptr goes back to the system one.
    static void setShared(KeychainBackend *backend);
};
