#include "notes/detail/presenter/NoteDetailPresenter.h"

#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/EventKeys.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/RowAction.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/model/WiFiTrigger.h"
#include "core/operations/NoteActionManager.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/NoteMapManager.h"

#include <QDebug>

namespace {

bool isClientId(const QString &cId)
{
    return cId.contains(QLatin1Char('c'));
}

// Where new notes go: the top for that setting, else the bottom.
NotePosition::Code addLocation(Context *ctx)
{
    const UserSet *set = ctx ? ctx->findFirstWhere<UserSet>() : nullptr;
    return set && set->noteAddPositionType() == NotePosition::Top ? NotePosition::Top : NotePosition::Bottom;
}

// A completion that deleted the note (the completed-note setting "delete") took
// it out of its category's order; it has to go back in before it lives again.
void relinkIfUnlinked(NoteDetail *note, Context *ctx, NoteActionManager &actions)
{
    if (note->actionType() != RowAction::Deleted)
        return;
    note->setActionType(isClientId(note->cId()) ? 1 : 2);
    actions.configNewLastNote(note, addLocation(ctx));
}

void writeDateFields(DateRemind *r, const NoteRemindModel &m)
{
    r->setRemindDateTime(m.remindStartTime());
    r->setRemindRealDateTime(m.remindRealDateTime());
    r->setRemindEndTime(m.remindEndTime());
    r->setRemindDateType(qint16(m.remindDateType()));
    r->setRemindCycleType(qint16(m.remindCycleType()));
    r->setRemindCycleInterval(qint16(m.remindInterval()));
    r->setRemindCycleSpecific(m.remindSpecify());
    r->setRemindRType(qint16(m.remindStarType()));
    r->setRemindDelayTime(m.remindDelayTime());
}

} // namespace

NoteDetailPresenter::NoteDetailPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    if (AppEvents *e = m_services.events) {
        connect(e, &AppEvents::reloadNoteDetail, this, &NoteDetailPresenter::reloadNoteDetail);
        connect(e, &AppEvents::syncPushNoteDatas, this, &NoteDetailPresenter::syncPushNoteDatas);
        connect(e, &AppEvents::revokeCompleteNote, this, &NoteDetailPresenter::revokeCompletion);
        connect(e, &AppEvents::addNoteDetail, this, &NoteDetailPresenter::addNote);
    }
    connect(m_services.store, &Context::changesSaved, this, &NoteDetailPresenter::followRename);
    // Nothing of a sign-in stays: the rows are about to be wiped.
    connect(m_services.session, &Session::signingOut, this, [this] {
        m_remind.reset();
        m_currVersion.clear();
        m_cycles = 0;
        m_refreshWanted = false;
        m_revoking = false;
        m_busy.release();
        showNothing();
    });
}

NoteDetailPresenter::~NoteDetailPresenter() = default;

void NoteDetailPresenter::followRename(const StoreChanges &changes)
{
    // The push gives a new note its server id in place: the shown key follows.
    if (m_shown.pk <= 0 || changes.replaced)
        return;
    static const QString cIdAttribute = QStringLiteral("cId");
    for (const StoreChanges::Updated &u : changes.entity(QStringLiteral("NoteDetail")).updated) {
        if (u.pk != m_shown.pk || !u.attributes.contains(cIdAttribute))
            continue;
        if (const NoteDetail *n =
                m_services.store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, u.pk}))
            m_shown.cId = n->cId();
        return;
    }
}

bool NoteDetailPresenter::signedIn() const
{
    return m_services.session->isSignedIn();
}

NoteDetail *NoteDetailPresenter::shownRow() const
{
    if (m_shown.isNull())
        return nullptr;
    return EventKeys::find(*m_services.store, m_shown);
}

void NoteDetailPresenter::setEditing(bool editing)
{
    if (m_editing == editing)
        return;
    m_editing = editing;
    emit editingChanged(editing);
}

void NoteDetailPresenter::show(NoteDetail *note)
{
    m_shown = EventKeys::of(note);
    setEditing(true);
    emit noteShown(m_shown);
}

void NoteDetailPresenter::showNothing()
{
    m_shown = {};
    setEditing(false);
    emit noteShown(NoteKey{});
}

void NoteDetailPresenter::reloadNoteDetail(const NoteKey &key)
{
    m_remind.reset();
    NoteDetail *note = key.isNull() ? nullptr : EventKeys::find(*m_services.store, key);
    if (!note) {
        showNothing();
        return;
    }
    const Classify *c = note->classify();
    m_currVersion = c ? c->version() : QString();
    show(note);
    if (!note->cId().isEmpty())
        m_services.localNotifications->removeDeliveredNotificationWithIdentifiers({note->cId()});
}

void NoteDetailPresenter::addNote()
{
    Context *ctx = m_services.store;
    const CategoryKey key = m_categorySource ? m_categorySource() : CategoryKey{};
    Classify *c = key.isNull() || !ctx ? nullptr : EventKeys::find(*ctx, key);
    if (!c || c->actionType() == RowAction::Deleted) {
        // The pane stays as it was: an editor without a note could do nothing.
        m_services.feedback->showMessage(noCategoryText(),
                                         UserFeedback::by(m_anchor ? m_anchor.data() : this));
        return;
    }
    m_remind.reset();
    // A new note the user left without text is shown again rather than another made.
    const QString content = QStringLiteral("content");
    NoteDetail *note = ctx->fetchFirst<NoteDetail>(
        {Predicate::equals(QStringLiteral("classId"), c->classId()) &&
             (Predicate::isNull(content) || Predicate::equals(content, QStringLiteral(""))) &&
             Predicate::notEquals(QStringLiteral("actionType"), RowAction::Deleted),
         {{QStringLiteral("sort"), true}},
         1});
    if (!note) {
        note = m_services.noteActions->addActionNoteWithClassify(c);
        if (!note)
            return;
        // A real row at once: the list shows it and every key stays valid.
        if (!StoreSaver::save(m_services, m_anchor, "detail: the new note")) {
            ctx->deleteObject(note);
            return;
        }
    }
    // The pane holds the new note itself, so a reminder chosen for it lands on it.
    m_currVersion = c->version();
    show(note);
    emit m_services.events->notesListReloadDatas(NotesListReload::showNote(EventKeys::of(note)));
}

void NoteDetailPresenter::applyRemind(const NoteRemindModel &value)
{
    m_remind = value;
    emit remindShown(value);
}

void NoteDetailPresenter::remindCleared()
{
    NoteRemindModel cleared;
    cleared.setRemindActionType(RemindAction::Cleared);
    m_remind = cleared;
}

void NoteDetailPresenter::dismissed()
{
    m_remind.reset();
    showNothing();
    emit m_services.events->noteDeselectRow();
}

void NoteDetailPresenter::editCancelled()
{
    m_remind.reset();
}

void NoteDetailPresenter::remindWanted()
{
    if (m_remind) {
        emit remindWindowWanted(*m_remind);
        return;
    }
    const NoteDetail *note = shownRow();
    emit remindWindowWanted(
        NoteMapManager::mappingRemindModelFromNoteRemind(note ? note->remind() : nullptr));
}

void NoteDetailPresenter::writePendingRemind(NoteDetail *note)
{
    Context *ctx = m_services.store;
    const QString cId = note->cId();
    if (!m_remind) {
        const DateRemind *r = note->remind();
        if (!r || Missing::isMissing(r->remindRealDateTime()) ||
            r->remindActionType() == RemindAction::Cleared)
            m_services.localNotifications->removeScheduledNotificationWithIdentifiers({cId});
        return;
    }
    const NoteRemindModel &m = *m_remind;
    m_services.localNotifications->removeScheduledNotificationWithIdentifiers({cId});
    DateRemind *r = note->remind();
    if (r) {
        r->setRemindActionType(qint16(m.remindActionType()));
    } else {
        r = ctx->create<DateRemind>();
        note->setRemind(r);
        r->setRemindActionType(RemindAction::New);
    }
    if (m.remindActionType() == RemindAction::Cleared) {
        // A cleared reminder keeps its record: no date, the Wi-Fi fields as they were.
        writeDateFields(r, m);
        return;
    }
    if (!Missing::isMissing(m.connectWifiIds())) {
        r->setConnectWifiIds(m.connectWifiIds());
        r->setConnectWifiType(qint16(m.connectWifiType()));
        r->setRemindWifiDateTime(DateManager::getStringFromDate(Clock::now()));
        // Left over date fields would make it show, list and ring as a date reminder.
        r->setRemindDateTime(QString());
        r->setRemindRealDateTime(QString());
        r->setRemindEndTime(QString());
        r->setRemindDelayTime(QString());
        r->setRemindCycleType(0);
        r->setRemindCycleInterval(0);
        r->setRemindCycleSpecific(QString());
        r->setRemindRType(0);
        r->setRemindWifiStatus(WiFiRemindStatus::Armed);
        return;
    }
    writeDateFields(r, m);
    // Left over Wi-Fi ids would keep it a Wi-Fi reminder that never gets scheduled.
    r->setConnectWifiIds(QString());
    r->setConnectWifiType(WiFiTrigger::OnJoin);
    r->setRemindWifiStatus(WiFiRemindStatus::Armed);
    r->setRemindWifiDateTime(QString());
}

void NoteDetailPresenter::editConfirmed()
{
    Context *ctx = m_services.store;
    if (!ctx)
        return;
    NoteDetail *note = shownRow();
    if (note)
        writePendingRemind(note);
    // Not stored: the reminder stays pending on the note and the user is told;
    // the push waits for a save that holds.
    const bool saved = StoreSaver::save(m_services, m_anchor, "detail: the confirmed note");
    if (note) {
        // The note's notification was withdrawn; what its reminder still asks for
        // goes back at once, also when the save changed nothing the scheduler sees.
        StoreChanges changed;
        changed.entities[QStringLiteral("NoteDetail")].updated.append(
            StoreChanges::Updated{note->objectId().pk, {}});
        m_services.reminders->reconcileChanges(changed);
    }
    m_remind.reset();
    if (saved)
        runCycle({});
}

void NoteDetailPresenter::syncPushNoteDatas(const NoteKey &key)
{
    if (key.isNull()) {
        runCycle({});
        return;
    }
    QString cId = key.cId;
    if (const NoteDetail *n = EventKeys::find(*m_services.store, key))
        cId = n->cId();
    if (cId.isEmpty())
        runCycle({});
    else
        runCycle({cId});
}

void NoteDetailPresenter::runCycle(const QStringList &noteIds)
{
    if (!signedIn())
        return;
    ++m_cycles;
    m_services.sync->sync(
        noteIds, m_currVersion, this,
        [this](SyncEngine::CycleStep step, const QString &version) { cycleStep(step, version); });
}

void NoteDetailPresenter::cycleStep(SyncEngine::CycleStep step, const QString &version)
{
    using Step = SyncEngine::CycleStep;
    switch (step) {
    case Step::Pulling:
        if (!m_busy.isActive())
            m_busy = BusyGuard(m_anchor, m_services.feedback);
        return;
    case Step::Pulled:
        m_currVersion = version;
        m_refreshWanted = true;
        break;
    case Step::PushNotAnswered:
        // The unsent notes were marked: the list and the column show it.
        m_refreshWanted = true;
        break;
    case Step::PushNotTaken:
    case Step::PullFailed:
    case Step::Dropped:
        break;
    }
    if (m_cycles > 0)
        --m_cycles;
    if (m_cycles > 0)
        return;
    // Cycles that ended together refresh once.
    m_busy.release();
    if (std::exchange(m_refreshWanted, false))
        refreshAfterCycle();
}

void NoteDetailPresenter::refreshAfterCycle()
{
    // The pull may have replaced or removed the shown note.
    NoteDetail *note = shownRow();
    if (note)
        show(note);
    else if (!m_shown.isNull())
        showNothing();
    Classify *c = note ? note->classify() : nullptr;
    if (!c && m_categorySource) {
        const CategoryKey current = m_categorySource();
        c = current.isNull() ? nullptr : EventKeys::find(*m_services.store, current);
    }
    emit m_services.events->reloadLeftHomeList(c ? LeftHomeListReload::selectCategory(EventKeys::of(c))
                                                 : LeftHomeListReload::refetch());
}

void NoteDetailPresenter::revokeCompletion()
{
    Context *ctx = m_services.store;
    NoteDetail *note = shownRow();
    if (!ctx || !note || !note->isCompleted() || m_revoking)
        return;
    const NoteKey key = EventKeys::of(note);
    if (isClientId(note->cId())) {
        relinkIfUnlinked(note, ctx, *m_services.noteActions);
        note->setIsSync(false);
        note->setIsCompleted(false);
        note->setCompletedTime(QString());
        note->setActionType(RowAction::Added);
        if (StoreSaver::save(m_services, m_anchor, "detail: the undone completion"))
            runCycle({});
        return;
    }
    if (!signedIn())
        return;
    m_revoking = true;
    const quint64 generation = m_services.session->generation();
    auto stillOurs = [this, generation] { return m_services.session->generation() == generation; };
    m_services.api->revokeAlreadyCompleteNoteFromParams(
        QJsonObject{{"cId", note->cId()}}, this,
        [this, key, stillOurs](const BaseSuccessModel &reply) {
            if (!stillOurs())
                return;
            m_revoking = false;
            if (reply.code == 200)
                finishRevoke(key);
        },
        [this, stillOurs](const BaseErrorModel &) {
            if (stillOurs())
                m_revoking = false;
        });
}

void NoteDetailPresenter::finishRevoke(const NoteKey &key)
{
    Context *ctx = m_services.store;
    NoteDetail *note = ctx ? EventKeys::find(*ctx, key) : nullptr;
    if (!note)
        return;
    // The service has the completion undone; only a new place in the order is news to it.
    const bool relinked = note->actionType() == RowAction::Deleted;
    relinkIfUnlinked(note, ctx, *m_services.noteActions);
    note->setIsSync(!relinked);
    note->setIsCompleted(false);
    note->setCompletedTime(QString());
    note->setActionType(RowAction::Changed);
    // The service has it undone; a row that could not be stored stays pending and the user is told.
    (void)StoreSaver::save(m_services, m_anchor, "detail: the undone completion");
    const qint64 version = UserDefaults::string(SignInKeys::Version).trimmed().toLongLong();
    UserDefaults::setValue(SignInKeys::Version, QString::number(version + 1));
    UserDefaults::sync();
    if (relinked)
        runCycle({});
    else
        refreshAfterCycle();
}
