#include "service/account/PwdManager.h"

#include "service/account/KeychainTool.h"

#include <QVariantMap>

bool PwdManager::savePassWord(const QString &passWord, const QString &account)
{
    if (account.isEmpty() || passWord.isEmpty())
        return false;
    return KeychainTool::save(account, QVariantMap{{account, passWord}});
}

QString PwdManager::readPassWordWithKeyChain(const QString &account)
{
    if (account.isEmpty())
        return {};
    const QVariant value = KeychainTool::load(account);
    if (value.typeId() != QMetaType::QVariantMap)
        return {};
    return value.toMap().value(account).toString();
}

void PwdManager::deletePassWordWithKeyChain(const QString &account)
{
    if (account.isEmpty())
        return;
    KeychainTool::remove(account);
}
