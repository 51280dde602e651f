#pragma once

#include "app/services/ServiceRef.h"

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
class RecordPager;
class PwdManager;
class QuitLoginManager;
class ReminderScheduler;
class Scheduler;
class Session;
class SkinManager;
class SoundPlayer;
class SyncEngine;
class UrlOpener;
class UserFeedback;
class UserManager;
class UserNotificationCenter;
class UUIDTool;
class WIFIManager;
class WiFiRemindManager;

// What a presenter works with, handed to it in its constructor; presenters
// never reach for a global. The program object (app/main/program) makes every
// service once and fills the one bundle; tests fill theirs through the same
// object with fakes and the local stand-in service (tests/support/TestGraph).
// Every member is set (there is no empty bundle); nothing here is owned.
struct Services
{
    ServiceRef<Context> store; // the main context of the open store
    ServiceRef<ApiNetWorking> api;
    ServiceRef<SyncEngine> sync;
    ServiceRef<UserFeedback> feedback;
    ServiceRef<Scheduler> scheduler;
    ServiceRef<AppEvents> events;
    ServiceRef<Session> session;
    ServiceRef<Clock> clock;
    ServiceRef<UrlOpener> urls;
    ServiceRef<UserNotificationCenter> notifications;
    ServiceRef<NetworkMonitor> network;
    ServiceRef<KeychainBackend> keychain;
    ServiceRef<KeychainTool> keychainItems; // archived items in `keychain`
    ServiceRef<PwdManager> passwords;       // the remembered accounts' passwords
    ServiceRef<UUIDTool> deviceId;
    ServiceRef<SoundPlayer> sounds; // plays the reminder sounds' previews
    // One pager per mirror of the service's records, shared by the lists that show it.
    ServiceRef<RecordPager> historyPager;    // NoteLog
    ServiceRef<RecordPager> completionPager; // NoteComplete
    // The note operations and the reminders' helpers, on `store`.
    ServiceRef<NoteActionManager> noteActions;
    ServiceRef<LocalNotificationManager> localNotifications; // the notes' notifications in `notifications`
    ServiceRef<NoteRemindManager> noteReminds;               // a note's reminder in `localNotifications`
    ServiceRef<UserManager> users;                           // the signed-in user's row
    ServiceRef<SkinManager> skins;
    ServiceRef<QuitLoginManager> logout; // the way out of a sign-in, on `store`
    // Every reminder of `store` scheduled in `notifications`.
    ServiceRef<ReminderScheduler> reminders;
    // The Wi-Fi reminders: the interface in `network`, the saved networks of `store`, and the firing on
    // network changes.
    ServiceRef<WIFIManager> wifi;
    ServiceRef<WiFiRemindManager> wifiReminds;
    ServiceRef<NetworkStatusManager> networkStatus;
};
