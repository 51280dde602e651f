#include "tests/support/TestStore.h"

#include "core/model/DataModel.h"
#include "core/model/MagicalRecordManager.h"
#include "platform/store/Store.h"

#include <memory>

namespace {
std::unique_ptr<Store> openStore;
} // namespace

StoreOpenResult TestStore::setupCoreData()
{
    return setupCoreDataAtPath(MagicalRecordManager::defaultStorePath());
}

StoreOpenResult TestStore::setupCoreDataAtPath(const QString &path)
{
    cleanUp();
    StoreOpenResult result;
    openStore = Store::open(path, DataModel::model(), &result);
    return result;
}

void TestStore::cleanUp()
{
    openStore.reset();
}

Store *TestStore::store()
{
    return openStore.get();
}

Context *TestStore::context()
{
    return openStore ? openStore->mainContext() : nullptr;
}
