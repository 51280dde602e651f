#pragma once

#include "app/services/Services.h"
#include "notes/list/presenter/NoteRowActions.h"
#include "notes/list/presenter/NoteRowMenu.h"
#include "platform/base/AppEvents.h"

#include <QColor>
#include <QObject>
#include <QPointer>

class NoteListModel;
struct StoreChanges;

// The note list: the notes of the shown category, which one is selected, and
// the row menu. The selection is held by the note's key, so a save that moves,
// adds or removes other notes keeps it. "ReloadNoteDetail" goes out whenever
// the selected note differs from the one last announced (also after a
// category change that keeps the row number), never for a selection left on
// the same note.
class NoteListPresenter : public QObject
{
    Q_OBJECT
public:
    NoteListPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteListPresenter() override;

    NoteListModel *model() const { return m_model; }
    CategoryKey category() const;
    // The category's colour, for the stripe above the list (invalid: none).
    QColor categoryColor() const;
    // No notes: the empty view shows instead of the list.
    bool isEmpty() const;
    int selectedRow() const;
    NoteKey selectedNote() const;

    // The row menu for a right click on `row` (-1: below the last row, an empty
    // menu). A click on a row selects it first, so the detail pane shows that note.
    NoteRowMenu openMenu(int row);
    // A row menu or snooze item chosen for the row the menu was opened on.
    void triggerMenuItem(int row, int tag);

    // Where toasts show (the list's window); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_actions.setFeedbackAnchor(anchor); }

public slots:
    // The category chosen in the category column.
    void showCategory(const CategoryKey &category);
    // "NotesListReloadDatas".
    void reload(const NotesListReload &what);
    // The user selected a row (-1: none).
    void selectRow(int row);
    // "NoteDeselectRow": the detail pane moved on; nothing is announced.
    void deselect();
    // The add button: "AddNoteDetail".
    void addNote();

signals:
    // The view mirrors the presenter's selection (-1: none).
    void selectedRowChanged(int row);
    void emptyChanged(bool empty);
    void categoryChanged();

private:
    bool isShown(const CategoryKey &category) const;
    void storeChanged(const StoreChanges &changes);
    void setSelectedKey(qint64 pk);
    void select(int row);
    void announce();
    void announceNone();
    void updateEmpty();

    Services m_services;
    NoteListModel *m_model;
    qint64 m_selected = 0;
    int m_lastSelectedRow = -1;
    qint64 m_announced = 0;
    bool m_empty = true;
    NoteRowActions m_actions;
};
