#include "notes/categories/presenter/CategoryMenuPresenter.h"

#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/NoteClassifyModel.h"
#include "core/model/NoteDetail.h"
#include "core/model/RowAction.h"
#include "notes/categories/presenter/CategoryEdits.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/sync/CategoryPushReply.h"
#include "service/sync/SyncEngine.h"
#include "service/sync/SyncNotesManager.h"

#include <QDebug>
#include <QPointer>

QList<CategoryMenuPresenter::Item> CategoryMenuPresenter::items()
{
    return {{Add, QStringLiteral("  新增  ")},
            {Modify, QStringLiteral("  修改  ")},
            {Clear, QStringLiteral("  清除  ")},
            {Delete, QStringLiteral("  删除  ")}};
}

QString CategoryMenuPresenter::deleteQuestion(const QString &name)
{
    return QStringLiteral("确定要删除分类“%1”和分类下所有内容吗？").arg(name);
}

CategoryMenuPresenter::CategoryMenuPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    // Replies of an ended sign-in never come; nothing waits for them.
    connect(m_services.session, &Session::signingOut, this, [this] { m_deleting.clear(); });
}

void CategoryMenuPresenter::choose(int tag, const CategoryKey &category)
{
    switch (tag) {
    case Add:
        emit dialogWanted(CategoryKey{});
        break;
    case Modify:
        if (!category.isNull())
            emit dialogWanted(category);
        break;
    case Clear:
        m_services.feedback->showConfirm(QStringLiteral("确定要清除该分类下所有内容吗？"),
                                         UserFeedback::by(this), [this, category](bool ok) {
                                             if (ok)
                                                 clear(category);
                                         });
        break;
    case Delete:
        askToDelete(category);
        break;
    default:
        break;
    }
}

bool CategoryMenuPresenter::saveAndTell(const char *what)
{
    if (!StoreSaver::save(m_services, nullptr, what))
        return false;
    emit m_services.events->syncPushNoteDatas(NoteKey{});
    return true;
}

void CategoryMenuPresenter::clear(const CategoryKey &category)
{
    Context *ctx = m_services.store;
    const Classify *c = CategoryEdits::find(ctx, category.pk, category.classId);
    if (!c)
        return;
    // Deleted notes must not ring any more.
    CategoryEdits::withdrawNotifications(ctx, *m_services.localNotifications, c);
    const Predicate ofCategory = Predicate::equals(QStringLiteral("classify"), c) ||
                                 Predicate::equals(QStringLiteral("classId"), c->classId());
    for (NoteDetail *n : ctx->fetch<NoteDetail>(ofCategory)) {
        n->setActionType(RowAction::Deleted);
        n->setIsSync(false);
    }
    saveAndTell("cleared category");
}

void CategoryMenuPresenter::askToDelete(const CategoryKey &category)
{
    Context *ctx = m_services.store;
    const Classify *c = CategoryEdits::find(ctx, category.pk, category.classId);
    if (!c)
        return;
    // Every row counts, also one that only waits for its deletion push.
    if (ctx->count<Classify>() == 1) {
        m_services.feedback->showMessage(QStringLiteral("只剩一个分类了，不允许删除"),
                                         UserFeedback::by(this));
        return;
    }
    // The sheet names the category: the menu may belong to another cell than the one shown.
    m_services.feedback->showConfirm(deleteQuestion(c->name()), UserFeedback::by(this),
                                     [this, category](bool ok) {
                                         if (ok)
                                             remove(category);
                                     });
}

void CategoryMenuPresenter::remove(const CategoryKey &category)
{
    const Classify *c = CategoryEdits::find(m_services.store, category.pk, category.classId);
    if (!c || m_deleting.contains(c->classId()))
        return;
    const QString classId = c->classId();
    if (SyncNotesManager::isClientId(classId)) {
        // The service never heard of it: sending it would create it there.
        removeHere(classId);
        return;
    }
    NoteClassifyModel model;
    model.setActionType(RowAction::Deleted);
    model.setClassId(classId);
    m_deleting.insert(classId);
    QPointer<CategoryMenuPresenter> self(this);
    m_services.sync->pushCategory(model, [self, classId](bool answered, const BaseSuccessModel &reply) {
        if (!self)
            return;
        self->m_deleting.remove(classId);
        const CategoryPushReply r = CategoryPushReply::apply(self->m_services.sync->notes(), answered, reply);
        if (r.outcome == CategoryPushReply::Outcome::Refused) {
            self->m_services.feedback->showMessage(r.refusalText(), UserFeedback::by(self));
            return;
        }
        if (r.outcome == CategoryPushReply::Outcome::Accepted)
            self->removeHere(r.classId);
    });
}

void CategoryMenuPresenter::removeHere(const QString &classId)
{
    Context *ctx = m_services.store;
    if (Classify *c = ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), classId)) {
        CategoryEdits::withdrawNotifications(ctx, *m_services.localNotifications, c);
        ctx->deleteObject(c); // its notes go with it
    }
    CategoryEdits::renumber(ctx, 1);
    if (saveAndTell("deleted category"))
        emit m_services.events->reloadLeftHomeList(LeftHomeListReload::refetch());
}
