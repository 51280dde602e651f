#pragma once

#include "app/shell/ServiceReplyActions.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "service/account/KeychainTool.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/UUIDTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/StandinService.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QtTest>

#include <memory>

// What one call handed back.
struct CallResult
{
    bool succeeded = false;
    bool failed = false;
    BaseSuccessModel model;
    BaseErrorModel error;
    bool done() const { return succeeded || failed; }
};

// A fresh stand-in service, client, keychain, feedback recorder and
// notification centre for one test function; the client's session-ending and
// update replies are acted on as the program does.
struct ServiceFixture
{
    // The sign-in the client's replies and the logout belong to.
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<MemoryKeychainBackend> keychain = std::make_unique<MemoryKeychainBackend>();
    std::unique_ptr<KeychainTool> keychainItems = std::make_unique<KeychainTool>(*keychain);
    std::unique_ptr<UUIDTool> deviceId = std::make_unique<UUIDTool>(*keychainItems);
    std::unique_ptr<RecordingFeedback> feedback = std::make_unique<RecordingFeedback>();
    std::unique_ptr<FakeUserNotificationCenter> notifications =
        std::make_unique<FakeUserNotificationCenter>();
    std::unique_ptr<StandinService> service = std::make_unique<StandinService>();
    // No store: the wipe reaches the sign-in keys and the notifications.
    std::unique_ptr<QuitLoginManager> logout =
        std::make_unique<QuitLoginManager>(*session, *notifications, nullptr);
    std::unique_ptr<ApiNetWorking> api;
    std::unique_ptr<ServiceReplyActions> replyActions;
    int windowHookCalls = 0;

    explicit ServiceFixture(bool listen = true)
    {
        TestEnv::freshFolders();
        logout->setWindowHook([this] { ++windowHookCalls; });
        if (listen) {
            if (!service->listen())
                qFatal("stand-in service cannot listen");
            UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, service->baseUrl().toString());
            UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, QStringLiteral("https://web.invalid"));
        }
        api = std::make_unique<ApiNetWorking>(*feedback);
        api->setRequestTimeout(1500);
        api->setDeviceId(deviceId.get());
        api->setSession(session.get());
        replyActions = std::make_unique<ServiceReplyActions>(*api, *feedback, *logout);
    }

    ~ServiceFixture() { replyActions.reset(); }

    ApiNetWorking::Success onSuccess(const std::shared_ptr<CallResult> &r)
    {
        return [r](const BaseSuccessModel &m) {
            r->succeeded = true;
            r->model = m;
        };
    }
    ApiNetWorking::Failure onFailure(const std::shared_ptr<CallResult> &r)
    {
        return [r](const BaseErrorModel &e) {
            r->failed = true;
            r->error = e;
        };
    }

    // Runs one call (given the two callbacks) and waits for its end.
    template <class F> std::shared_ptr<CallResult> run(F call, int timeoutMs = 5000)
    {
        auto r = std::make_shared<CallResult>();
        call(onSuccess(r), onFailure(r));
        QElapsedTimer t;
        t.start();
        while (!r->done() && t.elapsed() < timeoutMs)
            QTest::qWait(10);
        return r;
    }

    // Signs the seeded account in through the client.
    bool signIn()
    {
        auto r = run([this](auto ok, auto fail) {
            api->loginWithParam({{"account", "tester"}, {"passWord", "secret1"}}, nullptr, ok, fail);
        });
        feedback->clear();
        return r->succeeded && r->model.code == 200;
    }

    StandinAccount &tester() { return *service->state().accountByName(QStringLiteral("tester")); }
};
