// Scenes of the login window: empty, filled, the remembered accounts open,
// and the sheet a refused sign-in shows over it.

#include "app/login/LoginPresenter.h"
#include "app/shell/LoginWindow.h"
#include "app/uikit/AlertManager.h"
#include "core/model/LoginAccount.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QMessageBox>

namespace {

// One store for every login scene, holding three remembered accounts.
Context *sceneStore()
{
    static bool opened = [] {
        if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + QStringLiteral("/login-scenes.sqlite"))
                 .ok())
            return false;
        Context *ctx = TestStore::context();
        const QList<QPair<int, QString>> accounts{
            {1, QStringLiteral("13800000000")},
            {2, QStringLiteral("an@example.com")},
            {3, QStringLiteral("zhang.wei.long.account.name@example.com")}};
        for (const auto &[id, name] : accounts) {
            auto *row = ctx->create<LoginAccount>();
            row->setUserId(id);
            row->setAccount(name);
        }
        return bool(ctx->saveAndWait());
    }();
    return opened ? TestStore::context() : nullptr;
}

LoginWindow *loginWindow()
{
    Context *store = sceneStore();
    if (!store)
        qFatal("no store for the login scenes");
    auto *presenter = new LoginPresenter(sceneServices(*store->store()));
    return new LoginWindow(presenter);
}

LoginWindow *filledLoginWindow()
{
    LoginWindow *window = loginWindow();
    window->presenter()->accountEdited(QStringLiteral("an@example.com"));
    window->presenter()->passwordEdited(QStringLiteral("secret1"));
    window->presenter()->autoLoginClicked(true);
    return window;
}

} // namespace

SCREENSHOT_SCENE(login_empty)
{
    return loginWindow();
}

SCREENSHOT_SCENE(login_filled)
{
    return filledLoginWindow();
}

SCREENSHOT_SCENE(login_accounts_open)
{
    LoginWindow *window = filledLoginWindow();
    window->show();
    window->presenter()->accountListClicked();
    return window;
}

SCREENSHOT_SCENE(login_error_sheet)
{
    // The sheet is a window of its own: it is the picture, the login window its owner.
    LoginWindow *window = filledLoginWindow();
    window->show();
    QMessageBox *sheet =
        AlertManager::showAlertWithMessage(QStringLiteral("账号或密码错误"), QStringLiteral("确定"));
    sheet->setParent(window, sheet->windowFlags());
    sheet->setWindowModality(Qt::WindowModal);
    QObject::connect(sheet, &QObject::destroyed, window, &QObject::deleteLater);
    return sheet;
}
