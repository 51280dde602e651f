#pragma once

#include <QString>

// The device id: an upper-case UUID text kept in the keychain under
// "com.plv.uuid", made once per keychain.
class UUIDTool
{
public:
    static inline const QString KeychainKey = QStringLiteral("com.plv.uuid");

    // The stored id, or a new one. When the keychain cannot store, the new id
    // is still returned and kept for the rest of the process.
    static QString getUUIDInKeychain();
    static void deleteKeyChain();

    // For tests: forget the id kept for the process.
    static void resetProcessCache();
};
