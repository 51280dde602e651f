#include "tests/screenshots/SceneServices.h"

#include "core/model/DataModel.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <memory>
#include <vector>

const Services &sceneServices(Store &store, AppEvents *events)
{
    static std::vector<std::unique_ptr<TestGraph>> graphs;
    graphs.push_back(std::make_unique<TestGraph>(ProgramServices::Parts().use(&store).use(events)));
    return graphs.back()->services();
}

Store &emptySceneStore()
{
    static std::unique_ptr<Store> store =
        Store::open(TestEnv::rootFolder() + QStringLiteral("/empty-scenes.sqlite"), DataModel::model());
    if (!store)
        qFatal("no store for the scenes");
    return *store;
}
