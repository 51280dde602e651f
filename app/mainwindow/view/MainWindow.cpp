#include "app/mainwindow/view/MainWindow.h"

#include "app/mainwindow/presenter/LockPresenter.h"
#include "app/mainwindow/presenter/TitleBarPresenter.h"
#include "app/mainwindow/view/LockOverlay.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/AlertViewController.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryDialogPresenter.h"
#include "notes/categories/presenter/CategoryMenuPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/categories/view/CategoryDialog.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "notes/search/view/NoteSearchViewController.h"
#include "platform/base/AppEvents.h"
#include "settings/view/SettingsWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

MainWindow::MainWindow(const Services &services, SignInSyncCoordinator *coordinator, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Prelvane"));
    setMinimumSize(720, 480);
    resize(defaultSize());

    m_column = new CategoryColumnPresenter(services, coordinator, this);
    m_titleBarPresenter = new TitleBarPresenter(services, this);
    m_categoryMenu = new CategoryMenuPresenter(services, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_titleBar = new TitleBarView(m_titleBarPresenter, this);
    layout->addWidget(m_titleBar);

    m_mainSplit = new QSplitter(Qt::Horizontal, this);
    m_mainSplit->setObjectName(QStringLiteral("mainSplit"));
    m_mainSplit->setChildrenCollapsible(false);
    m_mainSplit->setHandleWidth(1);
    m_mainSplit->setStyleSheet(QStringLiteral("QSplitter::handle{background:#F5F5F8;}"));
    m_columnView = new CategoryColumnView(m_column, m_mainSplit);
    m_rightPane = new QStackedWidget(m_mainSplit);
    m_rightPane->setObjectName(QStringLiteral("rightPane"));
    m_noteSplit = new QSplitter(Qt::Horizontal, m_rightPane);
    m_noteSplit->setObjectName(QStringLiteral("noteSplit"));
    m_noteSplit->setHandleWidth(1);
    m_noteSplit->setStyleSheet(QStringLiteral("QSplitter::handle{background:#F5F5F8;}"));
    // The list follows "NotesListReloadDatas" itself, so the category column's
    // choices reach it without wiring; it exists before the first reload below.
    m_noteList = new NoteListView(new NoteListPresenter(services), m_noteSplit);
    m_noteList->setObjectName(QStringLiteral("noteListPane"));
    m_noteSplit->setChildrenCollapsible(false);
    m_noteSplit->addWidget(m_noteList);
    m_noteDetail = new NoteDetailViewController(services, m_noteSplit);
    // A note added in the pane goes into the category the list shows.
    m_noteDetail->presenter()->setCategorySource(
        [list = QPointer<NoteListPresenter>(m_noteList->presenter())] {
            return list ? list->category() : CategoryKey{};
        });
    m_noteSplit->addWidget(m_noteDetail);
    m_noteSplit->setSizes({300, 480});
    // A wider window widens the detail; the list keeps the width the user gave it.
    m_noteSplit->setStretchFactor(0, 0);
    m_noteSplit->setStretchFactor(1, 1);
    m_rightPane->addWidget(m_noteSplit);
    // The records and search panes are made when first shown (most starts never show them): until then an
    // empty page holds each one's place.
    m_rightPane->addWidget(new QWidget(m_rightPane));
    m_rightPane->addWidget(new QWidget(m_rightPane));
    m_mainSplit->addWidget(m_columnView);
    m_mainSplit->addWidget(m_rightPane);
    m_mainSplit->setStretchFactor(0, 0);
    m_mainSplit->setStretchFactor(1, 1);
    m_mainSplit->setSizes(
        {CategoryColumnView::InitialWidth, defaultSize().width() - CategoryColumnView::InitialWidth});
    layout->addWidget(m_mainSplit, 1);

    connect(m_column, &CategoryColumnPresenter::paneChanged, this, &MainWindow::showPane);
    connect(m_titleBar, &TitleBarView::recordsClicked, this,
            [this] { m_column->showPaneFromTitleBar(CategoryColumnPresenter::Pane::Records); });
    connect(m_titleBar, &TitleBarView::searchClicked, this,
            [this] { m_column->showPaneFromTitleBar(CategoryColumnPresenter::Pane::Search); });
    connect(m_titleBar, &TitleBarView::syncClicked, this,
            [this] { emit m_services.events->syncPushNoteDatas(NoteKey{}); });
    connect(m_column, &CategoryColumnPresenter::lockOverlayWanted, this, [this](bool shown) {
        if (shown)
            showLock();
        else
            removeLock();
    });
    connect(m_columnView, &CategoryColumnView::addCategoryClicked, this, [this] { openCategoryDialog({}); });
    connect(m_columnView, &CategoryColumnView::menuRequested, this,
            [this](int row, const QPoint &pos) { m_columnView->openCategoryMenu(row, pos, m_categoryMenu); });
    // After the menu has closed, so that the dialog is the window that gets activated.
    connect(m_categoryMenu, &CategoryMenuPresenter::dialogWanted, this, &MainWindow::openCategoryDialog,
            Qt::QueuedConnection);
    // The settings popover's first row and the avatar open the settings.
    connect(m_column, &CategoryColumnPresenter::settingsWindowWanted, this, &MainWindow::openSettingsWindow,
            Qt::QueuedConnection);
    connect(m_titleBar->headButton(), &QPushButton::clicked, this, &MainWindow::openSettingsWindow);
    connect(m_titleBarPresenter, &TitleBarPresenter::updateAvailable, this,
            [this](const TitleBarPresenter::Update &u) { showUpdate(u.text, u.detail); });
    m_titleBarPresenter->checkAppUpdate();
    // What the store holds already shows at once; the first pull refreshes it.
    emit m_services.events->reloadLeftHomeList(LeftHomeListReload::refetch());
}

MainWindow::~MainWindow() = default;

void MainWindow::showPane(CategoryColumnPresenter::Pane pane)
{
    if (pane == CategoryColumnPresenter::Pane::Records)
        records();
    else if (pane == CategoryColumnPresenter::Pane::Search)
        search();
    m_rightPane->setCurrentIndex(int(pane));
}

void MainWindow::putInRightPane(CategoryColumnPresenter::Pane pane, QWidget *view)
{
    const int index = int(pane);
    QWidget *placeholder = m_rightPane->widget(index);
    m_rightPane->insertWidget(index, view);
    m_rightPane->removeWidget(placeholder);
    delete placeholder;
}

NoteRecordViewController *MainWindow::records()
{
    if (!m_records) {
        m_records = new NoteRecordViewController(m_services, m_rightPane);
        putInRightPane(CategoryColumnPresenter::Pane::Records, m_records);
    }
    return m_records;
}

NoteSearchViewController *MainWindow::search()
{
    if (!m_search) {
        m_search = new NoteSearchViewController(m_services, m_rightPane);
        putInRightPane(CategoryColumnPresenter::Pane::Search, m_search);
    }
    return m_search;
}

int MainWindow::leftColumnWidth() const
{
    return m_columnView->width();
}

void MainWindow::showLock()
{
    if (m_lock)
        return;
    m_lock = new LockOverlay(new LockPresenter(m_services), {m_columnView, m_rightPane}, this);
    m_lock->setBarHeight(m_titleBar->height());
}

void MainWindow::removeLock()
{
    if (m_lock)
        delete m_lock.data();
}

CategoryDialog *MainWindow::categoryDialog() const
{
    return m_categoryDialog;
}

CategoryDialog *MainWindow::openCategoryDialog(const CategoryKey &category)
{
    // One at a time: it is window-modal.
    if (m_categoryDialog)
        return m_categoryDialog;
    m_categoryDialog = new CategoryDialog(new CategoryDialogPresenter(m_services, category), this);
    m_categoryDialog->open();
    return m_categoryDialog;
}

SettingsWindow *MainWindow::settingsWindow() const
{
    return m_settingsWindow;
}

SettingsWindow *MainWindow::openSettingsWindow()
{
    if (m_settingsWindow) {
        m_settingsWindow->raise();
        m_settingsWindow->activateWindow();
        return m_settingsWindow;
    }
    m_settingsWindow = new SettingsWindow(m_services, this, m_authPages);
    m_settingsWindow->open();
    return m_settingsWindow;
}

void MainWindow::showUpdate(const QString &text, const QString &detail)
{
    auto *dialog = new AlertViewController(this);
    dialog->setObjectName(QStringLiteral("updateDialog"));
    dialog->text = text;
    dialog->detailText = detail;
    QPointer<TitleBarPresenter> presenter = m_titleBarPresenter;
    dialog->alertBlcok = [presenter](int result) {
        if (presenter)
            presenter->updateAnswered(result);
    };
    dialog->open();
}
