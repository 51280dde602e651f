#pragma once

#include "platform/keychain/KeychainBackend.h"

// The system keychain through QtKeychain (the Secret Service on Linux). Each
// call waits for its job in a local event loop. Items are stored under the
// service name given at construction, with the key as the account.
class QtKeychainBackend final : public KeychainBackend
{
public:
    explicit QtKeychainBackend(const QString &serviceName = QStringLiteral("Prelvane"));

    bool writeItem(const QString &key, const QByteArray &data) override;
    std::optional<QByteArray> readItem(const QString &key) override;
    bool deleteItem(const QString &key) override;

    // The last job's error text (empty after success).
    QString lastError() const { return m_lastError; }

private:
    QString m_service;
    QString m_lastError;
};
