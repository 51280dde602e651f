#pragma once

// One signed-in device of the stand-in's test account with everything the
// category presenters are built with: its store, engine, events, the manual
// scheduler and recording feedback and links.

#include "service/sync/SignInSyncCoordinator.h"
#include "tests/notes/DeviceRig.h"

struct CategoryTestRig : DeviceRig
{
    std::unique_ptr<SignInSyncCoordinator> coordinator;

    explicit CategoryTestRig(const QString &root, const QString &account = QStringLiteral("tester"),
                             const std::function<void(SyncTestService &)> &prepare = {})
        : DeviceRig(root, account, prepare)
    {
        coordinator = std::make_unique<SignInSyncCoordinator>(*services.store, *services.api, *services.sync,
                                                              *services.feedback, *services.scheduler,
                                                              *services.events, *services.session);
    }
    ~CategoryTestRig()
    {
        services.session->signOut();
        coordinator.reset();
        Clock::reset();
    }

    int requests(const char *path) const { return s.service->requestCount(QString::fromLatin1(path)); }
    // Moves time to the next poll tick and waits for its version reply.
    void tick()
    {
        const int before = requests("user/versionNums");
        scheduler.advance(SignInSyncCoordinator::PollInterval);
        QTRY_VERIFY_WITH_TIMEOUT(requests("user/versionNums") > before, 5000);
        QTest::qWait(20);
        settle();
    }
};
