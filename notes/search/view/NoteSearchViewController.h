#pragma once

#include "app/services/Services.h"

#include <QWidget>

class NoteRowDelegate;
class NoteSearchPresenter;
class QAbstractButton;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QRadioButton;
class NoteLogCellDelegate;

// The search pane, the right pane's search child: the field with its button
// (in the skin's colour), the two scope choices, the tip with the number of
// hits, and the hits painted as note rows or history rows. The list is hidden
// while there are no hits.
class NoteSearchViewController : public QWidget
{
    Q_OBJECT
public:
    explicit NoteSearchViewController(const Services &services, QWidget *parent = nullptr);

    NoteSearchPresenter *presenter() const { return m_presenter; }
    QLineEdit *searchField() const { return m_searchField; }
    QPushButton *searchButton() const { return m_searchButton; }
    QRadioButton *localCheckButton() const { return m_localCheck; }
    QRadioButton *logCheckButton() const { return m_logCheck; }
    QLabel *tipLabel() const { return m_tipLabel; }
    QListView *tableView() const { return m_list; }
    // The row menu as a right click on `row` opens it (null: none).
    QMenu *buildRowMenu(int row);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void confSkinControl();
    void showState();
    void openRowMenu(const QPoint &pos);

    NoteSearchPresenter *m_presenter;
    QFrame *m_searchView;
    QLineEdit *m_searchField;
    QPushButton *m_searchButton;
    QRadioButton *m_localCheck;
    QRadioButton *m_logCheck;
    QLabel *m_tipLabel;
    QListView *m_list;
    NoteRowDelegate *m_noteRows;
    NoteLogCellDelegate *m_logRows;
};
