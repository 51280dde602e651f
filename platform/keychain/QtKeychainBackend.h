#pragma once

#include "platform/keychain/KeychainBackend.h"

// The system keychain through QtKeychain (the Secret Service on Linux). Each
// call waits for its job in a local event loop. An item's service and account
// are both its key.
class QtKeychainBackend final : public KeychainBackend
{
public:
    QtKeychainBackend();

    bool writeItem(const QString &key, const QByteArray &data) override;
    std::optional<QByteArray> readItem(const QString &key) override;
    bool deleteItem(const QString &key) override;

    // The last job's error text (empty after success).
    QString lastError() const { return m_lastError; }

private:
    QString m_lastError;
};
