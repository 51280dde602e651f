#pragma once

// The stand-in service with note sync, one signed-in account, and a client
// (ApiNetWorking) with short time-outs.

#include "platform/base/Session.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinService.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QtTest>

#include <memory>

struct SyncTestService
{
    // The sign-in the client's replies and the engines belong to.
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<RecordingFeedback> feedback = std::make_unique<RecordingFeedback>();
    std::unique_ptr<FakeUserNotificationCenter> notifications =
        std::make_unique<FakeUserNotificationCenter>();
    std::unique_ptr<StandinService> service = std::make_unique<StandinService>();
    std::unique_ptr<NoteSyncHandlers> notes = std::make_unique<NoteSyncHandlers>(*service);
    std::unique_ptr<ApiNetWorking> api = std::make_unique<ApiNetWorking>(*feedback);

    SyncTestService()
    {
        if (!service->listen())
            qFatal("stand-in service cannot listen");
        api->setRequestTimeout(2000);
        api->setSession(session.get());
        tester().accessToken = QStringLiteral("token-tester");
    }

    StandinAccount &tester() { return *service->state().accountByName(QStringLiteral("tester")); }

    // The service's data in the form of SyncClient::picture().
    QStringList picture()
    {
        QStringList out;
        for (const NoteSyncHandlers::Category &c : notes->liveCategories(tester())) {
            out << QStringLiteral("[%1] %2").arg(c.classId, c.name);
            for (const NoteSyncHandlers::Note &n : notes->liveNotesInOrder(tester(), c.classId)) {
                const QString when = n.remind.value("remindDateTime").toString();
                out << QStringLiteral("  %1 %2%3%4")
                           .arg(n.cId, n.content, n.isCompleted ? " done" : "",
                                n.remind.isEmpty() || when.isEmpty() ? QString() : " @" + when);
            }
        }
        return out;
    }
};
