#include "service/sync/SignInSyncCoordinator.h"

#include "core/model/Classify.h"
#include "core/model/NoteClassifyModel.h"
#include "core/model/RowAction.h"
#include "core/operations/NoteId.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Scheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"
#include "service/sync/CategoryPushReply.h"
#include "service/sync/SyncNotesManager.h"

#include <QDebug>
#include <QJsonArray>

SignInSyncCoordinator::SignInSyncCoordinator(Context &store, ApiNetWorking &api, SyncEngine &sync,
                                             UserFeedback &feedback, Scheduler &scheduler, AppEvents &events,
                                             Session &session, QObject *parent)
    : QObject(parent), m_store(store), m_api(api), m_sync(sync), m_feedback(feedback), m_scheduler(scheduler),
      m_events(events), m_session(session)
{
    connect(&m_session, &Session::signedIn, this, &SignInSyncCoordinator::begin);
    connect(&m_session, &Session::signingOut, this, &SignInSyncCoordinator::end);
    connect(
        &m_sync, &SyncEngine::pullFinished, this,
        [this](bool applied, SyncEngine::PullKind kind, const QString &) { onPullFinished(applied, kind); });
    connect(&m_sync, &SyncEngine::idle, this, [this] {
        if (!m_sync.isBusy())
            m_busy.release();
    });
    // The snapshot restore asks with "0"; any other text is a delta pull.
    connect(&m_events, &AppEvents::syncPullNoteDatas, this, [this](const QString &version) {
        if (!m_run)
            return;
        m_sync.pull(version.trimmed().toLongLong() == 0 ? SyncEngine::PullKind::SnapshotRestore
                                                        : SyncEngine::PullKind::Delta);
    });
}

SignInSyncCoordinator::~SignInSyncCoordinator()
{
    end();
}

void SignInSyncCoordinator::attachToCurrentSignIn()
{
    if (m_session.isSignedIn() && !m_run)
        begin();
}

void SignInSyncCoordinator::begin()
{
    end();
    m_run = new QObject(this);
    fullPull();
    scheduleTick();
}

void SignInSyncCoordinator::end()
{
    delete std::exchange(m_run, nullptr);
    m_askingVersions = false;
    m_defaultInFlight = false;
    m_busy.release();
}

void SignInSyncCoordinator::fullPull()
{
    if (!m_run)
        return;
    if (!m_busy.isActive())
        m_busy = BusyGuard(nullptr, &m_feedback);
    m_sync.pull(SyncEngine::PullKind::Full);
}

void SignInSyncCoordinator::scheduleTick()
{
    m_scheduler.schedule(PollInterval, m_run, [this] {
        tick();
        scheduleTick();
    });
}

void SignInSyncCoordinator::tick()
{
    // A request still unanswered after 10 seconds is not asked again beside it.
    if (m_askingVersions)
        return;
    m_askingVersions = true;
    m_api.loadMyVersionsWithSuccess(
        m_run,
        [this](const BaseSuccessModel &reply) {
            m_askingVersions = false;
            if (reply.code != 200)
                return;
            const QJsonObject data = reply.dataObject();
            // Written only when it changed: every write is a synchronous file
            // replacement on the main thread, and the poll runs every 10 seconds.
            const QString teams =
                QString::number(data.value(QStringLiteral("teamVersions")).toArray().size());
            if (UserDefaults::string(SignInKeys::TeamCount) != teams) {
                UserDefaults::setValue(SignInKeys::TeamCount, teams);
                UserDefaults::sync();
            }
            emit versionsChecked();
            const qint64 server = ReplyValue::toInt64(data.value(QStringLiteral("userVersion"))).value_or(0);
            const qint64 stored = UserDefaults::string(SignInKeys::Version).trimmed().toLongLong();
            if (server != stored)
                m_sync.pull(SyncEngine::PullKind::Delta);
        },
        [this](const BaseErrorModel &) { m_askingVersions = false; });
}

void SignInSyncCoordinator::onPullFinished(bool applied, SyncEngine::PullKind kind)
{
    if (kind != SyncEngine::PullKind::Delta && !m_sync.hasQueuedWork())
        m_busy.release();
    if (!applied || !m_run)
        return;
    ensureDefaultCategory();
    emit m_events.reloadDatasForTitleBar();
    emit pullApplied(kind);
}

void SignInSyncCoordinator::ensureDefaultCategory()
{
    Context *ctx = &m_store;
    if (m_defaultInFlight ||
        ctx->count<Classify>(Predicate::notEquals(QStringLiteral("actionType"), RowAction::Deleted)) > 0)
        return;
    // No local row first: the row comes from the push result.
    NoteClassifyModel model;
    model.setActionType(RowAction::Added);
    model.setClassId(NoteId::getClientId());
    model.setSort(1);
    model.setName(defaultCategoryName());
    model.setBackColor(defaultCategoryColor());
    m_defaultInFlight = true;
    QPointer<QObject> run = m_run;
    m_sync.pushCategory(model, [this, run, model](bool answered, const BaseSuccessModel &reply) {
        if (!run)
            return;
        m_defaultInFlight = false;
        const CategoryPushReply r = CategoryPushReply::apply(m_sync.notes(), answered, reply);
        if (r.outcome == CategoryPushReply::Outcome::Refused) {
            m_feedback.showMessage(r.refusalText(), UserFeedback::Asker{run, nullptr});
            return;
        }
        if (r.outcome != CategoryPushReply::Outcome::Accepted)
            return;
        Context *ctx = &m_store;
        bool created = false;
        Classify *row = r.acceptedRow(ctx, &created);
        if (created) {
            row->setSort(qint16(model.sort()));
            row->setBackColor(model.backColor());
            row->setName(model.name());
            row->setIsSync(true);
            if (const SaveResult saved = ctx->saveAndWait(); !saved) {
                qWarning().noquote() << "default category not saved:" << saved.error;
                return;
            }
        }
        emit m_events.reloadLeftHomeList(
            LeftHomeListReload::selectCategory(CategoryKey{row->objectId().pk, row->classId()}));
    });
}
