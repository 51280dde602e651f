#include "service/sync/SyncEngine.h"

#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Missing.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"
#include "service/sync/NoteMapManager.h"
#include "service/sync/SyncNotesManager.h"

#include <QDebug>
#include <QJsonArray>
#include <QPointer>
#include <QTimer>

namespace {

int strength(SyncEngine::PullKind k)
{
    switch (k) {
    case SyncEngine::PullKind::Delta:
        return 0;
    case SyncEngine::PullKind::Full:
        return 1;
    case SyncEngine::PullKind::SnapshotRestore:
        return 2;
    }
    return 0;
}

QString storedVersion()
{
    const QString v = UserDefaults::string(SignInKeys::Version);
    return Missing::isMissing(v) ? QStringLiteral("0") : v;
}

qint64 versionNumber(const QString &v)
{
    return Missing::isMissing(v) ? 0 : v.trimmed().toLongLong();
}

bool bodyHasItems(const QJsonObject &body)
{
    return !body.value(QStringLiteral("classes")).toArray().isEmpty() ||
           !body.value(QStringLiteral("contents")).toArray().isEmpty();
}

} // namespace

SyncEngine::SyncEngine(ApiNetWorking &api, Session &session, Store &store, Context &context,
                       UserFeedback &feedback, LocalNotificationManager &notifications,
                       RemindersInStep remindersInStep, QObject *parent)
    : QObject(parent), m_api(&api), m_store(store), m_context(context), m_feedback(feedback),
      m_notifications(notifications), m_remindersInStep(std::move(remindersInStep)),
      m_notes(std::make_unique<SyncNotesManager>(context, notifications))
{
    // Nothing of a sign-in outlives it: the queue stops before the wipe.
    connect(&session, &Session::signingOut, this, [this] {
        const bool working = m_busy || hasQueuedWork();
        cancelAll();
        // What this sign-in set is on disk before its data is wiped.
        UserDefaults::sync();
        if (working)
            emit idle();
    });
    NoteMapManager::recoverInterruptedPull(m_context);
}

SyncEngine::~SyncEngine() = default;

void SyncEngine::remindersInStep() const
{
    if (m_remindersInStep)
        m_remindersInStep();
}

SyncEngine::SignIn SyncEngine::currentSession() const
{
    return {m_api->signInGeneration(), UserDefaults::string(SignInKeys::UserId),
            UserDefaults::string(SignInKeys::AccessToken)};
}

bool SyncEngine::sessionStillCurrent(const SignIn &s)
{
    if (s == currentSession())
        return true;
    qWarning().noquote() << "sync: a reply of an ended sign-in was dropped";
    return false;
}

bool SyncEngine::replyStillWanted(quint64 epoch, const SignIn &session)
{
    if (epoch != m_epoch)
        return false;
    if (sessionStillCurrent(session))
        return true;
    // Only this reply goes: work queued since belongs to the sign-in now current.
    finishStep();
    return false;
}

bool SyncEngine::hasQueuedWork() const
{
    return !m_categoryPushes.isEmpty() || m_pushAll || !m_pushNotes.isEmpty() || m_pullQueued;
}

void SyncEngine::push(const QStringList &noteIds)
{
    if (noteIds.isEmpty())
        m_pushAll = true;
    else
        for (const QString &id : noteIds)
            m_pushNotes.insert(id);
    schedule();
}

void SyncEngine::pull(PullKind kind)
{
    if (kind == PullKind::SnapshotRestore) {
        // The restore replaces everything: queued pushes would write the old data back.
        m_pushAll = false;
        m_pushNotes.clear();
        m_pullAfterPush = false;
        m_afterPushFrom.reset();
        notify(std::exchange(m_pushWaiters, {}), CycleStep::Dropped);
    }
    if (!m_pullQueued || strength(kind) > strength(m_pullKind))
        m_pullKind = kind;
    m_pullQueued = true;
    schedule();
}

void SyncEngine::sync(const QStringList &noteIds)
{
    m_pullAfterPush = true;
    push(noteIds);
}

void SyncEngine::sync(const QStringList &noteIds, const QString &pullFrom, const QObject *owner,
                      CycleDone done)
{
    const qint64 from = versionNumber(pullFrom);
    m_afterPushFrom = m_afterPushFrom ? std::min(*m_afterPushFrom, from) : from;
    m_pushWaiters.append({owner, std::move(done)});
    sync(noteIds);
}

void SyncEngine::notify(const Waiters &waiters, CycleStep step, const QString &version)
{
    for (const CycleWaiter &w : waiters)
        if (w.owner && w.done)
            w.done(step, version);
}

void SyncEngine::queuePullAfterPush(std::optional<qint64> from)
{
    if (from && *from <= 0) {
        if (!m_pullQueued || strength(PullKind::Full) > strength(m_pullKind))
            m_pullKind = PullKind::Full;
        // The push that was just taken sent what was pending.
        m_skipPrePush = true;
    } else {
        if (!m_pullQueued)
            m_pullKind = PullKind::Delta;
        if (from)
            m_pullFrom = m_pullFrom ? std::min(*m_pullFrom, *from) : *from;
    }
    m_pullQueued = true;
}

void SyncEngine::pushCategory(const NoteClassifyModel &model, CategoryDone done)
{
    m_categoryPushes.append({model, std::move(done)});
    schedule();
}

void SyncEngine::cancelAll()
{
    ++m_epoch;
    m_categoryPushes.clear();
    m_pushAll = false;
    m_pushNotes.clear();
    m_pullAfterPush = false;
    m_pullQueued = false;
    m_busy = false;
    m_afterPushFrom.reset();
    m_pullFrom.reset();
    m_skipPrePush = false;
    const Waiters waiters = std::exchange(m_pushWaiters, {}) + std::exchange(m_pullWaiters, {});
    notify(waiters, CycleStep::Dropped);
}

void SyncEngine::schedule()
{
    if (m_busy || m_scheduled)
        return;
    // Requests of the same turn of the event loop join into one step.
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        runNext();
    });
}

void SyncEngine::finishStep()
{
    m_busy = false;
    if (hasQueuedWork())
        schedule();
    else
        emit idle();
}

void SyncEngine::runNext()
{
    if (m_busy)
        return;
    if (!hasQueuedWork()) {
        emit idle();
        return;
    }
    m_busy = true;

    if (m_pullQueued && m_pullKind == PullKind::SnapshotRestore) {
        m_pullQueued = false;
        startPull(PullKind::SnapshotRestore);
        return;
    }
    if (!m_categoryPushes.isEmpty()) {
        CategoryPush p = m_categoryPushes.takeFirst();
        startCategoryPush(std::move(p));
        return;
    }
    if (m_pushAll || !m_pushNotes.isEmpty()) {
        QJsonObject body;
        if (m_pushAll) {
            body = m_notes->getNoSyncParamsFromClassifyAndNotes();
        } else {
            QList<NoteDetail *> notes;
            for (const QString &id : std::as_const(m_pushNotes)) {
                if (NoteDetail *n = m_context.findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), id))
                    notes.append(n);
            }
            body = m_notes->paramsWithClassifyArr({}, notes);
        }
        m_pushAll = false;
        m_pushNotes.clear();
        startPush(body, false);
        return;
    }
    // A pull.
    const PullKind kind = m_pullKind;
    m_pullQueued = false;
    const bool skipPrePush = std::exchange(m_skipPrePush, false);
    if (kind == PullKind::Full && !skipPrePush && m_notes->hasPendingChanges()) {
        // The replacement would drop them: they go to the service first.
        startPush(m_notes->getNoSyncParamsFromClassifyAndNotes(), true);
        return;
    }
    startPull(kind);
}

void SyncEngine::startPush(const QJsonObject &built, bool forFullPull)
{
    const quint64 epoch = m_epoch;
    const bool pullAfter = m_pullAfterPush;
    m_pullAfterPush = false;
    // The pre-push of a full pull is nobody's cycle: its waiters wait for the next push.
    const std::optional<qint64> afterFrom = forFullPull ? std::nullopt : std::exchange(m_afterPushFrom, {});
    const Waiters waiters = forFullPull ? Waiters() : std::exchange(m_pushWaiters, {});
    if (!bodyHasItems(built)) {
        // Nothing to send: the step counts as a push the service took.
        if (forFullPull) {
            if (!m_pullQueued || strength(PullKind::Full) > strength(m_pullKind))
                m_pullKind = PullKind::Full;
            m_pullQueued = true;
        } else if (pullAfter) {
            queuePullAfterPush(afterFrom);
            m_pullWaiters += waiters;
        }
        if (forFullPull) {
            m_pullQueued = false;
            startPull(PullKind::Full);
            return;
        }
        finishStep();
        return;
    }
    QJsonObject body = built;
    body.insert(QStringLiteral("version"), storedVersion());
    const SignIn session = currentSession();
    QPointer<SyncEngine> self(this);

    auto afterPush = [this, epoch, pullAfter, forFullPull, afterFrom, waiters](bool taken, bool answered) {
        if (taken && (pullAfter || forFullPull)) {
            if (forFullPull) {
                startPull(PullKind::Full);
                return;
            }
            queuePullAfterPush(afterFrom);
            m_pullWaiters += waiters;
        } else if (forFullPull) {
            notify(std::exchange(m_pullWaiters, {}), CycleStep::PullFailed);
            emit pullFinished(false, PullKind::Full, storedVersion());
        } else {
            notify(waiters, answered ? CycleStep::PushNotTaken : CycleStep::PushNotAnswered);
        }
        if (epoch == m_epoch)
            finishStep();
    };

    m_api->syncPushDatasFromParams(
        body, this,
        [this, self, epoch, session, body, afterPush, waiters](const BaseSuccessModel &reply) {
            if (!replyStillWanted(epoch, session)) {
                notify(waiters, CycleStep::Dropped);
                return;
            }
            if (reply.code != 200) {
                // A reply without a code could not be read: whether the service took
                // the push is unknown, as after a reset.
                const bool unreadable = reply.code == 0;
                if (unreadable)
                    markUnsentNotes();
                emit pushFinished(false, {});
                afterPush(false, !unreadable);
                return;
            }
            QStringList refusals;
            QString error;
            QStringList relinked;
            const bool applied = m_notes->syncPushDatas(
                reply, body, [&refusals](const QStringList &m) { refusals = m; }, &error, &relinked);
            if (!applied) {
                qWarning().noquote() << "sync: the push reply was not applied:" << error;
                markUnsentNotes();
                emit pushFinished(false, {});
                afterPush(false, false);
                return;
            }
            // The reply's "version" is not stored: it may include other devices'
            // changes that only a pull brings (the pull that follows does).
            remapQueuedNotes(reply);
            remindersInStep();
            if (!refusals.isEmpty())
                m_feedback.showDefaultMessageAlertWithDetailText(refusals.join(QLatin1Char(';')));
            emit pushFinished(true, refusals);
            if (!self)
                return;
            if (!relinked.isEmpty()) {
                // Their links name the server ids now: they go out before the pull, so
                // that no other device pulls a link to an id no note has.
                pushRelinked(
                    relinked, epoch, session, [afterPush] { afterPush(true, true); },
                    [waiters] { notify(waiters, CycleStep::Dropped); });
                return;
            }
            afterPush(true, true);
        },
        [this, epoch, session, afterPush, waiters](const BaseErrorModel &) {
            if (!replyStillWanted(epoch, session)) {
                notify(waiters, CycleStep::Dropped);
                return;
            }
            markUnsentNotes();
            emit pushFinished(false, {});
            afterPush(false, false);
        });
}

void SyncEngine::pushRelinked(const QStringList &cIds, quint64 epoch, const SignIn &session,
                              const std::function<void()> &then, const std::function<void()> &dropped)
{
    QList<NoteDetail *> notes;
    for (const QString &id : cIds) {
        if (NoteDetail *n = m_context.findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), id);
            n && !n->isSync())
            notes.append(n);
    }
    QJsonObject body = m_notes->paramsWithClassifyArr({}, notes);
    if (!bodyHasItems(body)) {
        then();
        return;
    }
    body.insert(QStringLiteral("version"), storedVersion());
    // Once only: a link the service refuses stays flagged for the next push.
    m_api->syncPushDatasFromParams(
        body, this,
        [this, epoch, session, body, then, dropped](const BaseSuccessModel &reply) {
            if (!replyStillWanted(epoch, session)) {
                dropped();
                return;
            }
            QString error;
            if (reply.code == 200 && !m_notes->syncPushDatas(reply, body, {}, &error))
                qWarning().noquote() << "sync: the relinked notes' push reply was not applied:" << error;
            remapQueuedNotes(reply);
            then();
        },
        [this, epoch, session, then, dropped](const BaseErrorModel &) {
            if (!replyStillWanted(epoch, session)) {
                dropped();
                return;
            }
            markUnsentNotes();
            then();
        });
}

void SyncEngine::remapQueuedNotes(const BaseSuccessModel &reply)
{
    // Notes queued under a client id are now known by their server id.
    for (const QJsonValue &v : reply.dataObject().value(QStringLiteral("syncContentResult")).toArray()) {
        const QJsonObject e = v.toObject();
        const QString clientId = e.value(QStringLiteral("clientId")).toString();
        const QString serverId = e.value(QStringLiteral("cId")).toString();
        if (!serverId.isEmpty() && clientId != serverId && m_pushNotes.remove(clientId))
            m_pushNotes.insert(serverId);
    }
}

void SyncEngine::markUnsentNotes()
{
    Context *ctx = &m_context;
    for (NoteDetail *n :
         ctx->fetch<NoteDetail>(Predicate::equals(QStringLiteral("isSync"), false) &&
                                Predicate::notEquals(QStringLiteral("actionType"), RowAction::Deleted)))
        n->setIsError(true);
    if (SaveResult r = ctx->saveAndWait(); !r)
        qWarning().noquote() << "sync: marking the unsent notes failed:" << r.error;
}

void SyncEngine::startPull(PullKind kind)
{
    const quint64 epoch = m_epoch;
    QString requested = kind == PullKind::Delta ? storedVersion() : QStringLiteral("0");
    // A caller's cycle may ask from an older version than the stored one.
    if (const std::optional<qint64> from = std::exchange(m_pullFrom, {});
        from && kind == PullKind::Delta && *from < versionNumber(requested))
        requested = QString::number(*from);
    const SignIn session = currentSession();
    const Waiters waiters = std::exchange(m_pullWaiters, {});
    notify(waiters, CycleStep::Pulling);

    auto fail = [this, epoch, kind, waiters](const QString &why) {
        if (epoch != m_epoch) {
            notify(waiters, CycleStep::Dropped);
            return;
        }
        if (!why.isEmpty())
            qWarning().noquote() << "sync: pull failed:" << why;
        notify(waiters, CycleStep::PullFailed, storedVersion());
        emit pullFinished(false, kind, storedVersion());
        finishStep();
    };

    m_api->syncPullDatasFromNoteWithParam(
        QJsonObject{{"version", requested}}, this,
        [this, epoch, kind, requested, session, fail, waiters](const BaseSuccessModel &reply) {
            if (!replyStillWanted(epoch, session)) {
                notify(waiters, CycleStep::Dropped);
                return;
            }
            if (reply.code != 200) {
                fail(QStringLiteral("reply code %1").arg(reply.code));
                return;
            }
            if (!reply.hasObjectData()) {
                fail(QStringLiteral("the reply could not be decrypted or read"));
                return;
            }
            const QJsonObject data = reply.dataObject();
            QString error;
            if (!NoteMapManager::validate(data, &error)) {
                fail(error);
                return;
            }
            QString applied = ReplyValue::idText(data.value(QStringLiteral("version")));
            if (Missing::isMissing(applied))
                applied = requested;
            NoteMapManager::Options options;
            options.fullPull = kind != PullKind::Delta;
            options.restore = kind == PullKind::SnapshotRestore;
            options.userId = session.userId.toLongLong();
            options.appliedVersion = applied;
            options.stillWanted = [api = m_api, generation = session.generation] {
                return generation == api->signInGeneration();
            };
            // The marker is on disk before the import can commit (the recovery of an
            // interrupted pull reads it); the main thread does not wait for the disk.
            UserDefaults::setValue(NoteMapManager::ApplyingVersionKey, applied);
            // A dropped pull leaves no marker, unless a later step (that may be a
            // pull with its own marker) runs by now.
            auto dropMarker = [this, epoch] {
                if (epoch == m_epoch || !m_busy)
                    UserDefaults::remove(NoteMapManager::ApplyingVersionKey);
            };
            UserDefaults::whenWritten(
                this, [this, epoch, kind, data, options, applied, session, fail, waiters, dropMarker] {
                    if (epoch != m_epoch) {
                        dropMarker();
                        notify(waiters, CycleStep::Dropped);
                        return;
                    }
                    if (!(session == currentSession())) {
                        qWarning().noquote() << "sync: a pull of an ended sign-in was dropped";
                        dropMarker();
                        notify(waiters, CycleStep::Dropped);
                        finishStep();
                        return;
                    }
                    NoteMapManager::noteMapToLocalWithData(
                        data, options,
                        [this, epoch, kind, applied, session, fail, waiters,
                         dropMarker](const NoteMapManager::Result &r) {
                            const bool sameSession = session == currentSession();
                            if (!sameSession) {
                                // The sign-in ended while the import ran. Its rows went with the
                                // logout's wipe, which waits for the import; the keys, rows and
                                // queued work of a later sign-in are not this pull's to touch.
                                qWarning().noquote() << "sync: a pull of an ended sign-in was dropped";
                                dropMarker();
                                notify(waiters, CycleStep::Dropped);
                                if (epoch == m_epoch)
                                    finishStep();
                                return;
                            }
                            if (r.ok) {
                                // The version first, the marker after: a crash in between is
                                // still recovered from the marker.
                                UserDefaults::setValue(SignInKeys::Version, applied);
                            }
                            UserDefaults::remove(NoteMapManager::ApplyingVersionKey);
                            if (r.ok) {
                                m_notifications.removeScheduledNotificationWithIdentifiers(r.withdrawn);
                                // The change set has planned the pulled notes; what was taken
                                // back above and is still due goes back into the centre.
                                remindersInStep();
                            }
                            if (epoch != m_epoch) {
                                notify(waiters, CycleStep::Dropped);
                                return;
                            }
                            if (!r.ok) {
                                fail(r.error);
                                return;
                            }
                            notify(waiters, CycleStep::Pulled, applied);
                            emit pullFinished(true, kind, applied);
                            finishStep();
                        },
                        m_store);
                });
        },
        [fail](const BaseErrorModel &e) { fail(e.msg); });
}

void SyncEngine::startCategoryPush(CategoryPush p)
{
    const quint64 epoch = m_epoch;
    const SignIn session = currentSession();
    QJsonObject body = SyncNotesManager::paramsWithClassifyModel(&p.model);
    body.insert(QStringLiteral("version"), storedVersion());
    auto done = std::make_shared<CategoryDone>(std::move(p.done));
    m_api->syncPushDatasFromParams(
        body, this,
        [this, epoch, session, done](const BaseSuccessModel &reply) {
            if (!replyStillWanted(epoch, session))
                return;
            if (*done)
                (*done)(true, reply);
            if (reply.code == 200)
                remindersInStep();
            finishStep();
        },
        [this, epoch, done](const BaseErrorModel &) {
            if (epoch != m_epoch)
                return;
            if (*done)
                (*done)(false, BaseSuccessModel());
            finishStep();
        });
}
