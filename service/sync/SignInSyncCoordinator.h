#pragma once

#include "platform/base/UserFeedback.h"
#include "service/sync/SyncEngine.h"

#include <QObject>
#include <QPointer>

class ApiNetWorking;
class AppEvents;
class Context;
class Scheduler;
class Session;

// The pulls of a sign-in and its version poll, on the sync engine (which runs
// one request at a time and merges what comes meanwhile). A sign-in starts
// the first full pull (which pushes pending changes first) and, 10 seconds
// later, the poll: every 10 seconds the data versions are asked for, and a
// server version that differs from the stored one starts a delta pull. Every
// sign-out and the coordinator's end stop it; replies of an ended sign-in are
// dropped. Views never start or stop it.
//
// After each applied pull the account gets its default category when it has
// none, and pullApplied() tells the views.
class SignInSyncCoordinator : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 PollInterval = 10000;

    // `store` is the main context of the open store.
    SignInSyncCoordinator(Context &store, ApiNetWorking &api, SyncEngine &sync, UserFeedback &feedback,
                          Scheduler &scheduler, AppEvents &events, Session &session,
                          QObject *parent = nullptr);
    ~SignInSyncCoordinator() override;

    // A full pull from "0" with the busy spinner (the forced sync).
    void fullPull();
    bool isRunning() const { return m_run != nullptr; }
    // The sign-in is already on when the coordinator is made (tests, a late start).
    void attachToCurrentSignIn();

    static QString defaultCategoryName() { return QStringLiteral("默认"); }
    static QString defaultCategoryColor() { return QStringLiteral("#10b56c"); }

signals:
    void pullApplied(SyncEngine::PullKind kind);
    // The version reply changed "teamCount".
    void versionsChecked();

private:
    void begin();
    void end();
    void scheduleTick();
    void tick();
    void onPullFinished(bool applied, SyncEngine::PullKind kind);
    void ensureDefaultCategory();

    Context &m_store;
    ApiNetWorking &m_api;
    SyncEngine &m_sync;
    UserFeedback &m_feedback;
    Scheduler &m_scheduler;
    AppEvents &m_events;
    Session &m_session;
    // Lives exactly as long as one sign-in's work: timers and replies bound to it
    // die with it.
    QObject *m_run = nullptr;
    bool m_askingVersions = false;
    BusyGuard m_busy; // the spinner of a full pull
    bool m_defaultInFlight = false;
};
