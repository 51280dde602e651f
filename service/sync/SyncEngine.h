#pragma once

#include "core/model/NoteClassifyModel.h"
#include "service/api/BaseSuccessModel.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ApiNetWorking;
class Context;
class LocalNotificationManager;
class Session;
class Store;
class SyncNotesManager;
class UserFeedback;

// The one owner of note sync. At most one push or pull is in flight; requests
// that arrive meanwhile are merged into one follow-up (pushes of named notes
// join, a push of everything covers them; pulls join, the stronger kind wins).
//
// - push(ids): POST "note/sync" with the pending rows (the named notes only, or
//   every pending category and note); the reply is applied, refusals are shown
//   in one message joined with ";". Without a reply every pending note that is
//   not deleted is marked isError.
// - pull(kind): GET "note/sync". Delta merges the changes since the stored
//   "version"; Full asks from "0" and replaces everything, after pushing the
//   pending local changes first (and only when that push was taken);
//   SnapshotRestore replaces everything without pushing.
// - sync(ids): push, then a delta pull when the push was answered with 200.
// - sync(ids, pullFrom, owner, done): the same, with the pull asking from
//   pullFrom (or from the stored "version" when that is lower); a missing or
//   "0" pullFrom pulls everything, without a second push. done hears of the
//   cycle while owner (required) lives: Pulling when the pull starts, then one
//   final step; requests merged into one push or pull all hear of it.
// - pushCategory(model, done): the single-category push of the category
//   views, queued like every other request; done gets the reply (the caller
//   applies it), or nothing on a transport failure.
//
// A pull reply that cannot be decrypted or imported applies nothing and keeps
// the stored "version". Replies that arrive after a logout or for another
// signed-in user are dropped; a sign-out of the given session (signingOut)
// drops the queue and reports idle() when anything was queued or in flight.
// After every applied push and pull the reminder schedule is brought in step
// (the hook it was made with). Defaults written by a pull reach the
// disk on the defaults' writer thread; the import starts once its marker is there.
class SyncEngine : public QObject
{
    Q_OBJECT
public:
    enum class PullKind
    {
        Delta,
        Full,
        SnapshotRestore
    };
    Q_ENUM(PullKind)

    using CategoryDone = std::function<void(bool answered, const BaseSuccessModel &reply)>;

    // Where a caller's push-then-pull cycle got to. Pulling is the only step
    // that is not the last one.
    enum class CycleStep
    {
        Pulling,
        Pulled,          // the pull was applied; the version is the one stored now
        PushNotAnswered, // no reply: the unsent notes were marked
        PushNotTaken,    // a reply other than code 200, or one that could not be applied
        PullFailed,
        Dropped // a sign-out, a snapshot restore or a cancel ended it
    };
    Q_ENUM(CycleStep)
    using CycleDone = std::function<void(CycleStep step, const QString &version)>;

    // Runs after a save that took notifications back, to bring the reminder
    // schedule in step with the store.
    using RemindersInStep = std::function<void()>;

    // Pushes and pulls through `api` for the sign-in of `session`, on `store`
    // (pulls import there) and `context` (what pushes read and mark); none of it
    // is owned and all of it outlives the engine. Refusals go to `feedback`,
    // notifications taken back through `notifications` (on `context`). An
    // interrupted pull of an earlier run is recovered here.
    SyncEngine(ApiNetWorking &api, Session &session, Store &store, Context &context, UserFeedback &feedback,
               LocalNotificationManager &notifications, RemindersInStep remindersInStep,
               QObject *parent = nullptr);
    ~SyncEngine() override;

    // The push body and reply on the engine's context.
    SyncNotesManager &notes() const { return *m_notes; }

    void push(const QStringList &noteIds = {});
    void pull(PullKind kind = PullKind::Delta);
    void sync(const QStringList &noteIds = {});
    void sync(const QStringList &noteIds, const QString &pullFrom, const QObject *owner, CycleDone done);
    void pushCategory(const NoteClassifyModel &model, CategoryDone done);

    // Drops every queued request; a reply still in flight is dropped on arrival.
    void cancelAll();

    bool isBusy() const { return m_busy; }
    bool hasQueuedWork() const;

signals:
    void pushFinished(bool applied, const QStringList &refusals);
    void pullFinished(bool applied, SyncEngine::PullKind kind, const QString &version);
    // Nothing in flight and nothing queued.
    void idle();

private:
    struct SignIn
    {
        quint64 generation = 0;
        QString userId;
        QString accessToken;
        bool operator==(const SignIn &o) const
        {
            return generation == o.generation && userId == o.userId && accessToken == o.accessToken;
        }
    };
    struct CategoryPush
    {
        NoteClassifyModel model;
        CategoryDone done;
    };
    struct CycleWaiter
    {
        QPointer<const QObject> owner;
        CycleDone done;
    };
    using Waiters = QList<CycleWaiter>;
    static void notify(const Waiters &waiters, CycleStep step, const QString &version = {});
    void queuePullAfterPush(std::optional<qint64> from);

    SignIn currentSession() const;
    bool sessionStillCurrent(const SignIn &s);
    // False for a reply of an older epoch or of an ended sign-in; the latter
    // also drops every queued request and reports idle().
    bool replyStillWanted(quint64 epoch, const SignIn &session);
    void schedule();
    void runNext();
    void finishStep();
    void startPush(const QJsonObject &body, bool forFullPull);
    void startPull(PullKind kind);
    void startCategoryPush(CategoryPush push);
    void markUnsentNotes();
    void remapQueuedNotes(const BaseSuccessModel &reply);
    // One push of the notes a push reply relinked, then `then` (also when it fails;
    // `dropped` instead when the sign-in ended meanwhile).
    void pushRelinked(const QStringList &cIds, quint64 epoch, const SignIn &session,
                      const std::function<void()> &then, const std::function<void()> &dropped);

    void remindersInStep() const;

    ApiNetWorking *m_api;
    Store &m_store;
    Context &m_context;
    UserFeedback &m_feedback;
    LocalNotificationManager &m_notifications;
    RemindersInStep m_remindersInStep;
    std::unique_ptr<SyncNotesManager> m_notes;
    bool m_busy = false;
    bool m_scheduled = false;
    quint64 m_epoch = 0; // grows with cancelAll(); a step of an older epoch is dropped

    QList<CategoryPush> m_categoryPushes;
    bool m_pushAll = false;
    QSet<QString> m_pushNotes;
    bool m_pullAfterPush = false;
    bool m_pullQueued = false;
    PullKind m_pullKind = PullKind::Delta;

    // The lowest version a caller's cycle asks its pull to start from, for the
    // pull after the next push and for the queued delta pull (0: everything).
    std::optional<qint64> m_afterPushFrom;
    std::optional<qint64> m_pullFrom;
    // The queued full pull follows a push the service took: no second push.
    bool m_skipPrePush = false;
    Waiters m_pushWaiters; // of the next push
    Waiters m_pullWaiters; // of the next pull
};
