#include "service/account/PwdManager.h"

#include <QVariantMap>

PwdManager::PwdManager(KeychainTool &keychain) : m_keychain(keychain) {}

void PwdManager::savePassWord(const QString &passWord, const QString &account, const QObject *owner,
                              Done done)
{
    if (account.isEmpty() || passWord.isEmpty()) {
        KeychainBackend::answerLater(owner, [done = std::move(done)] {
            if (done)
                done(false);
        });
        return;
    }
    m_keychain.save(account, QVariantMap{{account, passWord}}, owner, std::move(done));
}

void PwdManager::readPassWordWithKeyChain(const QString &account, const QObject *owner, Password answer)
{
    if (account.isEmpty()) {
        KeychainBackend::answerLater(owner, [answer = std::move(answer)] {
            if (answer)
                answer(QString());
        });
        return;
    }
    m_keychain.load(account, owner, [account, answer = std::move(answer)](const QVariant &value) {
        if (!answer)
            return;
        answer(value.typeId() == QMetaType::QVariantMap ? value.toMap().value(account).toString()
                                                        : QString());
    });
}

void PwdManager::deletePassWordWithKeyChain(const QString &account, const QObject *owner, Done done)
{
    if (account.isEmpty()) {
        KeychainBackend::answerLater(owner, [done = std::move(done)] {
            if (done)
                done(false);
        });
        return;
    }
    m_keychain.remove(account, owner, std::move(done));
}
