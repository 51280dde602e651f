#pragma once

#include "app/mainwindow/view/LockOverlay.h"
#include "app/services/Services.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"

#include <QPointer>
#include <QWidget>

class CategoryColumnView;
class CategoryDialog;
class CategoryMenuPresenter;
class SignInSyncCoordinator;
class LockOverlay;
class NoteDetailViewController;
class NoteListView;
class NoteRecordViewController;
class NoteSearchViewController;
class QSplitter;
class AuthWebPageFactory;
class SettingsWindow;
class QStackedWidget;
class TitleBarPresenter;
class TitleBarView;
struct CategoryKey;

// The main window: the title bar over the category column and the right
// pane, which shows the note split (list and detail), the records pane or
// the search pane, one at a time.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(const Services &services, SignInSyncCoordinator *coordinator, QWidget *parent = nullptr);
    ~MainWindow() override;

    static QSize defaultSize() { return {960, 640}; }

    TitleBarView *titleBar() const { return m_titleBar; }
    CategoryColumnView *column() const { return m_columnView; }
    CategoryColumnPresenter *columnPresenter() const { return m_column; }
    TitleBarPresenter *titleBarPresenter() const { return m_titleBarPresenter; }
    QStackedWidget *rightPane() const { return m_rightPane; }
    // The right pane's first child: the note list, then the note detail.
    QSplitter *noteSplit() const { return m_noteSplit; }
    NoteListView *noteList() const { return m_noteList; }
    NoteDetailViewController *noteDetail() const { return m_noteDetail; }
    LockOverlay *lockOverlay() const { return m_lock; }
    // The records and search panes of the right pane, made on first use (shown or asked for).
    NoteRecordViewController *records();
    NoteSearchViewController *search();
    // The current width of the category column.
    int leftColumnWidth() const;

    void showLock();
    void removeLock();
    // The category dialog over this window: a null key adds, any other modifies.
    CategoryDialog *openCategoryDialog(const CategoryKey &category);
    CategoryDialog *categoryDialog() const;
    CategoryMenuPresenter *categoryMenuPresenter() const { return m_categoryMenu; }
    // The settings window, made anew; while one is open it comes to the front instead.
    SettingsWindow *openSettingsWindow();
    // Where the settings window's account tab opens its authorisation windows (not owned).
    void setAuthPages(AuthWebPageFactory *pages) { m_authPages = pages; }
    SettingsWindow *settingsWindow() const;

private:
    void showUpdate(const QString &text, const QString &detail);
    void showPane(CategoryColumnPresenter::Pane pane);
    // In place of the pane's placeholder page.
    void putInRightPane(CategoryColumnPresenter::Pane pane, QWidget *view);

    Services m_services;
    CategoryColumnPresenter *m_column;
    TitleBarPresenter *m_titleBarPresenter;
    TitleBarView *m_titleBar;
    CategoryColumnView *m_columnView;
    QSplitter *m_mainSplit;
    QStackedWidget *m_rightPane;
    QSplitter *m_noteSplit;
    NoteListView *m_noteList;
    NoteDetailViewController *m_noteDetail;
    NoteRecordViewController *m_records = nullptr;
    NoteSearchViewController *m_search = nullptr;
    QPointer<LockOverlay> m_lock;
    CategoryMenuPresenter *m_categoryMenu;
    QPointer<CategoryDialog> m_categoryDialog;
    QPointer<SettingsWindow> m_settingsWindow;
    AuthWebPageFactory *m_authPages = nullptr;
};
