#pragma once

#include <QString>

// Saved passwords: one keychain item per account name holding
// {account name: password}. An empty account name or password never reaches
// the keychain.
class PwdManager
{
public:
    static bool savePassWord(const QString &passWord, const QString &account);
    // Empty when none is saved (also for an empty account name).
    static QString readPassWordWithKeyChain(const QString &account);
    static void deletePassWordWithKeyChain(const QString &account);
};
