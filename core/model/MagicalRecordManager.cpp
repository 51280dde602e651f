#include "core/model/MagicalRecordManager.h"

#include "core/model/DataModel.h"
#include "platform/store/Store.h"

#include <QStandardPaths>

#include <memory>

namespace {
std::unique_ptr<Store> openStore;
StoreOpenResult lastResult;
} // namespace

QString MagicalRecordManager::defaultStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/LoginAccount.sqlite";
}

StoreOpenResult MagicalRecordManager::setupCoreData()
{
    return setupCoreDataAtPath(defaultStorePath());
}

StoreOpenResult MagicalRecordManager::setupCoreDataAtPath(const QString &path)
{
    cleanUp();
    StoreOpenResult result;
    openStore = Store::open(path, DataModel::model(), &result);
    Store::setDefaultStore(openStore.get());
    lastResult = result;
    return result;
}

void MagicalRecordManager::cleanUp()
{
    Store::setDefaultStore(nullptr);
    openStore.reset();
}

const StoreOpenResult &MagicalRecordManager::lastSetupResult()
{
    return lastResult;
}

Store *MagicalRecordManager::store()
{
    return openStore.get();
}

Context *MagicalRecordManager::defaultContext()
{
    return openStore ? openStore->mainContext() : nullptr;
}
