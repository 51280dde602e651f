#include "notes/search/presenter/NoteSearchPresenter.h"

#include "app/services/StoreSaver.h"
#include "core/model/NoteLog.h"
#include "core/model/RecordDeleteType.h"
#include "notes/search/presenter/NoteSearchModel.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/RecordPager.h"

#include <QClipboard>
#include <QGuiApplication>

NoteSearchPresenter::NoteSearchPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_notes(new NoteSearchIndex(services.store, Scope::Notes, this)),
      m_history(new NoteSearchIndex(services.store, Scope::History, this)),
      m_model(new NoteSearchModel(services.store, this))
{
    for (NoteSearchIndex *index : {m_notes, m_history}) {
        const Scope scope = index->scope();
        connect(index, &NoteSearchIndex::rowsChanged, this,
                [this, scope](const QSet<qint64> &keys) { hitsMoved(scope, keys); });
        connect(index, &NoteSearchIndex::rowsReplaced, this, [this, scope] { hitsMoved(scope, {}); });
    }
    // The important interval shows on every note row.
    connect(m_services.store.get(), &Context::changesSaved, this, [this](const StoreChanges &changes) {
        if (!changes.entity(QStringLiteral("UserSet")).isEmpty())
            m_model->refreshLooks();
    });
    connect(m_services.historyPager.get(), &RecordPager::finished, this, [this] { m_windowBusy.release(); });
    connect(m_services.session.get(), &Session::signedOut, this, &NoteSearchPresenter::signedOut);
}

NoteSearchPresenter::~NoteSearchPresenter() = default;

NoteSearchIndex *NoteSearchPresenter::indexFor(Scope scope) const
{
    return scope == Scope::Notes ? m_notes : m_history;
}

void NoteSearchPresenter::chooseScope(Scope scope)
{
    if (m_scope == scope)
        return;
    m_scope = scope;
    emit stateChanged();
}

bool NoteSearchPresenter::isListShown() const
{
    return m_model->rowCount() > 0;
}

void NoteSearchPresenter::searchButtonAction(const QString &text)
{
    // The index ignores white space on both sides; a text of only that searches nothing.
    if (FoldedTextIndex::fold(text).isEmpty())
        return;
    QString query = text;
    query.remove(u' ');
    m_query = query;
    m_model->setHits(m_scope, indexFor(m_scope)->match(m_query));
    updateTip();
    m_services.feedback->showToast(m_tip, m_anchor);
}

void NoteSearchPresenter::hitsMoved(Scope scope, const QSet<qint64> &touched)
{
    if (m_query.isEmpty() || m_model->scope() != scope)
        return;
    m_model->follow(indexFor(scope)->match(m_query), touched);
    updateTip();
}

void NoteSearchPresenter::updateTip()
{
    const QString tip =
        m_query.isEmpty() ? QString() : QStringLiteral("共有%1条结果").arg(m_model->rowCount());
    m_tip = tip;
    emit stateChanged();
}

void NoteSearchPresenter::viewWillAppear()
{
    RecordPager &pager = *m_services.historyPager;
    // An empty mirror is filled from the start, under the window's spinner.
    if (!pager.isRunning() && m_services.store->count<NoteLog>() == 0 && !m_windowBusy.isActive())
        m_windowBusy = BusyGuard(m_anchor, m_services.feedback);
    pager.refresh(HistoryPageSize);
}

NoteSearchMenu NoteSearchPresenter::openMenu(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    // The hits' own scope: the choice may have moved since they were found.
    return NoteSearchMenu::forRow(m_model->scope() == Scope::History);
}

void NoteSearchPresenter::triggerMenuItem(int row, int tag)
{
    if (!openMenu(row).allows(tag))
        return;
    const QModelIndex index = m_model->index(row);
    if (!index.data(NoteSearchModel::CIdRole).isValid())
        return; // the row is gone meanwhile
    if (tag == NoteSearchMenu::Copy)
        return copy(index.data(NoteSearchModel::ContentRole).toString());
    if (m_model->scope() == Scope::Notes) {
        emit m_services.events->reloadLeftHomeList(
            LeftHomeListReload::selectNote(index.data(NoteSearchModel::CIdRole).toString()));
        return;
    }
    deleteNoteLog(m_model->keyAt(row));
}

void NoteSearchPresenter::copy(const QString &text)
{
    if (auto *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
    m_services.feedback->showToast(QStringLiteral("复制成功"), m_anchor);
}

void NoteSearchPresenter::deleteNoteLog(qint64 key)
{
    auto *log = m_services.store->existing<NoteLog>(ObjectId{NoteLog::entity().index, key});
    if (!log || log->isDeleted() || log->tId().isEmpty() || m_deleting.contains(key))
        return;
    m_deleting.insert(key);
    const quint64 generation = m_services.session->generation();
    const QJsonObject params{{"delType", RecordDeleteType::History}, {"indexId", log->tId()}};
    m_services.api->deleteNoteLogWithParams(
        params, this,
        [this, key, generation](const BaseSuccessModel &reply) {
            m_deleting.remove(key);
            // A refusal leaves the row; a reply of an ended sign-in changes nothing.
            if (!reply.isSuccess() || m_services.session->generation() != generation)
                return;
            auto *row = m_services.store->existing<NoteLog>(ObjectId{NoteLog::entity().index, key});
            if (!row || row->isDeleted())
                return;
            m_services.store->deleteObject(row);
            // The save's change set takes the hit out of the list.
            StoreSaver::save(m_services, m_anchor, "deleting a history record");
        },
        [this, key](const BaseErrorModel &) { m_deleting.remove(key); });
}

void NoteSearchPresenter::signedOut()
{
    m_windowBusy.release();
    m_deleting.clear();
    m_query.clear();
    m_model->clear();
    // Nothing of an account is held across a sign-out.
    m_notes->reset();
    m_history->reset();
    updateTip();
}
