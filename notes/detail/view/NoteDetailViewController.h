#pragma once

#include "app/services/Services.h"

#include <QWidget>

class AddNoteView;
class EditNoteView;
class NoteDetailPresenter;
class NoteEditorPresenter;
class QStackedLayout;

// The right half of the note split: the empty state or the note editor, on
// white. It makes the pane's presenter and the editor and wires the two: the
// editor's confirms, clears, undos, dismissals and reminder clicks go to the
// pane, and the pane tells the editor which note and which pending reminder
// value to show.
class NoteDetailViewController : public QWidget
{
    Q_OBJECT
public:
    explicit NoteDetailViewController(const Services &services, QWidget *parent = nullptr);
    ~NoteDetailViewController() override;

    NoteDetailPresenter *presenter() const { return m_presenter; }
    NoteEditorPresenter *editorPresenter() const;
    AddNoteView *addView() const { return m_addView; }
    EditNoteView *editView() const { return m_editView; }

private:
    void showState(bool editing);

    NoteDetailPresenter *m_presenter;
    QStackedLayout *m_stack;
    AddNoteView *m_addView;
    EditNoteView *m_editView;
};
