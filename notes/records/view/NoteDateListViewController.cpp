#include "notes/records/view/NoteDateListViewController.h"

#include "app/uikit/RowListView.h"
#include "notes/list/view/RowMenuBuilder.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteDateListPresenter.h"
#include "notes/records/view/NoteDateRowDelegate.h"

#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>

NoteDateListViewController::NoteDateListViewController(NoteDateListPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("noteDateList"));
    presenter->setParent(this);
    presenter->setFeedbackAnchor(this);
    m_list = RowListView::create(QStringLiteral("noteDateListView"), this);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->setItemDelegate(new NoteDateRowDelegate(m_list));
    m_list->setModel(presenter->model());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteDateListViewController::openRowMenu);
}

void NoteDateListViewController::openRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (QMenu *menu = buildRowMenu(index.isValid() ? index.row() : -1))
        menu->popup(m_list->viewport()->mapToGlobal(pos));
}

QMenu *NoteDateListViewController::buildRowMenu(int row)
{
    const NoteDateMenu model = m_presenter->openMenu(row);
    if (!model.isVisible())
        return nullptr;
    QPointer<NoteDateListPresenter> presenter = m_presenter;
    // The row's note is taken by key when the item is chosen: the list may have moved meanwhile.
    const qint64 key = m_presenter->model()->keyAt(row);
    return RowMenuBuilder::build(model, this, QStringLiteral("noteDateMenu"), [presenter, key](int tag) {
        if (presenter)
            presenter->triggerMenuItem(presenter->model()->rowOfKey(key), tag);
    });
}
