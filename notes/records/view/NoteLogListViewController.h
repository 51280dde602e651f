#pragma once

#include "app/uikit/EmptyView.h"

#include <QPointer>
#include <QWidget>

class NoteLogCellDelegate;
class NoteLogListPresenter;
class QListView;
class QMenu;
class QPushButton;

// The edit-history list: the painted rows (no selection; a right click opens
// a row's menu), the more button under them and the empty view over an empty
// list. Each showing tells the presenter, which brings the mirror up to date.
class NoteLogListViewController : public QWidget
{
    Q_OBJECT
public:
    // The presenter becomes the view's child.
    explicit NoteLogListViewController(NoteLogListPresenter *presenter, QWidget *parent = nullptr);

    NoteLogListPresenter *presenter() const { return m_presenter; }
    QListView *listView() const { return m_list; }
    QPushButton *moreButton() const { return m_more; }
    NoteLogCellDelegate *cellDelegate() const { return m_delegate; }
    EmptyView *emptyView() const { return m_empty; }

    // The row menu for `row`, not yet shown; null below the rows. It deletes itself when closed.
    QMenu *buildRowMenu(int row);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showState();
    void openRowMenu(const QPoint &pos);

    NoteLogListPresenter *m_presenter;
    QListView *m_list;
    NoteLogCellDelegate *m_delegate;
    QPushButton *m_more;
    QPointer<EmptyView> m_empty;
};
