// Scenes of the settings window: every tab, a refused pair's sheet, the
// restore confirmation and a long password.

#include "app/services/Services.h"
#include "app/uikit/AlertManager.h"
#include "tests/support/TestStore.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/skins/SkinManager.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "settings/presenter/SyncSettingsPresenter.h"
#include "settings/view/GeneralSettingsTab.h"
#include "settings/view/SettingsWindow.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/support/TestEnv.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The settings window over a store with a profile and settings, on a tab.
SettingsWindow *settingsOn(int tab, const QString &file)
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = Context::defaultContext();
    SkinManager(*ctx).addSkinToLocal();
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    info->setSyncSettings("1,3");
    info->setLockScreenPassword("2468");
    info->setIsDefaultLockScreen(true);
    auto *set = ctx->create<UserSet>();
    set->setNoteAddPositionType(1);
    set->setNoteCompleteActionType(2);
    set->setHyperlinkDistinguish(true);
    set->setRemindTypes("1,2");
    set->setRemindSoundName("门铃声音2");
    set->setRemindSoundPath("门铃声音2.mp3");
    set->setImportantRemindInterval(10);
    set->setWifiSilenceRemindInterval(8);
    if (!ctx->saveAndWait().ok)
        return nullptr;
    auto *window = new SettingsWindow(sceneServices(*TestStore::store()), nullptr);
    window->setWindowModality(Qt::NonModal);
    window->showTab(tab);
    return window;
}

// A sheet over the settings window: the sheet is the picture.
QMessageBox *sheetOver(SettingsWindow *window, const QString &text, bool withCancel)
{
    window->show();
    QMessageBox *sheet = AlertManager::showAlertWithMessage(text, QStringLiteral("确定"));
    if (withCancel) {
        sheet->setIcon(QMessageBox::Warning);
        sheet->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    }
    sheet->setParent(window, sheet->windowFlags());
    sheet->setWindowModality(Qt::WindowModal);
    QObject::connect(sheet, &QObject::destroyed, window, &QObject::deleteLater);
    return sheet;
}

} // namespace

SCREENSHOT_SCENE(settings_account_placeholder)
{
    return settingsOn(SettingsWindowPresenter::AccountTab, "settings-account.sqlite");
}

SCREENSHOT_SCENE(settings_sync)
{
    return settingsOn(SettingsWindowPresenter::SyncTab, "settings-sync.sqlite");
}

SCREENSHOT_SCENE(settings_general)
{
    return settingsOn(SettingsWindowPresenter::GeneralTab, "settings-general.sqlite");
}

SCREENSHOT_SCENE(settings_general_long_password)
{
    SettingsWindow *window = settingsOn(SettingsWindowPresenter::GeneralTab, "settings-general-long.sqlite");
    if (!window)
        return nullptr;
    window->generalTab()->passwordField()->setText(QStringLiteral("12345678901234567890123456789012"));
    window->generalTab()->savePasswordButton()->setEnabled(true);
    return window;
}

SCREENSHOT_SCENE(settings_reminder)
{
    return settingsOn(SettingsWindowPresenter::RemindTab, "settings-reminder.sqlite");
}

SCREENSHOT_SCENE(settings_email_push_placeholder)
{
    return settingsOn(SettingsWindowPresenter::PushTab, "settings-push.sqlite");
}

SCREENSHOT_SCENE(settings_skin)
{
    return settingsOn(SettingsWindowPresenter::SkinTab, "settings-skin.sqlite");
}

SCREENSHOT_SCENE(settings_about)
{
    return settingsOn(SettingsWindowPresenter::AboutTab, "settings-about.sqlite");
}

SCREENSHOT_SCENE(settings_refused_pair_sheet)
{
    SettingsWindow *window = settingsOn(SettingsWindowPresenter::GeneralTab, "settings-refused.sqlite");
    return window ? sheetOver(window, GeneralSettingsPresenter::BothTopText, false) : nullptr;
}

SCREENSHOT_SCENE(settings_restore_confirmation)
{
    SettingsWindow *window = settingsOn(SettingsWindowPresenter::SyncTab, "settings-restore.sqlite");
    return window ? sheetOver(window, SyncSettingsPresenter::RestoreQuestion, true) : nullptr;
}
