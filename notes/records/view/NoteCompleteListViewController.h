#pragma once

#include "app/uikit/EmptyView.h"

#include <QPointer>
#include <QWidget>

class NoteCompleteListPresenter;
class QListView;
class QMenu;
class QPushButton;

// The completed list: the painted records, no selection (a right click opens a
// row's menu), the more button below them and the empty placeholder over them.
// Each showing of the list is a new visit: the presenter brings the mirror up
// to date; leaving it takes the busy overlay down.
class NoteCompleteListViewController : public QWidget
{
    Q_OBJECT
public:
    // The presenter becomes the view's child.
    explicit NoteCompleteListViewController(NoteCompleteListPresenter *presenter, QWidget *parent = nullptr);

    NoteCompleteListPresenter *presenter() const { return m_presenter; }
    QListView *listView() const { return m_list; }
    QPushButton *moreButton() const { return m_more; }
    // The placeholder while the list is empty, else null.
    EmptyView *emptyView() const { return m_empty; }

    // Opens the row menu as a right click at `pos` (viewport coordinates) does.
    void openRowMenu(const QPoint &pos);
    // The row menu for `row`, not yet shown; null below the rows. It deletes itself when closed.
    QMenu *buildRowMenu(int row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showState();

    NoteCompleteListPresenter *m_presenter;
    QListView *m_list;
    QPushButton *m_more;
    QPointer<EmptyView> m_empty;
};
