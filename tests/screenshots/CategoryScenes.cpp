// Scenes of the category dialog (add, modify, a long name), the category
// menu, the settings popover and the update dialog.

#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "app/uikit/AlertViewController.h"
#include "core/model/Classify.h"
#include "core/model/UserInfo.h"
#include "notes/categories/presenter/CategoryDialogPresenter.h"
#include "notes/categories/presenter/CategoryMenuPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/categories/view/CategoryDialog.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QLineEdit>
#include <QListView>
#include <QMenu>

namespace {

// A store with these categories; their keys in order.
QList<CategoryKey> categoryStore(const QString &file, const QList<QPair<QString, QString>> &categories)
{
    QList<CategoryKey> keys;
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return keys;
    Context *ctx = TestStore::context();
    for (int i = 0; i < categories.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(300 + i));
        c->setName(categories.at(i).first);
        c->setBackColor(categories.at(i).second);
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    if (!ctx->saveAndWait().ok)
        return keys;
    for (const Classify *c : ctx->findAllSortedBy<Classify>("sort", true))
        keys << CategoryKey{c->objectId().pk, c->classId()};
    return keys;
}

const QList<QPair<QString, QString>> kCategories{
    {"默认", "#10b56c"}, {"工作", "#dc445b"}, {"生活", "#2b9cc6"}, {"购物清单", "#f27830"}};

CategoryDialog *dialogFor(const CategoryKey &key)
{
    return new CategoryDialog(new CategoryDialogPresenter(sceneServices(*TestStore::store()), key), nullptr);
}

} // namespace

SCREENSHOT_SCENE(category_dialog_add)
{
    if (categoryStore("category-add.sqlite", kCategories).isEmpty())
        return nullptr;
    CategoryDialog *dialog = dialogFor({});
    dialog->presenter()->setName("旅行");
    dialog->nameField()->setText("旅行");
    return dialog;
}

SCREENSHOT_SCENE(category_dialog_edit)
{
    const QList<CategoryKey> keys = categoryStore("category-edit.sqlite", kCategories);
    if (keys.size() < 2)
        return nullptr;
    return dialogFor(keys.at(1));
}

SCREENSHOT_SCENE(category_dialog_long_name)
{
    const QList<CategoryKey> keys = categoryStore(
        "category-long.sqlite", {{"一个名字非常非常长的分类用来看看输入框里会不会显示得下去", "#0b4ee7"}});
    if (keys.isEmpty())
        return nullptr;
    return dialogFor(keys.first());
}

SCREENSHOT_SCENE(category_menu)
{
    if (categoryStore("category-menu.sqlite", kCategories).isEmpty())
        return nullptr;
    auto *window = new MainWindow(sceneServices(*TestStore::store()), nullptr);
    window->resize(MainWindow::defaultSize());
    window->show();
    QListView *list = window->column()->listView();
    const QRect cell = list->visualRect(list->model()->index(1, 0));
    QMenu *menu = window->column()->openCategoryMenu(1, list->viewport()->mapToGlobal(cell.center()),
                                                     window->categoryMenuPresenter());
    if (!menu)
        return nullptr;
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    QObject::connect(menu, &QObject::destroyed, window, &QObject::deleteLater);
    return menu;
}

SCREENSHOT_SCENE(main_window_settings_popover)
{
    if (categoryStore("category-settings.sqlite", kCategories).isEmpty())
        return nullptr;
    auto *window = new MainWindow(sceneServices(*TestStore::store()), nullptr);
    window->resize(MainWindow::defaultSize());
    window->show();
    window->column()->openSettingsPopover();
    return window;
}

SCREENSHOT_SCENE(main_window_update_dialog)
{
    auto *dialog = new AlertViewController;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->text = QStringLiteral("更新说明");
    dialog->detailText =
        QStringLiteral("1. 分类可以放在最上面或最下面\n2. 修复了提醒在夏令时切换后晚一小时的问题\n"
                       "3. 同步更快，一万条便签也不卡顿");
    dialog->open();
    return dialog;
}
