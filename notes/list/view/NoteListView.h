#pragma once

#include <QWidget>

class NoteListPresenter;
class NoteRowDelegate;
class QListView;
class QMenu;
class QStackedWidget;
class TipButton;

// The note list pane: a white header with the category's colour stripe and
// the add button, and below it the list of note rows, or the empty view when
// the category has no notes. Right-clicking a row opens the row menu.
class NoteListView : public QWidget
{
    Q_OBJECT
public:
    // The presenter becomes the view's child.
    explicit NoteListView(NoteListPresenter *presenter, QWidget *parent = nullptr);

    NoteListPresenter *presenter() const { return m_presenter; }
    QListView *listView() const { return m_list; }
    TipButton *addButton() const { return m_addButton; }
    bool isShowingEmptyView() const;

    // Opens the row menu as a right click at `pos` (viewport coordinates) does.
    void openRowMenu(const QPoint &pos);
    // The row menu for `row` as it opens (the row selected), not yet shown;
    // null below the last row. It deletes itself when closed.
    QMenu *buildRowMenu(int row);

private:
    void mirrorSelection(int row);
    void showCategory();
    void showEmpty(bool empty);

    NoteListPresenter *m_presenter;
    QWidget *m_stripe;
    TipButton *m_addButton;
    QStackedWidget *m_stack;
    QListView *m_list;
    QWidget *m_emptyView;
    bool m_mirroring = false;
};
