#include "notes/list/view/NoteListView.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/EmptyView.h"
#include "app/uikit/TipButton.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteRowDelegate.h"
#include "notes/list/view/RowMenuBuilder.h"

#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

void fillWhite(QWidget *w)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, Qt::white);
    w->setPalette(p);
}

} // namespace

NoteListView::NoteListView(NoteListPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    presenter->setParent(this);
    presenter->setFeedbackAnchor(this);

    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("noteListHeader"));
    fillWhite(header);
    header->setFixedHeight(40);
    m_stripe = new QWidget(header);
    m_stripe->setFixedWidth(3);
    m_stripe->setAutoFillBackground(true);
    m_addButton = new TipButton(header);
    m_addButton->setTipTitle(QStringLiteral("新增Prelvane"));
    m_addButton->setIcon(AppImages::icon(QStringLiteral("note_add")));
    m_addButton->setIconSize(QSize(20, 20));
    m_addButton->setFixedSize(28, 28);
    m_addButton->setFlat(true);
    m_addButton->setCursor(Qt::PointingHandCursor);
    m_addButton->setAccessibleName(QStringLiteral("新增Prelvane"));
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 10, 0);
    headerLayout->addWidget(m_stripe);
    headerLayout->addStretch(1);
    headerLayout->addWidget(m_addButton);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("noteList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setUniformItemSizes(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setItemDelegate(new NoteRowDelegate(m_list));
    m_list->setModel(presenter->model());

    m_emptyView = new QWidget(this);
    m_emptyView->setObjectName(QStringLiteral("noteListEmpty"));
    fillWhite(m_emptyView);
    // The placeholder's own picture and text: the list sets neither.
    EmptyView *placeholder = EmptyView::showEmptyView();
    placeholder->setObjectName(QStringLiteral("noteListPlaceholder"));
    placeholder->attachTo(m_emptyView);
    placeholder->show();

    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_emptyView);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_stack, 1);

    connect(m_addButton, &QPushButton::clicked, presenter, &NoteListPresenter::addNote);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_mirroring)
            return;
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        m_presenter->selectRow(rows.isEmpty() ? -1 : rows.first().row());
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteListView::openRowMenu);
    connect(presenter, &NoteListPresenter::selectedRowChanged, this, &NoteListView::mirrorSelection);
    connect(presenter, &NoteListPresenter::emptyChanged, this, &NoteListView::showEmpty);
    connect(presenter, &NoteListPresenter::categoryChanged, this, &NoteListView::showCategory);
    // A reset clears the view's selection; the presenter's holds.
    connect(presenter->model(), &QAbstractItemModel::modelReset, this,
            [this] { mirrorSelection(m_presenter->selectedRow()); });

    showCategory();
    showEmpty(presenter->isEmpty());
    mirrorSelection(presenter->selectedRow());
}

bool NoteListView::isShowingEmptyView() const
{
    return m_stack->currentWidget() == m_emptyView;
}

void NoteListView::mirrorSelection(int row)
{
    m_mirroring = true;
    QItemSelectionModel *selection = m_list->selectionModel();
    if (row < 0) {
        selection->clearSelection();
    } else {
        const QModelIndex index = m_presenter->model()->index(row);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    }
    m_mirroring = false;
}

void NoteListView::showCategory()
{
    QPalette p = m_stripe->palette();
    const QColor color = m_presenter->categoryColor();
    p.setColor(QPalette::Window, color.isValid() ? color : QColor(Qt::white));
    m_stripe->setPalette(p);
}

void NoteListView::showEmpty(bool empty)
{
    m_stack->setCurrentWidget(empty ? m_emptyView : static_cast<QWidget *>(m_list));
}

void NoteListView::openRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (QMenu *menu = buildRowMenu(index.isValid() ? index.row() : -1))
        menu->popup(m_list->viewport()->mapToGlobal(pos));
}

QMenu *NoteListView::buildRowMenu(int row)
{
    const NoteRowMenu model = m_presenter->openMenu(row);
    if (!model.isVisible())
        return nullptr;
    QPointer<NoteListPresenter> presenter = m_presenter;
    return RowMenuBuilder::build(
        model, this, QStringLiteral("noteRowMenu"),
        [presenter, row](int tag) {
            if (presenter)
                presenter->triggerMenuItem(row, tag);
        },
        [](int tag) {
            return tag == NoteRowMenu::Snooze ? NoteRowMenu::snoozeItems() : QList<RowMenuModel::Item>();
        });
}
