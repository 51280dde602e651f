#pragma once

// One signed-in device of the stand-in's test account and the services bundle
// presenters are built with on it: its store and sync engine, the manual
// scheduler, events, recording feedback and links. The clock starts on
// 2 March 2026, 9:00. Another account of the stand-in (the demo one, say) is
// signed in when `account` names it; `prepare` makes it first.

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "tests/service/sync/SyncClient.h"
#include "tests/service/sync/SyncTestService.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/ManualScheduler.h"
#include "tests/support/doubles/RecordingSounds.h"

#include <QUrl>

#include <functional>
#include <memory>

struct DeviceRig
{
    SyncTestService s;
    std::unique_ptr<SyncClient> device;
    ManualScheduler scheduler;
    AppEvents events;
    RecordingUrlOpener urls;
    RecordingSounds sounds;
    QString accountName;
    std::unique_ptr<TestGraph> graph;
    const Services &services;

    explicit DeviceRig(const QString &root, const QString &account = QStringLiteral("tester"),
                       const std::function<void(SyncTestService &)> &prepare = {})
        : accountName(account), graph(makeGraph(root, prepare)), services(graph->services())
    {
    }
    ~DeviceRig() { graph.reset(); }

    StandinAccount &account() { return *s.service->state().accountByName(accountName); }
    void signIn() { services.session->signIn(account().userId); }
    // Lets replies arrive until the engine has nothing left to do.
    bool settle() { return device->settle(); }
    Context *ctx() const { return device->ctx(); }

private:
    std::unique_ptr<TestGraph> makeGraph(const QString &root,
                                         const std::function<void(SyncTestService &)> &prepare)
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
        if (prepare)
            prepare(s);
        device = std::make_unique<SyncClient>("a", root, s, account());
        auto made = std::make_unique<TestGraph>(ProgramServices::Parts()
                                                    .use(device->store.get())
                                                    .use(s.feedback.get())
                                                    .use(&scheduler)
                                                    .use(s.notifications.get())
                                                    .use(&urls)
                                                    .use(&sounds)
                                                    .use(s.api.get())
                                                    .use(device->engine.get())
                                                    .use(s.session.get())
                                                    .use(&events));
        // The device's engine brings this graph's planner in step after its saves, as in the program.
        device->planner = made->services().reminders.get();
        return made;
    }
};
