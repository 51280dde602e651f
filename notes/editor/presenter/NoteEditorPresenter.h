#pragma once

#include "app/services/Services.h"
#include "notes/editor/presenter/NoteEditorReminderLine.h"
#include "notes/editor/presenter/TextColorModel.h"
#include "platform/base/AppEvents.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class Classify;
class NoteDetail;
class NoteRemindModel;
struct StoreChanges;

// The note editor of the detail pane: one note, held by its key, in a read-only
// view state or an edit state. The typed text, the chosen colour and category
// live here until the user confirms (or the note is left with a changed text,
// which saves it), so typing never waits on the store. The pane hosts it and
// answers its signals: it stores a pending reminder value, saves and syncs.
//
// In the view state the editor follows the store's saves of its note; in the
// edit state it keeps what the user is doing.
class NoteEditorPresenter : public QObject
{
    Q_OBJECT
public:
    // The action buttons, in the row from right to left.
    enum class Button
    {
        Edit,
        Cancel,
        Complete,
        Delete
    };
    Q_ENUM(Button)

    explicit NoteEditorPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteEditorPresenter() override;

    NoteKey note() const { return m_key; }
    bool hasNote() const { return !m_key.isNull(); }
    bool isEditing() const { return m_editing; }

    // "已完成", "新增", "编辑" or "查看", and the title image's name.
    QString title() const;
    QString titleImage() const;
    // The text the user sees (typed, not yet stored, while editing).
    QString text() const { return m_text; }
    // "确定" while editing, else "编辑".
    QString editButtonTitle() const;
    QList<Button> buttonRow() const;
    bool isEditEnabled() const;
    bool isCompleteEnabled() const;
    bool isDeleteEnabled() const;
    // The undo button is built for completed notes; the row does not place it.
    bool isRevokeVisible() const;
    // The text, the category choice, the colour menu, the reminder line and the
    // clear button work only while editing.
    bool isClearRemindEnabled() const { return m_editing; }

    NoteEditorReminderLine reminderLine() const { return m_line; }

    const QList<TextColorModel> &colors() const { return m_colors; }
    int colorIndex() const { return m_colorIndex; }
    // The chosen colour ("#rrggbb"); the default one when there is no list.
    QString colorValue() const;

    // The categories offered, by "sort", and the chosen one (-1: none).
    QStringList categoryNames() const;
    int categoryIndex() const;

    // Where the confirmation question shows (the editor's window); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

public slots:
    // Shows a note (a null key: nothing). A changed text of the note shown before
    // is saved first; the same note again while editing changes nothing.
    void showNote(const NoteKey &note);
    // Shows a reminder value chosen but not stored yet.
    void showRemind(const NoteRemindModel &value);

    // The user's typing (view state: ignored).
    void setText(const QString &text);
    // The edit button: enters the edit state, or confirms and leaves it.
    void edit();
    void cancel();
    void dismiss();
    void complete();
    void remove();
    void clearRemind();
    // Asks "确定撤回完成本条Prelvane吗？"; on "确定" the pane undoes the completion.
    void revokeCompletion();
    void chooseColor(int index);
    void chooseCategory(int index);
    // The reminder line was clicked.
    void remindLineClicked();

signals:
    // Anything but the text changed: the view renders the state again.
    void changed();
    // The text was replaced by the editor (another note, a cancel, a save).
    void textReset(const QString &text);
    // The edit state began: the text takes the keyboard focus.
    void editingStarted();

    // The pane's side: after confirm, complete and delete.
    void editConfirmed();
    void remindCleared();
    void completionRevoked();
    // The pane shows its empty state.
    void dismissed();
    void editCancelled();
    // The reminder line was clicked while editing: the pane opens the reminder window.
    void remindWanted();

private:
    NoteDetail *find(const NoteKey &key) const;
    NoteDetail *row() const { return find(m_key); }
    // Shows the row's stored values (null: nothing) in the view state unless `editing`.
    void load(NoteDetail *note, bool editing);
    void reloadCategories();
    Classify *chosenCategory() const;
    // Writes a text the user changed onto the note without a confirm; true when it did.
    bool autoSave(NoteDetail *note);
    // Removes a note the service never got (or never had a text), unlinked from its order.
    void deleteLocally(NoteDetail *note);
    void confirm();
    // Saves the store; a failure is told to the user (false).
    bool save(const char *what);
    void tellNotSaved();
    // A confirm that could not be stored: the edit state goes on with `text`.
    void keepEditing(const QString &text);
    void storeChanged(const StoreChanges &changes);
    void render();

    Services m_services;
    QPointer<QObject> m_anchor;
    QList<TextColorModel> m_colors;

    NoteKey m_key;
    qint64 m_remindPk = 0;
    bool m_editing = false;
    bool m_isNew = false;
    bool m_completed = false;
    bool m_deleted = false;
    QString m_text;
    bool m_textChanged = false;
    int m_colorIndex = -1;
    QList<CategoryKey> m_categories;
    QStringList m_categoryNames;
    CategoryKey m_chosenCategory;
    NoteEditorReminderLine m_line;
};
