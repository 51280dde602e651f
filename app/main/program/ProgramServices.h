#pragma once

#include "app/services/Services.h"
#include "platform/store/StoreOpenResult.h"

#include <QString>

#include <memory>
#include <optional>

class ApiNetWorking;
class AppEvents;
class Clock;
class Context;
class KeychainBackend;
class KeychainTool;
class LocalNotificationManager;
class NetworkMonitor;
class NoteActionManager;
class NetworkStatusManager;
class NoteRemindManager;
class PwdManager;
class QuitLoginManager;
class RecordPager;
class ReminderScheduler;
class Scheduler;
class Session;
class SkinManager;
class SoundPlayer;
class Store;
class SyncEngine;
class UrlOpener;
class UserFeedback;
class UserManager;
class UserNotificationCenter;
class UUIDTool;
class WIFIManager;
class WiFiRemindManager;

// The program's object graph: every service made once, in this order, and
// handed to what uses it through one bundle (services()). The store comes
// first; without it there is no bundle. main() builds one with the desktop's
// services; tests build the same graph with fakes in place of some parts
// (tests/support/TestGraph).
class ProgramServices
{
public:
    // What a caller brings in place of the program's own; none of it is owned
    // and all of it outlives the graph. Unset parts are made here.
    struct Parts
    {
        Store *store = nullptr;     // an open store; else the one at storePath is opened
        Context *context = nullptr; // what presenters work on; else the store's main context
        QString storePath;          // empty: the program's own store file
        UserFeedback *feedback = nullptr;
        Scheduler *scheduler = nullptr;
        UserNotificationCenter *notifications = nullptr;
        NetworkMonitor *network = nullptr;
        KeychainBackend *keychain = nullptr;
        UrlOpener *urls = nullptr;
        ApiNetWorking *api = nullptr;
        SyncEngine *sync = nullptr; // else one on `api`, `session`, the store and `context`
        AppEvents *events = nullptr;
        Session *session = nullptr;
        SoundPlayer *sounds = nullptr;

        // Sets the part of that type: Parts().use(&feedback).use(api).
        Parts &use(Store *part) { return set(store, part); }
        Parts &use(Context *part) { return set(context, part); }
        Parts &use(UserFeedback *part) { return set(feedback, part); }
        Parts &use(Scheduler *part) { return set(scheduler, part); }
        Parts &use(UserNotificationCenter *part) { return set(notifications, part); }
        Parts &use(NetworkMonitor *part) { return set(network, part); }
        Parts &use(KeychainBackend *part) { return set(keychain, part); }
        Parts &use(UrlOpener *part) { return set(urls, part); }
        Parts &use(ApiNetWorking *part) { return set(api, part); }
        Parts &use(SyncEngine *part) { return set(sync, part); }
        Parts &use(AppEvents *part) { return set(events, part); }
        Parts &use(Session *part) { return set(session, part); }
        Parts &use(SoundPlayer *part) { return set(sounds, part); }

    private:
        template <class T> Parts &set(T *&member, T *part)
        {
            member = part;
            return *this;
        }
    };

    ProgramServices();
    explicit ProgramServices(const Parts &parts);
    ~ProgramServices();
    ProgramServices(const ProgramServices &) = delete;
    ProgramServices &operator=(const ProgramServices &) = delete;

    // How the store opened; services() exists only when it did.
    const StoreOpenResult &storeOpened() const { return m_opened; }
    bool hasServices() const { return m_services.has_value(); }
    const Services &services() const { return *m_services; }
    Store &store() const { return *m_store; }

private:
    void makeBundle(const Parts &parts);

    StoreOpenResult m_opened;
    std::unique_ptr<Clock> m_clock; // first made, last gone: everything below may hear it
    std::unique_ptr<Store> m_ownStore;
    Store *m_store = nullptr;
    std::unique_ptr<Session> m_ownSession;
    std::unique_ptr<AppEvents> m_ownEvents;
    std::unique_ptr<Scheduler> m_ownScheduler; // before the feedback, which times its spinners by it
    std::unique_ptr<UserFeedback> m_ownFeedback;
    std::unique_ptr<UserNotificationCenter> m_ownNotifications;
    std::unique_ptr<NetworkMonitor> m_ownNetwork;
    std::unique_ptr<KeychainBackend> m_ownKeychain;
    std::unique_ptr<KeychainTool> m_keychainItems;
    std::unique_ptr<PwdManager> m_passwords;
    std::unique_ptr<UUIDTool> m_deviceId;
    std::unique_ptr<UrlOpener> m_ownUrls;
    std::unique_ptr<ApiNetWorking> m_ownApi;
    std::unique_ptr<SoundPlayer> m_ownSounds;
    std::unique_ptr<RecordPager> m_historyPager;
    std::unique_ptr<RecordPager> m_completionPager;
    std::unique_ptr<LocalNotificationManager> m_localNotifications;
    std::unique_ptr<SyncEngine> m_ownSync; // on the notes' notifications
    std::unique_ptr<NoteRemindManager> m_noteReminds;
    std::unique_ptr<NoteActionManager> m_noteActions;
    std::unique_ptr<UserManager> m_users;
    std::unique_ptr<SkinManager> m_skins;
    std::unique_ptr<QuitLoginManager> m_logout;
    std::unique_ptr<ReminderScheduler> m_reminders;
    std::unique_ptr<WIFIManager> m_wifi;
    std::unique_ptr<WiFiRemindManager> m_wifiReminds;
    std::unique_ptr<NetworkStatusManager> m_networkStatus;
    std::optional<Services> m_services;
};
