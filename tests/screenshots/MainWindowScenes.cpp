// Scenes of the main window: categories, long names, and locked.

#include "app/mainwindow/views/CategoryColumnView.h"
#include "app/mainwindow/views/MainWindow.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/MagicalRecordManager.h"
#include "core/model/UserInfo.h"
#include "platform/base/AppEvents.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"

namespace {

Context *mainStore(const QString &file, const QStringList &names, bool locked)
{
    if (!MagicalRecordManager::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = Context::defaultContext();
    const QStringList colors{"#10b56c", "#dc445b", "#2b9cc6", "#f27830", "#52398a"};
    for (int i = 0; i < names.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(100 + i));
        c->setName(names.at(i));
        c->setBackColor(colors.at(i % colors.size()));
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    info->setLockScreenPassword(locked ? "1234" : "");
    info->setIsDefaultLockScreen(locked);
    return ctx->saveAndWait().ok ? ctx : nullptr;
}

MainWindow *mainWindow(const QString &file, const QStringList &names, bool locked)
{
    if (!mainStore(file, names, locked))
        return nullptr;
    auto *w = new MainWindow(Services::program(), nullptr);
    w->resize(MainWindow::defaultSize());
    if (locked)
        w->showLock();
    return w;
}

} // namespace

SCREENSHOT_SCENE(main_window_categories)
{
    return mainWindow("main-demo.sqlite", {"默认", "工作", "生活", "购物清单", "读书"}, false);
}

SCREENSHOT_SCENE(main_window_empty)
{
    return mainWindow("main-empty.sqlite", {}, false);
}

SCREENSHOT_SCENE(main_window_long_names)
{
    return mainWindow("main-long.sqlite",
                      {"一个名字非常非常长的分类用来看看会不会被截断", "工作", "Quarterly planning and reviews 2026"},
                      false);
}

SCREENSHOT_SCENE(main_window_locked)
{
    return mainWindow("main-locked.sqlite", {"默认", "工作"}, true);
}
