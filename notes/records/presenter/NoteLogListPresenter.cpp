#include "notes/records/presenter/NoteLogListPresenter.h"

#include "core/model/NoteLog.h"
#include "core/model/RecordDeleteType.h"
#include "notes/records/presenter/NoteLogListModel.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

NoteLogListPresenter::NoteLogListPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_model(new NoteLogListModel(services.store, this))
{
    RecordPager *pager = m_services.historyPager;
    connect(pager, &RecordPager::pageImported, this, [this](int) {
        // The first page into an empty list shows at once; later ones wait for the chain's end.
        if (m_model->rowCount() == 0)
            loadLocalLogDatas(true);
    });
    connect(pager, &RecordPager::finished, this, &NoteLogListPresenter::pagerFinished);
    connect(m_model, &NoteLogListModel::rowsDropped, this, &NoteLogListPresenter::updateState);
    connect(m_services.session, &Session::signedOut, this, [this] {
        m_busy.release();
        m_deleting.clear();
        m_page = 0;
        m_model->clear();
        updateState();
    });
}

NoteLogListPresenter::~NoteLogListPresenter() = default;

void NoteLogListPresenter::viewWillAppear()
{
    m_classId.clear();
    m_dateRange = 0;
    m_actionType = 0;
    RecordPager *pager = m_services.historyPager;
    // Only filling an empty mirror covers the list; newer records come in quietly.
    if (!m_busy.isActive() && m_services.store->count(NoteLog::entity(), Predicate()) == 0)
        m_busy = BusyGuard(m_anchor, m_services.feedback);
    pager->refresh();
    updateState();
}

void NoteLogListPresenter::pagerFinished(RecordPager::Result result)
{
    // Every end of the chain takes the overlay away, a refused or failed page too.
    m_busy.release();
    if (result == RecordPager::Result::Done)
        loadLocalLogDatas(true);
    updateState();
}

void NoteLogListPresenter::didSelectItemWithPopUps(const NoteRecordPopUps &popUps)
{
    m_actionType = popUps.first;
    m_classId = popUps.category.classId;
    m_dateRange = popUps.third;
    loadLocalLogDatas(true);
}

void NoteLogListPresenter::loadNextDatasAction()
{
    ++m_page;
    loadLocalLogDatas(false);
}

void NoteLogListPresenter::loadLocalLogDatas(bool reset)
{
    const NoteLogListModel::Filter filter{m_classId, m_actionType, m_dateRange};
    if (reset) {
        m_page = 0;
        m_noMore = false;
        m_model->reload(filter, m_services.clock->now());
    } else if (!m_model->showNextPage()) {
        if (m_page > 0)
            --m_page;
        m_noMore = true;
        m_services.feedback->showToast(QStringLiteral("没有更多数据"), m_anchor);
    }
    updateState();
}

void NoteLogListPresenter::updateState()
{
    const int rows = m_model->rowCount();
    const bool more = rows >= NoteLogListModel::PageSize && !m_noMore;
    // While an empty mirror fills, the overlay speaks for the list: no "empty" under it.
    const bool empty = rows == 0 && !m_busy.isActive();
    m_moreVisible = more;
    m_emptyVisible = empty;
    emit stateChanged();
}

QList<NoteLogListPresenter::MenuItem> NoteLogListPresenter::menuItems(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    return {{Copy, QStringLiteral("   复制   ")}, {Delete, QStringLiteral("   删除   ")}};
}

void NoteLogListPresenter::triggerMenuItem(int row, int tag)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const qint64 key = m_model->keyAt(row);
    if (tag == Copy) {
        if (auto *clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setText(m_model->cellAt(row).text.text());
        }
        m_services.feedback->showToast(QStringLiteral("复制成功"), m_anchor);
    } else if (tag == Delete) {
        deleteNoteLogWithKey(key);
    }
}

void NoteLogListPresenter::deleteNoteLogWithKey(qint64 key)
{
    const QString tId = m_model->cellAt(m_model->rowOfKey(key)).tId;
    // A second press while the first is out sends nothing.
    if (tId.isEmpty() || m_deleting.contains(tId))
        return;
    m_deleting.insert(tId);
    const quint64 generation = m_services.session->generation();
    const QJsonObject params{{"delType", RecordDeleteType::History}, {"indexId", tId}};
    m_services.api->deleteNoteLogWithParams(
        params, this,
        [this, tId, generation](const BaseSuccessModel &reply) {
            m_deleting.remove(tId);
            if (!reply.isSuccess() || m_services.session->generation() != generation)
                return;
            Context *store = m_services.store;
            // The change set takes the row out of the list.
            const QList<NoteLog *> rows =
                store->fetch<NoteLog>(Predicate::equals(QStringLiteral("tId"), tId));
            if (rows.isEmpty())
                return;
            for (NoteLog *row : rows)
                store->deleteObject(row);
            // A save that fails keeps the row as it was (the service may list it again).
            if (!store->saveAndWait())
                store->rollback();
        },
        [this, tId](const BaseErrorModel &) { m_deleting.remove(tId); });
}
