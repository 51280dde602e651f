// Scenes of the settings window: every tab, a refused pair's sheet, the
// restore confirmation and a long password; the account tab bound and
// unbound with its nickname sheet, the push tab with long addresses and both
// proof overlays.

#include "app/services/Services.h"
#include "app/uikit/AlertManager.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/skins/SkinManager.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/presenter/PushProofPresenter.h"
#include "settings/presenter/PushSettingsPresenter.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "settings/presenter/SyncSettingsPresenter.h"
#include "settings/view/AccountSettingsTab.h"
#include "settings/view/GeneralSettingsTab.h"
#include "settings/view/NickNameSheet.h"
#include "settings/view/PushProofOverlay.h"
#include "settings/view/PushSettingsTab.h"
#include "settings/view/SettingsWindow.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QLineEdit>

#include <QMessageBox>
#include <QPushButton>
#include <functional>

namespace {

// The settings window over a store with a profile and settings, on a tab.
SettingsWindow *settingsOn(int tab, const QString &file,
                           const std::function<void(UserInfo *, UserSet *)> &fill = {})
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
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
    info->setAccount("xiaoming2026");
    if (fill)
        fill(info, set);
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

void bound(UserInfo *info, UserSet *)
{
    info->setValue("isOAuthWeChat", true);
    info->setValue("isOAuthQQ", true);
    info->setValue("isOpenWeChatReminder", true);
    info->setValue("mobile", "13800005678");
    info->setValue("mobileBindStatus", 1);
    info->setValue("email", "xiaoming.zhang.reminders@example-company.com.cn");
    info->setValue("emailBindStatus", 1);
}

void pushFilled(UserInfo *info, UserSet *set)
{
    info->setValue("mobile", "13800005678");
    set->setValue("timerPushCycle", 1);
    set->setValue("timerPushCycleTime", "08:30");
    set->setValue("timerPushCTypes", "2");
    set->setValue("timerPushEmail", "xiaoming.zhang.weekly.digest.of.notes@example-company.com.cn");
    set->setValue("pushEmailCount", 128);
}

// The push tab's overlay for a proof of this type, the countdown running for a code.
SettingsWindow *proofScene(PushProofPresenter::Type type, const QString &file)
{
    SettingsWindow *window =
        settingsOn(SettingsWindowPresenter::PushTab, file, [type](UserInfo *info, UserSet *set) {
            pushFilled(info, set);
            if (type == PushProofPresenter::Password)
                info->setValue("mobile", "");
        });
    if (!window)
        return nullptr;
    window->show();
    PushSettingsTab *tab = window->pushTab();
    tab->digestConfirm()->click();
    if (!tab->overlay())
        return nullptr;
    if (type == PushProofPresenter::TextCode) {
        tab->overlay()->presenter()->codeAnswered(200);
        tab->overlay()->field()->setText(QStringLiteral("3859"));
    }
    return window;
}

// Every tab as it opens, each over a store of its own.
const bool tabScenesAdded = [] {
    const struct
    {
        const char *name;
        int tab;
    } tabs[] = {
        {"settings_account_unbound", SettingsWindowPresenter::AccountTab},
        {"settings_sync", SettingsWindowPresenter::SyncTab},
        {"settings_general", SettingsWindowPresenter::GeneralTab},
        {"settings_reminder", SettingsWindowPresenter::RemindTab},
        {"settings_skin", SettingsWindowPresenter::SkinTab},
        {"settings_about", SettingsWindowPresenter::AboutTab},
    };
    for (const auto &t : tabs) {
        const QString name = QString::fromLatin1(t.name);
        ScreenshotRegistry::add(name, [name, tab = t.tab]() -> QWidget * {
            return settingsOn(tab, name + QStringLiteral(".sqlite"));
        });
    }
    return true;
}();

} // namespace

SCREENSHOT_SCENE(settings_account_bound)
{
    return settingsOn(SettingsWindowPresenter::AccountTab, "settings-account-bound.sqlite", bound);
}

SCREENSHOT_SCENE(settings_account_nick_sheet)
{
    SettingsWindow *window =
        settingsOn(SettingsWindowPresenter::AccountTab, "settings-account-nick.sqlite", bound);
    if (!window)
        return nullptr;
    window->show();
    NickNameSheet *sheet = window->accountTab()->openNickSheet();
    sheet->field()->setText(QStringLiteral("一个很长很长的昵称用来看看输入框够不够宽"));
    QObject::connect(sheet, &QObject::destroyed, window, &QObject::deleteLater);
    return sheet;
}

SCREENSHOT_SCENE(settings_push_long_addresses)
{
    return settingsOn(SettingsWindowPresenter::PushTab, "settings-push-long.sqlite", pushFilled);
}

SCREENSHOT_SCENE(settings_push_proof_code)
{
    return proofScene(PushProofPresenter::TextCode, "settings-push-code.sqlite");
}

SCREENSHOT_SCENE(settings_push_proof_password)
{
    return proofScene(PushProofPresenter::Password, "settings-push-password.sqlite");
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
