#include "notes/records/presenter/NoteCompleteListPresenter.h"

#include "core/model/NoteComplete.h"
#include "core/model/RecordDeleteType.h"
#include "core/reminders/dates/RecordTimeRange.h"
#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/presenter/NoteCompleteSource.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/RecordPager.h"

#include <QClipboard>
#include <QGuiApplication>

NoteCompleteListPresenter::NoteCompleteListPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_source(new NoteCompleteSource(services.store, this)),
      m_model(new NoteCompleteListModel(services.store, this))
{
    connect(m_source, &NoteCompleteSource::itemsRemoved, this, &NoteCompleteListPresenter::recordsRemoved);
    RecordPager *pager = m_services.completionPager;
    connect(pager, &RecordPager::pageImported, this, &NoteCompleteListPresenter::pageImported);
    connect(pager, &RecordPager::finished, this, &NoteCompleteListPresenter::chainEnded);
    // Nothing of an account is held across a sign-out.
    connect(m_services.session.get(), &Session::signingOut, this, [this] {
        m_busy.release();
        m_deleting.clear();
        m_matches.clear();
        m_model->clear();
        m_source->reset();
        m_page = 0;
        m_lastSort.reset();
        setState(false, true);
    });
}

NoteCompleteListPresenter::~NoteCompleteListPresenter() = default;

qint64 NoteCompleteListPresenter::nowMSecs() const
{
    return m_services.clock->now().toMSecsSinceEpoch();
}

QList<QPair<int, QString>> NoteCompleteListPresenter::menuItems()
{
    return {{Copy, QStringLiteral("   复制   ")}, {Delete, QStringLiteral("   删除   ")}};
}

void NoteCompleteListPresenter::viewWillAppear()
{
    m_shown = true;
    m_classId.clear();
    m_dateType = 0;
    loadLocalCompleteDatasWithClassId(m_classId, true);
    loadCompleteNoteList();
}

void NoteCompleteListPresenter::viewDidDisappear()
{
    m_shown = false;
    m_busy.release();
}

void NoteCompleteListPresenter::loadCompleteNoteList()
{
    RecordPager *pager = m_services.completionPager;
    // An empty mirror fills from the newest record backwards: the overlay stands until the chain ends.
    if (m_source->isEmpty() && !m_busy.isActive())
        m_busy = BusyGuard(m_anchor, m_services.feedback);
    pager->refresh();
}

void NoteCompleteListPresenter::pageImported()
{
    // The first page shows at once; later ones wait for the chain's end.
    if (m_shown && m_model->rowCount() == 0)
        loadLocalCompleteDatasWithClassId(m_classId, true);
}

void NoteCompleteListPresenter::chainEnded()
{
    m_busy.release();
    if (m_shown)
        loadLocalCompleteDatasWithClassId(m_classId, true);
}

void NoteCompleteListPresenter::didSelectItemWithPopUps(const NoteRecordPopUps &popUps)
{
    m_dateType = popUps.first;
    m_classId = popUps.second >= 1 ? popUps.category.classId : QString();
    loadLocalCompleteDatasWithClassId(m_classId, true);
}

void NoteCompleteListPresenter::loadNextDatasAction()
{
    m_page += 1;
    loadLocalCompleteDatasWithClassId(m_classId, false);
}

void NoteCompleteListPresenter::loadLocalCompleteDatasWithClassId(const QString &classId, bool reset)
{
    const qint64 now = nowMSecs();
    m_model->setNow(now);
    const RecordTimeRange range = RecordTimeRange::forType(m_dateType, m_services.clock->now());
    if (reset) {
        m_page = 0;
        m_noMore = false;
        m_lastSort.reset();
        // A time range chooses among the whole mirror; the pages are cut from what passes.
        m_matches = range.isAll() ? QList<qint64>() : m_source->query(classId, range);
    }
    QList<NoteCompleteListModel::Ref> refs;
    if (range.isAll()) {
        // Without a time range the store's indexes give the next page after the last row shown.
        for (const NoteCompleteSource::Entry &e : m_source->newest(classId, m_lastSort, PageSize)) {
            refs.append({e.pk, e.tId});
            m_pageEnd = e.sort;
        }
    } else {
        const qsizetype from = qsizetype(m_page) * PageSize;
        for (qsizetype i = from; i < m_matches.size() && i < from + PageSize; ++i) {
            const auto e = m_source->entry(m_matches.at(i));
            if (e)
                refs.append({e->pk, e->tId});
        }
    }
    if (!refs.isEmpty()) {
        m_lastSort = m_pageEnd;
        if (m_page == 0)
            m_model->setRows(refs);
        else
            m_model->appendRows(refs);
    } else {
        if (m_page > 0)
            m_page -= 1;
        if (!reset) {
            m_noMore = true;
            m_services.feedback->showToast(QStringLiteral("没有更多数据"), m_anchor);
        } else {
            m_model->clear();
        }
    }
    const bool rows = m_model->rowCount() > 0;
    setState(rows && !m_noMore && m_model->rowCount() >= PageSize, !rows);
}

void NoteCompleteListPresenter::recordsRemoved(const QSet<qint64> &keys)
{
    m_matches.removeIf([&](qint64 k) { return keys.contains(k); });
    const int before = m_model->rowCount();
    m_model->removeKeys(keys);
    if (m_model->rowCount() != before) {
        const bool rows = m_model->rowCount() > 0;
        setState(rows && m_moreVisible, !rows);
    }
}

void NoteCompleteListPresenter::setState(bool more, bool empty)
{
    if (more == m_moreVisible && empty == m_emptyVisible)
        return;
    m_moreVisible = more;
    m_emptyVisible = empty;
    emit stateChanged();
}

void NoteCompleteListPresenter::noteAction(int row, int tag)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    switch (tag) {
    case Copy:
        if (QClipboard *clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setText(m_model->contentAt(row));
        }
        m_services.feedback->showToast(QStringLiteral("复制成功"), m_anchor);
        break;
    case Delete:
        deleteNoteLogWithNote(m_model->keyAt(row), m_model->tIdAt(row));
        break;
    default:
        break;
    }
}

void NoteCompleteListPresenter::deleteNoteLogWithNote(qint64 key, const QString &tId)
{
    // One request per record: a second press while it is out does nothing.
    if (tId.isEmpty() || m_deleting.contains(key))
        return;
    m_deleting.insert(key);
    const quint64 generation = m_services.session->generation();
    const QJsonObject params{{"delType", RecordDeleteType::Completion}, {"indexId", tId}};
    m_services.api->deleteNoteLogWithParams(
        params, this,
        [this, key, tId, generation](const BaseSuccessModel &reply) {
            m_deleting.remove(key);
            if (!reply.isSuccess() || m_services.session->generation() != generation)
                return;
            Context *store = m_services.store;
            // By its id: the row may have gone or been read again meanwhile.
            const QList<NoteComplete *> rows =
                store->fetch<NoteComplete>(Predicate::equals(QStringLiteral("tId"), tId));
            if (rows.isEmpty())
                return;
            for (NoteComplete *row : rows)
                store->deleteObject(row);
            // The change set takes the row out of the list. A save that fails keeps the deletion pending
            // (every query already leaves the row out, and the next save writes it): the row goes now.
            if (!store->saveAndWait())
                recordsRemoved({key});
        },
        [this, key](const BaseErrorModel &) { m_deleting.remove(key); });
}
