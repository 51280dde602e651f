#pragma once

#include "service/account/KeychainTool.h"

#include <QString>

#include <functional>

class QObject;

// Saved passwords: one keychain item per account name holding
// {account name: password}. An empty account name or password never reaches
// the keychain. Answers come later, to the owner (dropped once it is gone).
class PwdManager
{
public:
    using Done = KeychainTool::Done;
    using Password = std::function<void(const QString &password)>;

    explicit PwdManager(KeychainTool &keychain);

    void savePassWord(const QString &passWord, const QString &account, const QObject *owner, Done done = {});
    // Empty when none is saved (also for an empty account name).
    void readPassWordWithKeyChain(const QString &account, const QObject *owner, Password answer);
    void deletePassWordWithKeyChain(const QString &account, const QObject *owner = nullptr, Done done = {});

private:
    KeychainTool &m_keychain;
};
