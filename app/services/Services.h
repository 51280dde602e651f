#pragma once

class ApiNetWorking;
class AppEvents;
class Clock;
class Context;
class Scheduler;
class Session;
class SoundPlayer;
class SyncEngine;
class UrlOpener;
class UserFeedback;

// What a presenter works with, handed to it in its constructor; presenters
// never reach for a global. The shell fills one bundle at start-up
// (program()); tests fill theirs with fakes and the local stand-in service.
// Nothing here is owned.
struct Services
{
    Context *store = nullptr; // the main context of the open store
    ApiNetWorking *api = nullptr;
    SyncEngine *sync = nullptr;
    UserFeedback *feedback = nullptr;
    Scheduler *scheduler = nullptr;
    AppEvents *events = nullptr;
    Session *session = nullptr;
    Clock *clock = nullptr;
    UrlOpener *urls = nullptr;
    SoundPlayer *sounds = nullptr; // plays the reminder sounds' previews

    // The program's own objects; `store` is the default context now.
    static Services program();
    // True when every member is set.
    bool isComplete() const;
};
