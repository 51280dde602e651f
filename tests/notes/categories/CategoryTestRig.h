#pragma once

// One signed-in device of the stand-in's test account with everything the
// category presenters are built with: its store, engine, events, the manual
// scheduler and recording feedback and links.

#include "app/services/Services.h"
#include "notes/categories/CategorySyncCoordinator.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/ManualScheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
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

struct CategoryTestRig
{
    SyncTestService s;
    std::unique_ptr<SyncClient> device;
    ManualScheduler scheduler;
    AppEvents events;
    RecordingUrls urls;
    Services services;
    std::unique_ptr<CategorySyncCoordinator> coordinator;

    explicit CategoryTestRig(const QString &root)
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
        coordinator = std::make_unique<CategorySyncCoordinator>(services);
    }
    ~CategoryTestRig()
    {
        Session::instance()->signOut();
        coordinator.reset();
        Clock::reset();
    }

    void signIn() { Session::instance()->signIn(s.tester().userId); }
    // Lets replies arrive until the engine has nothing left to do.
    bool settle() { return device->settle(); }
    int requests(const char *path) const { return s.service->requestCount(QString::fromLatin1(path)); }
    // Moves time to the next poll tick and waits for its version reply.
    void tick()
    {
        const int before = requests("user/versionNums");
        scheduler.advance(CategorySyncCoordinator::PollInterval);
        QTRY_VERIFY_WITH_TIMEOUT(requests("user/versionNums") > before, 5000);
        QTest::qWait(20);
        settle();
    }
};
