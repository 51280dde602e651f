#include "service/account/UUIDTool.h"

#include "service/account/KeychainTool.h"

#include <QUuid>

namespace {
// The id of this process when the keychain could not keep it.
QString &processId()
{
    static QString id;
    return id;
}

QString storedId()
{
    const QVariant value = KeychainTool::load(UUIDTool::KeychainKey);
    if (value.typeId() != QMetaType::QString)
        return {};
    return value.toString();
}
} // namespace

QString UUIDTool::getUUIDInKeychain()
{
    const QString stored = storedId();
    if (!stored.isEmpty())
        return stored;

    QString id = processId();
    if (id.isEmpty())
        id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    KeychainTool::save(KeychainKey, id);
    const QString loaded = storedId();
    if (!loaded.isEmpty())
        return loaded;
    processId() = id;
    return id;
}

void UUIDTool::deleteKeyChain()
{
    KeychainTool::remove(KeychainKey);
    processId().clear();
}

void UUIDTool::resetProcessCache()
{
    processId().clear();
}
