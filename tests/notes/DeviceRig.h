#pragma once

// One signed-in device of the stand-in's test account and the services bundle
// presenters are built with on it: its store and sync engine, the manual
// scheduler, events, recording feedback and links. The clock starts on
// 2 March 2026, 9:00.

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/ManualScheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
#include "platform/sound/player/SoundPlayer.h"
#include "tests/service/sync/SyncClient.h"
#include "tests/service/sync/SyncTestService.h"

#include <QUrl>

struct RecordingUrls final : UrlOpener
{
    QList<QUrl> opened;
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return true;
    }
};

// Plays nothing (tests have no audio device): records the files and answers `result`.
struct RecordingSounds final : SoundPlayer
{
    QStringList played;
    Result result = Result::Playing;
    Result play(const QString &file) override
    {
        played << file;
        return result;
    }
};

struct DeviceRig
{
    SyncTestService s;
    std::unique_ptr<SyncClient> device;
    ManualScheduler scheduler;
    AppEvents events;
    RecordingUrls urls;
    RecordingSounds sounds;
    Services services;

    explicit DeviceRig(const QString &root)
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
        device = std::make_unique<SyncClient>("a", root, s.api.get(), *s.service, s.tester());
        services.store = device->ctx();
        services.api = s.api.get();
        services.sync = device->engine.get();
        services.feedback = s.feedback.get();
        services.scheduler = &scheduler;
        services.events = &events;
        services.session = Session::instance();
        services.clock = Clock::instance();
        services.urls = &urls;
        services.sounds = &sounds;
    }

    void signIn() { Session::instance()->signIn(s.tester().userId); }
    // Lets replies arrive until the engine has nothing left to do.
    bool settle() { return device->settle(); }
    Context *ctx() const { return device->ctx(); }
};
