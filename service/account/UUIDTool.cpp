#include "service/account/UUIDTool.h"

#include "service/account/KeychainTool.h"

#include <QPointer>
#include <QUuid>

namespace {
QString idOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}
} // namespace

UUIDTool::UUIDTool(KeychainTool &keychain) : m_keychain(keychain) {}

void UUIDTool::getUUIDInKeychain(const QObject *owner, Id answer)
{
    if (!owner)
        return;
    QPointer<QObject> caller = const_cast<QObject *>(owner);
    auto reply = [caller, answer = std::move(answer)](const QString &id) {
        if (caller && answer)
            answer(id);
    };
    m_keychain.load(KeychainKey, &m_steps, [this, reply](const QVariant &value) {
        const QString stored = idOf(value);
        if (!stored.isEmpty()) {
            reply(stored);
            return;
        }
        // One new id for every request that finds none, until one is stored.
        if (m_processId.isEmpty())
            m_processId = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        m_keychain.save(KeychainKey, m_processId, &m_steps, [this, reply](bool) {
            m_keychain.load(KeychainKey, &m_steps, [this, reply](const QVariant &again) {
                const QString loaded = idOf(again);
                reply(loaded.isEmpty() ? m_processId : loaded);
            });
        });
    });
}

void UUIDTool::deleteKeyChain()
{
    m_keychain.remove(KeychainKey);
    m_processId.clear();
}
