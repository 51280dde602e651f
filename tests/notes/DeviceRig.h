#pragma once

// One signed-in device of the stand-in's test account and the services bundle
// presenters are built with on it: its store and sync engine, the manual
// scheduler, events, recording feedback and links. The clock starts on
// 2 March 2026, 9:00. Another account of the stand-in (the demo one, say) is
// signed in when `account` names it; `prepare` makes it first.

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/ManualScheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
#include "tests/service/sync/SyncClient.h"
#include "tests/service/sync/SyncTestService.h"

#include <QUrl>

#include <functional>

struct RecordingUrls final : UrlOpener
{
    QList<QUrl> opened;
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return true;
    }
};

struct DeviceRig
{
    SyncTestService s;
    std::unique_ptr<SyncClient> device;
    ManualScheduler scheduler;
    AppEvents events;
    RecordingUrls urls;
    Services services;
    QString accountName;

    explicit DeviceRig(const QString &root, const QString &account = QStringLiteral("tester"),
                       const std::function<void(SyncTestService &)> &prepare = {})
        : accountName(account)
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
        if (prepare)
            prepare(s);
        device = std::make_unique<SyncClient>("a", root, s.api.get(), *s.service, this->account());
        services.store = device->ctx();
        services.api = s.api.get();
        services.sync = device->engine.get();
        services.feedback = s.feedback.get();
        services.scheduler = &scheduler;
        services.events = &events;
        services.session = Session::instance();
        services.clock = Clock::instance();
        services.urls = &urls;
    }

    StandinAccount &account() { return *s.service->state().accountByName(accountName); }
    void signIn() { Session::instance()->signIn(account().userId); }
    // Lets replies arrive until the engine has nothing left to do.
    bool settle() { return device->settle(); }
    Context *ctx() const { return device->ctx(); }
};
