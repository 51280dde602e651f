#include "notes/records/view/NoteCompleteListViewController.h"

#include "app/uikit/EmptyView.h"
#include "app/uikit/RowListView.h"
#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/presenter/NoteCompleteListPresenter.h"
#include "notes/records/view/NoteCompleteRowDelegate.h"

#include <QHideEvent>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString moreTitle = QStringLiteral("加载更多");
const QString loadingTitle = QStringLiteral("正在加载");

} // namespace

NoteCompleteListViewController::NoteCompleteListViewController(NoteCompleteListPresenter *presenter,
                                                               QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("noteCompleteList"));
    presenter->setParent(this);
    presenter->setFeedbackAnchor(this);
    setAutoFillBackground(true);
    QPalette bg = palette();
    bg.setColor(QPalette::Window, Qt::white);
    setPalette(bg);

    m_list = RowListView::create(QStringLiteral("noteCompleteListView"), this);
    // Heights follow the width: a resize lays the rows out again.
    m_list->setResizeMode(QListView::Adjust);
    m_list->setItemDelegate(new NoteCompleteRowDelegate(m_list));
    m_list->setModel(presenter->model());

    m_more = new QPushButton(moreTitle, this);
    m_more->setObjectName(QStringLiteral("moreDatasBtn"));
    m_more->setFlat(true);
    m_more->setCursor(Qt::PointingHandCursor);
    m_more->setFixedHeight(30);
    m_more->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;color:#666666;"
                                         "font-size:12px;}"));
    // While pressed the button shows its other title.
    connect(m_more, &QPushButton::pressed, m_more, [this] { m_more->setText(loadingTitle); });
    connect(m_more, &QPushButton::released, m_more, [this] { m_more->setText(moreTitle); });
    connect(m_more, &QPushButton::clicked, m_presenter, &NoteCompleteListPresenter::loadNextDatasAction);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_more);

    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteCompleteListViewController::openRowMenu);
    connect(m_presenter, &NoteCompleteListPresenter::stateChanged, this,
            &NoteCompleteListViewController::showState);
    showState();
}

void NoteCompleteListViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the taskbar is no new visit.
    if (!event->spontaneous())
        m_presenter->viewWillAppear();
}

void NoteCompleteListViewController::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_presenter->viewDidDisappear();
}

void NoteCompleteListViewController::showState()
{
    m_more->setVisible(m_presenter->isMoreVisible());
    if (m_presenter->isEmptyVisible()) {
        if (!m_empty) {
            m_empty = EmptyView::showEmptyView();
            m_empty->attachTo(m_list);
            m_empty->show();
        }
    } else if (m_empty) {
        m_empty->hide();
    }
}

void NoteCompleteListViewController::openRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (QMenu *menu = buildRowMenu(index.isValid() ? index.row() : -1))
        menu->popup(m_list->viewport()->mapToGlobal(pos));
}

QMenu *NoteCompleteListViewController::buildRowMenu(int row)
{
    if (row < 0 || row >= m_presenter->model()->rowCount())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("noteCompleteMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<NoteCompleteListPresenter> presenter = m_presenter;
    // The record is found again by key when the item is chosen: the list may have moved meanwhile.
    const qint64 key = m_presenter->model()->keyAt(row);
    for (const auto &[tag, title] : NoteCompleteListPresenter::menuItems()) {
        QAction *action = menu->addAction(title);
        action->setData(tag);
        connect(action, &QAction::triggered, menu, [presenter, key, tag = tag] {
            if (presenter)
                presenter->noteAction(presenter->model()->rowOfKey(key), tag);
        });
    }
    return menu;
}
