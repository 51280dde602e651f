#pragma once

#include <QWidget>

class NoteDateListPresenter;
class QListView;
class QMenu;

// The due-date list: the painted rows of the four groups, no selection (a row
// is not chosen, only its menu opened); a right click on a note opens its menu.
class NoteDateListViewController : public QWidget
{
    Q_OBJECT
public:
    // The presenter becomes the view's child.
    explicit NoteDateListViewController(NoteDateListPresenter *presenter, QWidget *parent = nullptr);

    NoteDateListPresenter *presenter() const { return m_presenter; }
    QListView *listView() const { return m_list; }

    // Opens the row menu as a right click at `pos` (viewport coordinates) does.
    void openRowMenu(const QPoint &pos);
    // The row menu for `row`, not yet shown; null for a header, a placeholder or
    // below the rows. It deletes itself when closed.
    QMenu *buildRowMenu(int row);

private:
    NoteDateListPresenter *m_presenter;
    QListView *m_list;
};
