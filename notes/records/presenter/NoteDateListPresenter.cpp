#include "notes/records/presenter/NoteDateListPresenter.h"

#include "core/model/NoteDetail.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteDateSource.h"
#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"

NoteDateListPresenter::NoteDateListPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_source(new NoteDateSource(services.store, this)),
      m_model(new NoteDateListModel(services.store, m_source, this)), m_actions(services)
{
    connect(m_source, &NoteDateSource::itemsChanged, this, [this](const QSet<qint64> &notes) {
        m_model->update(notes, now());
        scheduleNextChange();
    });
    connect(m_source, &NoteDateSource::itemsReplaced, this, [this] {
        if (m_model->isLoaded())
            loadDateManagerNotesWithClassId(m_classId, m_ascending);
    });
    connect(m_source, &NoteDateSource::looksChanged, m_model, &NoteDateListModel::refreshLooks);
    // A jump of the clock (a wake from suspend) may move every group.
    if (m_services.clock)
        connect(m_services.clock, &Clock::jumped, this, &NoteDateListPresenter::timeMoved);
    // Nothing of an account is held across a sign-out.
    if (m_services.session)
        connect(m_services.session, &Session::signedOut, this, [this] {
            ++m_wake;
            m_model->clear();
        });
}

NoteDateListPresenter::~NoteDateListPresenter() = default;

QDateTime NoteDateListPresenter::now() const
{
    return m_services.clock ? m_services.clock->now() : QDateTime::currentDateTime();
}

void NoteDateListPresenter::didSelectItemWithPopUps(const NoteRecordPopUps &popUps)
{
    m_ascending = popUps.first != 0;
    m_classId = popUps.category.classId;
    loadDateManagerNotesWithClassId(m_classId, m_ascending);
}

void NoteDateListPresenter::loadDateManagerNotesWithClassId(const QString &classId, bool ascending)
{
    m_classId = classId;
    m_ascending = ascending;
    m_model->reload(classId, ascending, now());
    scheduleNextChange();
}

void NoteDateListPresenter::timeMoved()
{
    m_model->regroup(now());
    scheduleNextChange();
}

void NoteDateListPresenter::scheduleNextChange()
{
    const quint64 wake = ++m_wake;
    if (!m_services.scheduler || !m_model->isLoaded())
        return;
    const QDateTime at = now();
    const qint64 next = m_model->nextChange(at);
    if (next <= 0)
        return;
    m_services.scheduler->schedule(std::max<qint64>(0, next - at.toMSecsSinceEpoch()), this, [this, wake] {
        if (wake == m_wake)
            timeMoved();
    });
}

NoteDateMenu NoteDateListPresenter::openMenu(int row) const
{
    if (m_model->kindAt(row) != NoteDateListModel::Kind::Note || row >= m_model->rowCount())
        return {};
    const QModelIndex i = m_model->index(row);
    return NoteDateMenu::forNote(i.data(NoteDateListModel::WifiRole).toBool(),
                                 i.data(NoteDateListModel::FiredRole).toBool());
}

void NoteDateListPresenter::triggerMenuItem(int row, int tag)
{
    const NoteDateMenu menu = openMenu(row);
    if (!menu.allows(tag) || !m_services.store)
        return;
    auto *n =
        m_services.store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, m_model->keyAt(row)});
    if (!n || n->isDeleted() || n->actionType() == 3)
        return;
    switch (tag) {
    case NoteDateMenu::Copy:
        m_actions.copy(n);
        break;
    case NoteDateMenu::Detail:
        if (m_services.events)
            emit m_services.events->reloadLeftHomeList(LeftHomeListReload::selectNote(n->cId()));
        break;
    case NoteDateMenu::Delete:
        // The save's change set takes the row out and recounts the headers.
        m_actions.remove(n);
        break;
    case NoteDateMenu::Complete:
        m_actions.complete(n);
        break;
    default:
        break;
    }
}
