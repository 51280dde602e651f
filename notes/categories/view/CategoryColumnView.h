#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

class CategoryCellDelegate;
class CategoryColumnPresenter;
class CategoryMenuPresenter;
class QLabel;
class QListView;

class TipButton;

// The category column: the tool buttons (lock, team, forced sync, settings),
// the header "我的便签" with its add button, and one cell per category.
class CategoryColumnView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int InitialWidth = 180;

    explicit CategoryColumnView(CategoryColumnPresenter *presenter, QWidget *parent = nullptr);

    QListView *listView() const { return m_list; }
    TipButton *lockButton() const { return m_lock; }
    TipButton *teamButton() const { return m_team; }
    TipButton *pullButton() const { return m_pull; }
    TipButton *settingsButton() const { return m_settings; }
    TipButton *addButton() const { return m_add; }
    // Opens the settings popover (as the settings button does).
    void openSettingsPopover();
    // Opens the category menu of a row at a global point; its choice goes to
    // `menu` with the row's category. The menu deletes itself once closed.
    QMenu *openCategoryMenu(int row, const QPoint &globalPos, CategoryMenuPresenter *menu);
    QMenu *categoryMenu() const { return m_menu; }

signals:
    void addCategoryClicked();
    // A right click on a cell, or the menu key on the current one: the
    // category menu for that row at a global point.
    void menuRequested(int row, const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showSelection(int row);

    CategoryColumnPresenter *m_presenter;
    QListView *m_list;
    CategoryCellDelegate *m_delegate;
    TipButton *m_lock;
    TipButton *m_team;
    TipButton *m_pull;
    TipButton *m_settings;
    TipButton *m_add;
    QLabel *m_title;
    QPointer<QMenu> m_menu;
    int m_loadedByMove = -1; // row a current-cell move loaded; its click adds nothing
};
