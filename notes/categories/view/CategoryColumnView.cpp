#include "notes/categories/view/CategoryColumnView.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/PopoverView.h"
#include "app/uikit/TipButton.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryMenuPresenter.h"
#include "notes/categories/view/CategoryCellDelegate.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

TipButton *toolButton(const QString &image, const QString &tip, QWidget *parent)
{
    auto *b = new TipButton(parent);
    b->setTipTitle(tip);
    b->setPosition(1);
    b->setIcon(AppImages::icon(image));
    b->setIconSize({18, 18});
    b->setFixedSize(28, 28);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"
                                    "QPushButton:hover{background:#F5F5F8;border-radius:4px;}"));
    b->setAccessibleName(tip);
    return b;
}

} // namespace

CategoryColumnView::CategoryColumnView(CategoryColumnPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("categoryColumn"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setMinimumWidth(InitialWidth);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);

    auto *header = new QWidget(this);
    header->setFixedHeight(40);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(16, 0, 8, 0);
    m_title = new QLabel(QStringLiteral("我的便签"), header);
    m_title->setStyleSheet(QStringLiteral("color:#999999;font-size:12px;"));
    m_add = toolButton(QStringLiteral("home_add"), QStringLiteral("新增分类"), header);
    m_add->setObjectName(QStringLiteral("addCategoryButton"));
    headerRow->addWidget(m_title);
    headerRow->addStretch(1);
    headerRow->addWidget(m_add);
    column->addWidget(header);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("categoryList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setModel(m_presenter->model());
    m_delegate = new CategoryCellDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setUniformItemSizes(true);
    m_list->setSpacing(0);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setStyleSheet(QStringLiteral("QListView{background:transparent;outline:0;}"));
    column->addWidget(m_list, 1);

    auto *tools = new QWidget(this);
    tools->setFixedHeight(44);
    auto *toolRow = new QHBoxLayout(tools);
    toolRow->setContentsMargins(12, 0, 12, 0);
    toolRow->setSpacing(6);
    m_lock = toolButton(QStringLiteral("home_lock"), QStringLiteral("锁屏"), tools);
    m_team = toolButton(QStringLiteral("home_team"), QStringLiteral("团签功能开发中"), tools);
    m_team->setObjectName(QStringLiteral("teamButton"));
    m_team->setEnabled(false); // team notes come later
    m_pull = toolButton(QStringLiteral("home_pull"), QStringLiteral("强制同步"), tools);
    m_settings = toolButton(QStringLiteral("home_settings"), QStringLiteral("设置"), tools);
    for (TipButton *b : {m_lock, m_team, m_pull})
        toolRow->addWidget(b);
    toolRow->addStretch(1);
    toolRow->addWidget(m_settings);
    column->addWidget(tools);

    // The highlight and the shown category never differ: whatever moves the
    // current cell (arrow keys, Home/End, a right click's press) loads it as a
    // click does. The presenter's own moves come in with signals blocked.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (!current.isValid())
                    return;
                m_loadedByMove = current.row();
                m_presenter->clickRow(current.row());
            });
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        // The press that made the cell current has loaded it already.
        const bool loaded = m_loadedByMove == index.row();
        m_loadedByMove = -1;
        if (!loaded)
            m_presenter->clickRow(index.row());
    });
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = m_list->indexAt(pos);
        if (index.isValid())
            emit menuRequested(index.row(), m_list->viewport()->mapToGlobal(pos));
    });
    connect(m_add, &QPushButton::clicked, this, &CategoryColumnView::addCategoryClicked);
    connect(m_lock, &QPushButton::clicked, m_presenter, &CategoryColumnPresenter::lockPressed);
    connect(m_pull, &QPushButton::clicked, m_presenter, &CategoryColumnPresenter::forcedSyncPressed);
    connect(m_settings, &QPushButton::clicked, this, &CategoryColumnView::openSettingsPopover);
    connect(m_presenter, &CategoryColumnPresenter::selectionChanged, this,
            &CategoryColumnView::showSelection);
    connect(m_presenter->model(), &QAbstractItemModel::modelReset, this,
            [this] { showSelection(m_presenter->selectedRow()); });
    showSelection(m_presenter->selectedRow());
}

void CategoryColumnView::showSelection(int row)
{
    QItemSelectionModel *sel = m_list->selectionModel();
    const QSignalBlocker block(sel);
    if (row < 0) {
        sel->clearSelection();
        sel->setCurrentIndex({}, QItemSelectionModel::Clear);
    } else {
        const QModelIndex index = m_presenter->model()->index(row);
        sel->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    }
    m_list->viewport()->update();
}

void CategoryColumnView::openSettingsPopover()
{
    PopoverView *popover = PopoverView::shareView();
    connect(popover, &PopoverView::didSelectRowWithIndex, m_presenter,
            &CategoryColumnPresenter::settingsChosen);
    popover->showAtView(m_settings, 3);
    popover->setTitles(CategoryColumnPresenter::settingsTitles());
}

bool CategoryColumnView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress)
        m_loadedByMove = -1;
    // The menu key and Shift+F10 open the menu of the current cell, under it.
    if (watched == m_list && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
        QModelIndex index = m_list->currentIndex();
        if (!index.isValid())
            index = m_presenter->model()->index(m_presenter->selectedRow());
        if (index.isValid()) {
            const QRect cell = m_list->visualRect(index);
            emit menuRequested(index.row(),
                               m_list->viewport()->mapToGlobal(QPoint(cell.left() + 36, cell.bottom())));
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QMenu *CategoryColumnView::openCategoryMenu(int row, const QPoint &globalPos,
                                            CategoryMenuPresenter *presenter)
{
    const CategoryListModel::Row r = m_presenter->model()->row(row);
    if (r.pk <= 0 || !presenter)
        return nullptr;
    if (m_menu)
        m_menu->close();
    const CategoryKey key{r.pk, r.classId};
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("categoryMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const CategoryMenuPresenter::Item &item : CategoryMenuPresenter::items()) {
        QAction *action = menu->addAction(item.title);
        action->setData(item.tag);
    }
    QPointer<CategoryMenuPresenter> target(presenter);
    connect(menu, &QMenu::triggered, this, [target, key](QAction *action) {
        if (target)
            target->choose(action->data().toInt(), key);
    });
    // The cell keeps a border while its menu is open.
    m_delegate->setMenuRow(row);
    m_list->viewport()->update();
    connect(menu, &QMenu::aboutToHide, this, [this] {
        m_delegate->setMenuRow(-1);
        m_list->viewport()->update();
    });
    m_menu = menu;
    menu->popup(globalPos);
    return menu;
}
