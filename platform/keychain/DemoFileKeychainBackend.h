#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QHash>
#include <QSet>
#include <QString>

// The keychain of a demo profile, which has no keyring of its own: the items
// of the listed keys (the demo account's password, the device id) are kept in
// one file of the profile, readable by its owner only (mode 0600), so that a
// restart signs in by itself; every other item (a real account's password)
// stays in memory and is never written anywhere.
class DemoFileKeychainBackend final : public KeychainBackend
{
public:
    DemoFileKeychainBackend(const QString &file, const QSet<QString> &keptKeys);

    bool writeItem(const QString &key, const QByteArray &data) override;
    std::optional<QByteArray> readItem(const QString &key) override;
    bool deleteItem(const QString &key) override;

    QString file() const { return m_file; }

private:
    bool saveFile() const;

    QString m_file;
    QSet<QString> m_keptKeys;
    QHash<QString, QByteArray> m_kept;   // what the file holds
    QHash<QString, QByteArray> m_memory; // everything else
};
