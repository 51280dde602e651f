#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QHash>
#include <QSet>
#include <QString>

// The keychain of a demo profile, which has no keyring of its own: the items
// of the listed keys (the demo account's password, the device id) are kept in
// one file of the profile, readable by its owner only (mode 0600), so that a
// restart signs in by itself; every other item (a real account's password)
// stays in memory and is never written anywhere. Requests take effect at
// once and are answered through the event loop.
class DemoFileKeychainBackend final : public KeychainBackend
{
public:
    DemoFileKeychainBackend(const QString &file, const QSet<QString> &keptKeys);

    void writeItem(const QString &key, const QByteArray &data, const QObject *owner, Done done) override;
    void readItem(const QString &key, const QObject *owner, Read answer) override;
    void deleteItem(const QString &key, const QObject *owner, Done done) override;

    QString file() const { return m_file; }

private:
    bool write(const QString &key, const QByteArray &data);
    std::optional<QByteArray> read(const QString &key) const;
    bool remove(const QString &key);
    bool saveFile() const;

    QString m_file;
    QSet<QString> m_keptKeys;
    QHash<QString, QByteArray> m_kept;   // what the file holds
    QHash<QString, QByteArray> m_memory; // everything else
};
