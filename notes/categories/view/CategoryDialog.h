#pragma once

#include "notes/categories/presenter/CategoryDialogPresenter.h"

#include <QDialog>
#include <QPointer>

class ClassifyColorGrid;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The category dialog: name field, colour grid, the top/bottom choice (add
// only), cancel and confirm. Window-modal, opened with open(); Enter
// confirms, Escape cancels, and it deletes itself once closed. Closed while
// its push is out, the answer is still applied: the presenter then waits
// under `keeper` until the answer comes.
class CategoryDialog : public QDialog
{
    Q_OBJECT
public:
    // Takes the presenter; the result toast shows on the parent's window.
    CategoryDialog(CategoryDialogPresenter *presenter, QWidget *parent);

    CategoryDialogPresenter *presenter() const { return m_presenter; }
    QLineEdit *nameField() const { return m_name; }
    ClassifyColorGrid *colorGrid() const { return m_grid; }
    QWidget *positionView() const { return m_position; }
    QRadioButton *addTopButton() const { return m_top; }
    QRadioButton *addBottomButton() const { return m_bottom; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *confirmButton() const { return m_confirm; }

    void done(int result) override;

private:
    QPointer<CategoryDialogPresenter> m_presenter;
    QLineEdit *m_name;
    ClassifyColorGrid *m_grid;
    QWidget *m_position;
    QRadioButton *m_top;
    QRadioButton *m_bottom;
    QPushButton *m_cancel;
    QPushButton *m_confirm;
};
