#include "notes/records/view/NoteLogListViewController.h"

#include "app/uikit/EmptyView.h"
#include "app/uikit/RowListView.h"
#include "notes/records/presenter/NoteLogListModel.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "notes/records/view/NoteLogCellDelegate.h"

#include <QEvent>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString MoreTitle = QStringLiteral("加载更多");
const QString LoadingTitle = QStringLiteral("正在加载");

} // namespace

NoteLogListViewController::NoteLogListViewController(NoteLogListPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("noteLogList"));
    presenter->setParent(this);
    presenter->setFeedbackAnchor(this);
    setAutoFillBackground(true);
    QPalette wp = palette();
    wp.setColor(QPalette::Window, Qt::white);
    setPalette(wp);

    m_list = RowListView::create(QStringLiteral("noteLogListView"), this);
    m_list->verticalScrollBar()->setSingleStep(20);
    m_delegate = new NoteLogCellDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setModel(presenter->model());
    m_list->viewport()->installEventFilter(this);

    m_more = new QPushButton(MoreTitle, this);
    m_more->setObjectName(QStringLiteral("moreDatasBtn"));
    m_more->setFlat(true);
    m_more->setFixedHeight(30);
    m_more->setCursor(Qt::PointingHandCursor);
    m_more->setStyleSheet(
        QStringLiteral("QPushButton{color:#555555;background:transparent;border:none;font-size:12px;}"));
    m_more->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_more);

    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteLogListViewController::openRowMenu);
    // While pressed the button shows its loading title, as its alternate contents.
    connect(m_more, &QPushButton::pressed, this, [this] { m_more->setText(LoadingTitle); });
    connect(m_more, &QPushButton::released, this, [this] { m_more->setText(MoreTitle); });
    connect(m_more, &QPushButton::clicked, presenter, &NoteLogListPresenter::loadNextDatasAction);
    connect(presenter, &NoteLogListPresenter::stateChanged, this, &NoteLogListViewController::showState);
    showState();
}

void NoteLogListViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the taskbar is no new showing of the list.
    if (!event->spontaneous())
        m_presenter->viewWillAppear();
}

bool NoteLogListViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        m_delegate->setRowWidth(m_list->viewport()->width());
    return QWidget::eventFilter(watched, event);
}

void NoteLogListViewController::showState()
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

void NoteLogListViewController::openRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (QMenu *menu = buildRowMenu(index.isValid() ? index.row() : -1))
        menu->popup(m_list->viewport()->mapToGlobal(pos));
}

QMenu *NoteLogListViewController::buildRowMenu(int row)
{
    const QList<NoteLogListPresenter::MenuItem> items = m_presenter->menuItems(row);
    if (items.isEmpty())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("noteLogMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<NoteLogListPresenter> presenter = m_presenter;
    // The record is taken by key when the item is chosen: the list may have changed meanwhile.
    const qint64 key = m_presenter->model()->keyAt(row);
    for (const NoteLogListPresenter::MenuItem &item : items) {
        QAction *action = menu->addAction(item.title);
        action->setData(item.tag);
        connect(action, &QAction::triggered, menu, [presenter, key, tag = item.tag] {
            if (presenter)
                presenter->triggerMenuItem(presenter->model()->rowOfKey(key), tag);
        });
    }
    return menu;
}
