#pragma once

#include <QObject>
#include <QString>

#include <functional>

class KeychainTool;

// The device id: an upper-case UUID text kept in the keychain under
// "com.plv.uuid", made once per keychain. Answers come later, to the owner
// (dropped once it is gone).
class UUIDTool
{
public:
    static inline const QString KeychainKey = QStringLiteral("com.plv.uuid");
    using Id = std::function<void(const QString &id)>;

    explicit UUIDTool(KeychainTool &keychain);

    // The stored id, or a new one. When the keychain cannot store, the new id
    // is still given and kept for the rest of the process.
    void getUUIDInKeychain(const QObject *owner, Id answer);
    void deleteKeyChain();

private:
    KeychainTool &m_keychain;
    QObject m_steps;     // context of the steps between the keychain's answers
    QString m_processId; // the id made here, until the keychain holds it (or for good when it cannot)
};
