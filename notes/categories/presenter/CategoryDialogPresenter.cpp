#include "notes/categories/presenter/CategoryDialogPresenter.h"

#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/NoteClassifyModel.h"
#include "core/model/RowAction.h"
#include "core/operations/NoteId.h"
#include "notes/categories/presenter/CategoryEdits.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/sync/CategoryPushReply.h"
#include "service/sync/SyncEngine.h"
#include "service/sync/SyncNotesManager.h"

#include <QDebug>

CategoryDialogPresenter::CategoryDialogPresenter(const Services &services, const CategoryKey &category,
                                                 QObject *parent)
    : QObject(parent), m_services(services), m_category(category)
{
    if (const Classify *c = CategoryEdits::find(m_services.store, category.pk, category.classId)) {
        m_category = CategoryKey{c->objectId().pk, c->classId()};
        m_name = c->name();
        m_colorIndex = int(colors().indexOf(c->backColor()));
    }
    // A reply of an ended sign-in never comes.
    connect(m_services.session, &Session::signingOut, this, [this] { setPushing(false); });
}

QStringList CategoryDialogPresenter::colors()
{
    return {QStringLiteral("#dc445b"), QStringLiteral("#db2405"), QStringLiteral("#f27830"),
            QStringLiteral("#2b9cc6"), QStringLiteral("#52398a"), QStringLiteral("#10b56c"),
            QStringLiteral("#0b4ee7"), QStringLiteral("#8b4513"), QStringLiteral("#0583dc"),
            QStringLiteral("#ba4fc9"), QStringLiteral("#a13871"), QStringLiteral("#000000")};
}

QString CategoryDialogPresenter::windowTitle() const
{
    return isModify() ? QStringLiteral("修改分类") : QStringLiteral("新增分类");
}

void CategoryDialogPresenter::chooseColor(int index)
{
    m_colorIndex = index >= 0 && index < colors().size() ? index : -1;
}

void CategoryDialogPresenter::setPushing(bool pushing)
{
    if (m_pushing == pushing)
        return;
    m_pushing = pushing;
    emit pushingChanged(pushing);
}

void CategoryDialogPresenter::confirm()
{
    if (m_pushing)
        return;
    // The name goes as typed: spaces alone are a name.
    if (m_name.isEmpty()) {
        m_services.feedback->showMessage(QStringLiteral("分类名字不能为空"), UserFeedback::by(this));
        return;
    }
    if (m_colorIndex < 0) {
        m_services.feedback->showMessage(QStringLiteral("请选择一个分类颜色"), UserFeedback::by(this));
        return;
    }
    Context *ctx = m_services.store;
    NoteClassifyModel model;
    if (isModify()) {
        const Classify *c = CategoryEdits::find(ctx, m_category.pk, m_category.classId);
        if (!c || c->actionType() == RowAction::Deleted) {
            m_services.feedback->showMessage(QStringLiteral("该分类已被删除"), UserFeedback::by(this));
            return;
        }
        m_category = CategoryKey{c->objectId().pk, c->classId()};
        model.setActionType(RowAction::Changed);
        model.setClassId(c->classId());
        model.setSort(c->sort());
    } else {
        model.setActionType(RowAction::Added);
        model.setClassId(NoteId::getClientId());
        model.setSort(m_top ? 1 : ctx->count<Classify>() + 1);
    }
    model.setName(m_name);
    model.setBackColor(colors().at(m_colorIndex));
    const bool top = !isModify() && m_top;
    setPushing(true);
    QPointer<CategoryDialogPresenter> self(this);
    const quint64 generation = m_services.session->generation();
    m_services.sync->pushCategory(model,
                                  [self, model, top, generation](bool ok, const BaseSuccessModel &reply) {
                                      if (self && self->m_services.session->generation() == generation)
                                          self->answered(ok, reply, model, top);
                                  });
}

void CategoryDialogPresenter::answered(bool ok, const BaseSuccessModel &reply, const NoteClassifyModel &model,
                                       bool top)
{
    setPushing(false);
    const CategoryPushReply r = CategoryPushReply::apply(m_services.sync->notes(), ok, reply);
    if (r.outcome == CategoryPushReply::Outcome::Refused) {
        m_services.feedback->showMessage(r.refusalText(), UserFeedback::by(this));
        return;
    }
    // Another code or no answer: the dialog stays open with its input.
    if (r.outcome != CategoryPushReply::Outcome::Accepted)
        return;
    Context *ctx = m_services.store;
    bool created = false;
    Classify *row = r.acceptedRow(ctx, &created);
    if (created && top)
        CategoryEdits::renumber(ctx, 2, r.classId);
    row->setActionType(qint16(model.actionType()));
    row->setIsSync(true);
    row->setName(model.name());
    row->setSort(qint16(model.sort()));
    row->setBackColor(model.backColor());
    // Saved at once: a category the service has must not live in memory only.
    // The service has it: a row that could not be stored stays pending and the user is told.
    (void)StoreSaver::save(m_services, m_toastAnchor, "category");
    const bool added = row->actionType() == RowAction::Added;
    if (top && added)
        emit m_services.events->syncPushNoteDatas(NoteKey{});
    emit m_services.events->reloadLeftHomeList(
        LeftHomeListReload::selectCategory(CategoryKey{row->objectId().pk, row->classId()}));
    const QPointer<const QObject> anchor = m_toastAnchor;
    emit accepted();
    m_services.feedback->showToast(added ? QStringLiteral("新增成功") : QStringLiteral("修改成功"), anchor);
}
