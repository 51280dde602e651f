#include "notes/categories/presenter/CategoryColumnPresenter.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "notes/categories/presenter/CategoryDueCount.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"
#include "service/account/QuitLoginManager.h"
#include "service/api/AutoJumpToken.h"
#include "service/sync/SignInSyncCoordinator.h"

#include <QPointer>
#include <QUrl>

CategoryColumnPresenter::CategoryColumnPresenter(const Services &services, SignInSyncCoordinator *coordinator,
                                                 QObject *parent)
    : QObject(parent), m_services(services), m_coordinator(coordinator), m_model(new CategoryListModel(this))
{
    connect(m_services.events, &AppEvents::reloadLeftHomeList, this, &CategoryColumnPresenter::reload);
    connect(m_services.events, &AppEvents::deselectCollectionItem, this, &CategoryColumnPresenter::deselect);
    // Whoever tells the list what to show.
    connect(m_services.events, &AppEvents::notesListReloadDatas, this, [this](const NotesListReload &what) {
        if (what.kind == NotesListReload::Kind::Category)
            m_listShows = what.category.classId;
        else if (what.kind == NotesListReload::Kind::Note)
            m_listShows.clear();
    });
    connect(m_services.store, &Context::changesSaved, this, &CategoryColumnPresenter::onStoreChanges);
    if (m_coordinator)
        connect(m_coordinator, &SignInSyncCoordinator::pullApplied, this,
                &CategoryColumnPresenter::afterPull);
    // A sign-out drops every key.
    connect(m_services.session, &Session::signingOut, this, [this] {
        m_listShows.clear();
        m_model->setRows({});
        select(-1);
    });
}

CategoryKey CategoryColumnPresenter::selectedCategory() const
{
    const CategoryListModel::Row r = m_model->row(m_selected);
    return r.pk > 0 ? CategoryKey{r.pk, r.classId} : CategoryKey{};
}

QList<CategoryListModel::Row> CategoryColumnPresenter::fetchRows() const
{
    QList<CategoryListModel::Row> rows;
    Context *ctx = m_services.store;
    if (!ctx)
        return rows;
    FetchRequest request;
    request.where = Predicate::notEquals(QStringLiteral("actionType"), RowAction::Deleted);
    request.sortBy.append({QStringLiteral("sort"), true});
    const QList<Classify *> classes = ctx->fetch<Classify>(request);
    const QHash<QString, int> due = CategoryDueCount::dueByCategory(ctx, Clock::now());
    rows.reserve(classes.size());
    for (const Classify *c : classes)
        rows.append({c->objectId().pk, c->classId(), c->name(), c->backColor(), due.value(c->classId()) > 0});
    return rows;
}

void CategoryColumnPresenter::select(int row)
{
    if (row >= 0 || row == -1)
        m_lostRow = -1;
    if (row == m_selected)
        return;
    m_selected = row;
    emit selectionChanged(row);
}

void CategoryColumnPresenter::refreshRows()
{
    const CategoryKey kept = selectedCategory();
    m_model->setRows(fetchRows());
    int row = kept.isNull() ? -1 : m_model->indexOfClassId(kept.classId);
    if (row < 0 && !kept.isNull())
        row = m_model->indexOfKey(kept.pk);
    const int lost = row < 0 && !kept.isNull() ? m_selected : m_lostRow;
    // Reset models lose their selection in the view; announce it again even when the index stayed.
    m_selected = -2;
    select(row);
    // A refetch that follows falls back on the position the gone category had.
    m_lostRow = row < 0 ? lost : -1;
}

void CategoryColumnPresenter::showInNoteList(const NotesListReload &what)
{
    emit m_services.events->notesListReloadDatas(what);
}

void CategoryColumnPresenter::clickRow(int row)
{
    const CategoryListModel::Row r = m_model->row(row);
    if (r.pk <= 0)
        return;
    select(row);
    showInNoteList(NotesListReload::showCategory({r.pk, r.classId}));
    if (m_pane != Pane::Notes) {
        m_pane = Pane::Notes;
        emit paneChanged(m_pane);
    }
}

void CategoryColumnPresenter::showPaneFromTitleBar(Pane pane)
{
    deselect();
    if (m_pane == pane)
        return;
    m_pane = pane;
    emit paneChanged(m_pane);
}

void CategoryColumnPresenter::deselect()
{
    select(-1);
}

void CategoryColumnPresenter::reload(const LeftHomeListReload &what)
{
    switch (what.kind) {
    case LeftHomeListReload::Kind::Refetch:
        refetchAndAnnounce();
        break;
    case LeftHomeListReload::Kind::Category:
        reloadFromCategory(what.category);
        break;
    case LeftHomeListReload::Kind::NoteCId:
        showNote(what.cId);
        break;
    }
}

void CategoryColumnPresenter::refetchAndAnnounce(bool afterPull)
{
    // The selected category is kept by key; only when it went does the
    // remembered position (or the first one) take over.
    const CategoryKey kept = selectedCategory();
    const int remembered = m_selected >= 0 ? m_selected : (m_lostRow >= 0 ? m_lostRow : 0);
    if (!afterPull)
        m_model->setRows(fetchRows());
    const int count = m_model->rowCount();
    if (count == 0) {
        m_selected = -2;
        select(-1);
        return;
    }
    int row = kept.isNull() ? -1 : m_model->indexOfClassId(kept.classId);
    if (row < 0)
        row = remembered < count ? remembered : 0;
    m_selected = -2;
    select(row);
    const CategoryListModel::Row r = m_model->row(row);
    if (!afterPull || r.classId != m_listShows)
        showInNoteList(NotesListReload::showCategory({r.pk, r.classId}));
}

void CategoryColumnPresenter::reloadFromCategory(const CategoryKey &key)
{
    Context *ctx = m_services.store;
    QString classId = key.classId;
    if (ctx && !classId.isEmpty() && !ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), classId))
        classId.clear();
    const CategoryKey kept = selectedCategory();
    m_model->setRows(fetchRows());
    if (classId.isEmpty() && m_model->rowCount() > 0)
        classId = m_model->row(0).classId;
    const int row = m_model->indexOfClassId(classId);
    if (row < 0) {
        // Marked deleted: nothing is selected or told; a selection that survived stays.
        m_selected = -2;
        select(kept.isNull() ? -1 : m_model->indexOfClassId(kept.classId));
        return;
    }
    m_selected = -2;
    if (m_pane == Pane::Notes)
        select(row);
    else
        select(-1);
    const CategoryListModel::Row r = m_model->row(row);
    showInNoteList(NotesListReload::showCategory({r.pk, r.classId}));
}

void CategoryColumnPresenter::showNote(const QString &cId)
{
    Context *ctx = m_services.store;
    const NoteDetail *note =
        ctx && !cId.isEmpty() ? ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), cId) : nullptr;
    if (!note || note->actionType() == RowAction::Deleted)
        return;
    int row = m_model->indexOfClassId(note->classId());
    if (row < 0) {
        // The category may have come with a pull the column has not shown yet.
        refreshRows();
        row = m_model->indexOfClassId(note->classId());
    }
    if (row < 0)
        return;
    select(-1);
    select(row);
    showInNoteList(NotesListReload::showNote({note->objectId().pk, note->cId()}));
    if (m_pane != Pane::Notes) {
        m_pane = Pane::Notes;
        emit paneChanged(m_pane);
    }
}

void CategoryColumnPresenter::onStoreChanges(const StoreChanges &changes)
{
    static const QStringList watched{QStringLiteral("Classify"), QStringLiteral("NoteDetail"),
                                     QStringLiteral("DateRemind")};
    bool touched = changes.replaced;
    for (const QString &e : watched)
        touched = touched || !changes.entity(e).isEmpty();
    if (touched)
        refreshRows();
}

void CategoryColumnPresenter::afterPull()
{
    refetchAndAnnounce(true);
    const UserInfo *info = m_services.users->getCurrentInfo();
    if (!info || !info->isDefaultLockScreen())
        emit lockOverlayWanted(false);
}

void CategoryColumnPresenter::lockPressed()
{
    const UserInfo *info = m_services.users->getCurrentInfo();
    if (!info || info->lockScreenPassword().isEmpty()) {
        m_services.feedback->showConfirm(
            QStringLiteral("您还没有设置锁屏密码，是否设置？"), UserFeedback::by(this), [this](bool ok) {
                if (!ok)
                    return;
                AutoJumpToken::getAutoJumpTokenWithUrl(QStringLiteral("/user"), m_services.store,
                                                       *m_services.deviceId, this,
                                                       [this](const QString &link) {
                                                           if (!link.isEmpty())
                                                               m_services.urls->openUrl(QUrl(link));
                                                       });
            });
        return;
    }
    if (info->isDefaultLockScreen()) {
        emit lockOverlayWanted(true);
        return;
    }
    m_services.feedback->showToast(QStringLiteral("您未设置锁屏"), this);
}

void CategoryColumnPresenter::forcedSyncPressed()
{
    m_services.feedback->showConfirm(QStringLiteral("确定要强制同步吗？"), UserFeedback::by(this),
                                     [this](bool ok) {
                                         if (ok && m_coordinator)
                                             m_coordinator->fullPull();
                                     });
}

void CategoryColumnPresenter::settingsChosen(int index)
{
    if (index == 0) {
        emit settingsWindowWanted();
        return;
    }
    if (index != 1)
        return;
    m_services.feedback->showConfirm(QStringLiteral("确定退出当前登录？"), UserFeedback::by(this),
                                     [logout = m_services.logout](bool ok) {
                                         // The sign-out itself stops the poll.
                                         if (ok)
                                             logout->showLoginWindow();
                                     });
}
