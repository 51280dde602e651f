#include "app/main/program/ProgramServices.h"

#include "app/services/DesktopUrlOpener.h"
#include "app/uikit/WidgetFeedback.h"
#include "core/model/DataModel.h"
#include "core/model/MagicalRecordManager.h"
#include "core/model/UserManager.h"
#include "core/operations/NoteActionManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "core/reminders/wifi/NetworkStatusManager.h"
#include "core/reminders/wifi/WIFIManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "core/skins/SkinManager.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"
#include "platform/base/Session.h"
#include "platform/base/TimerScheduler.h"
#include "platform/keychain/QtKeychainBackend.h"
#include "platform/network/SystemNetworkMonitor.h"
#include "platform/notifications/DesktopUserNotificationCenter.h"
#include "platform/sound/player/PluginSoundPlayer.h"
#include "platform/store/Store.h"
#include "service/account/KeychainTool.h"
#include "service/account/PwdManager.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/UUIDTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/RecordPager.h"
#include "service/sync/SyncEngine.h"

#include <QDBusConnection>

namespace {
template <class T, class Made> T &partOr(T *given, std::unique_ptr<T> &own, Made make)
{
    if (given)
        return *given;
    own = make();
    return *own;
}
} // namespace

ProgramServices::ProgramServices() : ProgramServices(Parts{}) {}

ProgramServices::ProgramServices(const Parts &parts)
{
    // The store first: everything after it may read rows when made.
    if (parts.store) {
        m_store = parts.store;
        m_opened.status = StoreOpenResult::Opened;
    } else {
        const QString path =
            parts.storePath.isEmpty() ? MagicalRecordManager::defaultStorePath() : parts.storePath;
        m_ownStore = Store::open(path, DataModel::model(), &m_opened);
        m_store = m_ownStore.get();
    }
    if (!m_store || !m_opened.ok()) {
        m_store = nullptr;
        return;
    }
    makeBundle(parts);
}

void ProgramServices::makeBundle(const Parts &parts)
{
    Scheduler &scheduler =
        partOr(parts.scheduler, m_ownScheduler, [] { return std::make_unique<TimerScheduler>(); });
    UserFeedback &feedback = partOr(parts.feedback, m_ownFeedback,
                                    [&scheduler] { return std::make_unique<WidgetFeedback>(scheduler); });
    UserNotificationCenter &notifications = partOr(parts.notifications, m_ownNotifications, [] {
        return std::make_unique<DesktopUserNotificationCenter>();
    });
    NetworkMonitor &network = partOr(parts.network, m_ownNetwork, [] {
        return std::make_unique<SystemNetworkMonitor>(QDBusConnection::systemBus());
    });
    KeychainBackend &keychain = partOr(parts.keychain, m_ownKeychain, [&scheduler] {
        return std::make_unique<QtKeychainBackend>(scheduler);
    });
    m_keychainItems = std::make_unique<KeychainTool>(keychain);
    m_passwords = std::make_unique<PwdManager>(*m_keychainItems);
    m_deviceId = std::make_unique<UUIDTool>(*m_keychainItems);
    UrlOpener &urls =
        partOr(parts.urls, m_ownUrls, [&feedback] { return std::make_unique<DesktopUrlOpener>(&feedback); });
    SoundPlayer &sounds =
        partOr(parts.sounds, m_ownSounds, [] { return std::make_unique<PluginSoundPlayer>(); });
    ApiNetWorking &api = partOr(parts.api, m_ownApi, [] { return std::make_unique<ApiNetWorking>(); });
    // The service's messages reach the user through the program's feedback, unless the client came with its
    // own.
    if (!parts.api)
        api.setFeedback(&feedback);
    api.setNetworkMonitor(&network);
    api.setDeviceId(m_deviceId.get());
    Session &session = partOr(parts.session, m_ownSession, [] { return std::make_unique<Session>(); });
    api.setSession(&session);
    // The centre's looks at the clock run on the program's scheduler.
    notifications.setScheduler(&scheduler);

    Context &context = parts.context ? *parts.context : *m_store->mainContext();
    m_historyPager = std::make_unique<RecordPager>(RecordPager::Kind::History, api, context, session);
    m_completionPager = std::make_unique<RecordPager>(RecordPager::Kind::Completion, api, context, session);
    m_localNotifications = std::make_unique<LocalNotificationManager>(context, notifications);
    SyncEngine &sync = partOr(parts.sync, m_ownSync, [&] {
        // What a sync took back and is still due goes back into the centre.
        return std::make_unique<SyncEngine>(api, session, *m_store, context, feedback, *m_localNotifications,
                                            [this] {
                                                if (m_reminders)
                                                    m_reminders->reconcileSaved();
                                            });
    });
    m_noteReminds = std::make_unique<NoteRemindManager>(context, *m_localNotifications);
    m_noteActions =
        std::make_unique<NoteActionManager>(context, feedback, *m_localNotifications, *m_noteReminds);
    m_users = std::make_unique<UserManager>(context);
    m_skins = std::make_unique<SkinManager>(context);
    m_logout = std::make_unique<QuitLoginManager>(session, notifications, &context);
    // "Now" itself is the process's, as the system clock is (static date helpers read it); the bundle's
    // clock is how its users hear that the time was moved.
    m_clock = std::make_unique<Clock>();
    Clock &clock = *m_clock;
    AppEvents &events = partOr(parts.events, m_ownEvents, [] { return std::make_unique<AppEvents>(); });
    m_reminders = std::make_unique<ReminderScheduler>(context, notifications, clock, scheduler);
    m_wifi = std::make_unique<WIFIManager>(network);
    m_wifiReminds = std::make_unique<WiFiRemindManager>(context, *m_wifi, clock);
    m_networkStatus = std::make_unique<NetworkStatusManager>(NetworkStatusManager::Uses{
        network, context, *m_localNotifications, events, *m_wifi, *m_wifiReminds, clock});
    m_services.emplace(Services{
        .store = context,
        .api = api,
        .sync = sync,
        .feedback = feedback,
        .scheduler = scheduler,
        .events = events,
        .session = session,
        .clock = clock,
        .urls = urls,
        .notifications = notifications,
        .network = network,
        .keychain = keychain,
        .keychainItems = *m_keychainItems,
        .passwords = *m_passwords,
        .deviceId = *m_deviceId,
        .sounds = sounds,
        .historyPager = *m_historyPager,
        .completionPager = *m_completionPager,
        .noteActions = *m_noteActions,
        .localNotifications = *m_localNotifications,
        .noteReminds = *m_noteReminds,
        .users = *m_users,
        .skins = *m_skins,
        .logout = *m_logout,
        .reminders = *m_reminders,
        .wifi = *m_wifi,
        .wifiReminds = *m_wifiReminds,
        .networkStatus = *m_networkStatus,
    });
}

ProgramServices::~ProgramServices()
{
    if (!m_services)
        return;
    // In the reverse order: nothing made later is left pointing at what goes.
    m_networkStatus.reset();
    m_wifiReminds.reset();
    m_wifi.reset();
    m_reminders.reset();
    m_logout.reset();
    m_skins.reset();
    m_users.reset();
    m_noteActions.reset();
    m_noteReminds.reset();
    m_ownSync.reset();
    m_localNotifications.reset();
    m_completionPager.reset();
    m_historyPager.reset();
    const Services &s = *m_services;
    // A client that came from outside may outlive the device id made here.
    s.api->setDeviceId(nullptr);
    s.api->setSession(nullptr);
    // A centre that came from outside may outlive the scheduler made here.
    s.notifications->setScheduler(nullptr);
    m_services.reset();
}
