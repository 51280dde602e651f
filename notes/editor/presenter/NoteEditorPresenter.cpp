#include "notes/editor/presenter/NoteEditorPresenter.h"

#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteRemindModel.h"
#include "core/model/RowAction.h"
#include "core/operations/NoteActionManager.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"

namespace {

// A text of blanks only shows nothing in the list: it counts as no text.
bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// Notes made here carry a client id ("c…") until their first push.
bool isClientId(const QString &cId)
{
    return cId.contains(u'c');
}

NoteKey keyOf(const NoteDetail *note)
{
    return note ? NoteKey{note->objectId().pk, note->cId()} : NoteKey{};
}

} // namespace

NoteEditorPresenter::NoteEditorPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_colors(TextColorModel::all())
{
    connect(m_services.store, &Context::changesSaved, this, &NoteEditorPresenter::storeChanged);
    // The sign-out wipes the account's rows: nothing of this sign-in is held or written.
    connect(m_services.session, &Session::signingOut, this, [this] { load(nullptr, false); });
}

NoteEditorPresenter::~NoteEditorPresenter() = default;

QString NoteEditorPresenter::title() const
{
    if (m_completed)
        return QStringLiteral("已完成");
    if (m_editing)
        return m_isNew ? QStringLiteral("新增") : QStringLiteral("编辑");
    return QStringLiteral("查看");
}

QString NoteEditorPresenter::titleImage() const
{
    if (m_completed)
        return QStringLiteral("note_edit_complete");
    if (m_editing)
        return m_isNew ? QStringLiteral("note_edit_add") : QStringLiteral("note_edit");
    return QStringLiteral("note_edit_see");
}

QString NoteEditorPresenter::editButtonTitle() const
{
    return m_editing ? QStringLiteral("确定") : QStringLiteral("编辑");
}

QList<NoteEditorPresenter::Button> NoteEditorPresenter::buttonRow() const
{
    if (m_editing)
        return {Button::Edit, Button::Cancel};
    return {Button::Edit, Button::Complete, Button::Delete};
}

bool NoteEditorPresenter::isEditEnabled() const
{
    return hasNote() && (m_editing || (!m_completed && !m_deleted));
}

bool NoteEditorPresenter::isCompleteEnabled() const
{
    return hasNote() && !m_editing && !m_completed && !m_deleted;
}

bool NoteEditorPresenter::isDeleteEnabled() const
{
    return hasNote() && !m_editing && !m_deleted;
}

bool NoteEditorPresenter::isRevokeVisible() const
{
    return hasNote() && m_completed && !m_deleted;
}

QString NoteEditorPresenter::colorValue() const
{
    if (m_colorIndex < 0 || m_colorIndex >= m_colors.size())
        return QStringLiteral("#3a3a3a");
    return m_colors[m_colorIndex].color;
}

QStringList NoteEditorPresenter::categoryNames() const
{
    return m_categoryNames;
}

int NoteEditorPresenter::categoryIndex() const
{
    for (qsizetype i = 0; i < m_categories.size(); ++i) {
        if (m_categories[i].pk == m_chosenCategory.pk)
            return int(i);
    }
    return -1;
}

NoteDetail *NoteEditorPresenter::find(const NoteKey &key) const
{
    Context *store = m_services.store;
    if (key.isNull() || !store)
        return nullptr;
    NoteDetail *n = nullptr;
    if (key.pk > 0)
        n = store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, key.pk});
    if ((!n || n->isDeleted()) && !key.cId.isEmpty())
        n = store->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), key.cId);
    return n && !n->isDeleted() ? n : nullptr;
}

Classify *NoteEditorPresenter::chosenCategory() const
{
    Context *store = m_services.store;
    if (!store || m_chosenCategory.isNull())
        return nullptr;
    Classify *c = nullptr;
    if (m_chosenCategory.pk > 0)
        c = store->existing<Classify>(ObjectId{Classify::entity().index, m_chosenCategory.pk});
    if ((!c || c->isDeleted()) && !m_chosenCategory.classId.isEmpty())
        c = store->findFirstByAttribute<Classify>(QStringLiteral("classId"), m_chosenCategory.classId);
    return c && !c->isDeleted() && c->actionType() != RowAction::Deleted ? c : nullptr;
}

void NoteEditorPresenter::reloadCategories()
{
    m_categories.clear();
    m_categoryNames.clear();
    const QList<Classify *> rows =
        m_services.store->findAllSortedBy<Classify>(QStringLiteral("sort"), true, [](const Classify *c) {
            return c->actionType() != RowAction::Deleted;
        });
    for (const Classify *c : rows) {
        m_categories.append(CategoryKey{c->objectId().pk, c->classId()});
        m_categoryNames.append(c->name());
    }
}

void NoteEditorPresenter::load(NoteDetail *note, bool editing)
{
    m_key = keyOf(note);
    m_editing = note && editing;
    m_text = note ? note->content() : QString();
    m_textChanged = false;
    m_isNew = note && isBlank(note->content());
    m_completed = note && note->isCompleted();
    m_deleted = note && note->actionType() == RowAction::Deleted;
    m_colorIndex = TextColorModel::indexOf(m_colors, note ? note->fontColor() : QString());

    reloadCategories();
    m_chosenCategory = {};
    if (note && !m_categories.isEmpty()) {
        m_chosenCategory = m_categories.first();
        for (const CategoryKey &k : std::as_const(m_categories)) {
            if (k.classId == note->classId()) {
                m_chosenCategory = k;
                break;
            }
        }
    }

    const DateRemind *remind = note ? note->remind() : nullptr;
    m_remindPk = remind ? remind->objectId().pk : 0;
    m_line = NoteEditorReminderLine::fromRecord(remind);
    render();
    if (m_editing)
        emit editingStarted();
}

void NoteEditorPresenter::render()
{
    emit textReset(m_text);
    emit changed();
}

bool NoteEditorPresenter::save(const char *what)
{
    // A failure keeps the changes pending for the next save and tells the user.
    return StoreSaver::save(m_services, m_anchor, what);
}

void NoteEditorPresenter::tellNotSaved()
{
    m_services.feedback->showMessage(StoreSaver::failedText(), UserFeedback::Asker{nullptr, m_anchor.data()});
}

void NoteEditorPresenter::keepEditing(const QString &text)
{
    // The typed text stays in the editor, still to be confirmed.
    m_editing = true;
    m_text = text;
    m_textChanged = true;
    emit changed();
}

bool NoteEditorPresenter::autoSave(NoteDetail *note)
{
    // Only what the user typed: a text shown in the view state may be older than
    // the note (a pull changed it meanwhile) and must not be written back.
    if (!m_editing || !m_textChanged || isBlank(m_text) || m_text == note->content() ||
        note->actionType() == RowAction::Deleted)
        return false;
    note->setContent(m_text);
    note->setActionType(isClientId(note->cId()) ? 1 : 2);
    note->setIsSync(false);
    m_textChanged = false;
    return true;
}

void NoteEditorPresenter::showNote(const NoteKey &key)
{
    NoteDetail *next = find(key);
    NoteDetail *previous = row();
    if (m_editing && previous && previous == next)
        return;
    const NoteKey previousKey = keyOf(previous);
    const bool saved = previous && previous != next && autoSave(previous);
    load(next, next && isBlank(next->content()));
    // Not stored: the text stays pending on the note (the next save writes it).
    if (saved && save("the moved-from note"))
        emit m_services.events->syncPushNoteDatas(previousKey);
}

void NoteEditorPresenter::showRemind(const NoteRemindModel &value)
{
    if (!hasNote())
        return;
    m_line = NoteEditorReminderLine::fromModel(&value, m_services.store);
    emit changed();
}

void NoteEditorPresenter::setText(const QString &text)
{
    if (!m_editing || text == m_text)
        return;
    m_text = text;
    m_textChanged = true;
}

void NoteEditorPresenter::edit()
{
    if (!hasNote())
        return;
    if (m_editing) {
        confirm();
        return;
    }
    if (!isEditEnabled())
        return;
    m_editing = true;
    emit changed();
    emit editingStarted();
}

void NoteEditorPresenter::confirm()
{
    NoteDetail *n = row();
    if (!n) {
        load(nullptr, false);
        return;
    }
    // A text the user left alone is the stored one, which a pull may have renewed meanwhile.
    const QString text = m_textChanged ? m_text : n->content();
    if (isBlank(text)) {
        if (isBlank(n->content()) || isClientId(n->cId())) {
            // Never sent: the service has nothing to delete.
            deleteLocally(n);
            if (!hasNote())
                emit dismissed();
            return;
        }
        // A deletion the store did not take stays pending (the next save writes it).
        const bool saved = m_services.noteActions->deleteActionWithNote(n);
        m_editing = false;
        m_textChanged = false;
        load(row(), false);
        if (!saved) {
            tellNotSaved();
            return;
        }
        emit editConfirmed();
        return;
    }
    Classify *chosen = chosenCategory();
    n->setContent(text);
    n->setFontColor(colorValue());
    if (const Classify *c = n->classify())
        n->setClassId(c->classId());
    n->setActionType(isClientId(n->cId()) ? 1 : 2);
    n->setIsSync(false);
    if (chosen && chosen->classId() != n->classId())
        m_services.noteActions->moveNoteToClassify(chosen, n);
    if (!save("the confirmed note")) {
        // Nothing is confirmed: the editor keeps what was typed, the next confirm saves it.
        keepEditing(text);
        return;
    }
    m_editing = false;
    m_textChanged = false;
    load(row(), false);
    emit editConfirmed();
}

void NoteEditorPresenter::deleteLocally(NoteDetail *note)
{
    const Classify *c = note->classify();
    const CategoryKey category =
        c ? CategoryKey{c->objectId().pk, c->classId()} : CategoryKey{0, note->classId()};
    load(nullptr, false);
    // Unlinked first, so the note above names the one below (and goes out with the next push).
    m_services.noteActions->configOldLastNote(note);
    m_services.store->deleteObject(note);
    (void)save("the removed note");
    emit m_services.events->notesListReloadDatas(NotesListReload::showCategory(category));
}

void NoteEditorPresenter::cancel()
{
    if (!m_editing)
        return;
    NoteDetail *n = row();
    if (n && isBlank(n->content())) {
        deleteLocally(n);
        emit editCancelled();
        if (!hasNote())
            emit dismissed();
        return;
    }
    load(n, false);
    emit editCancelled();
}

void NoteEditorPresenter::dismiss()
{
    if (NoteDetail *n = row()) {
        // Closing the editor moves on from the note like choosing another one does.
        const NoteKey key = keyOf(n);
        const bool saved = autoSave(n);
        if (isBlank(n->content())) {
            deleteLocally(n);
        } else {
            load(nullptr, false);
            if (saved && save("the closed note"))
                emit m_services.events->syncPushNoteDatas(key);
        }
    }
    emit dismissed();
}

void NoteEditorPresenter::complete()
{
    NoteDetail *n = row();
    if (!n || !isCompleteEnabled() || isBlank(n->content()))
        return;
    bool saved = false;
    m_services.noteActions->completeActionWithNote(n, &saved);
    load(row(), false);
    if (!saved) {
        tellNotSaved();
        return;
    }
    emit editConfirmed();
}

void NoteEditorPresenter::remove()
{
    NoteDetail *n = row();
    if (!n || !isDeleteEnabled() || isBlank(n->content()))
        return;
    const bool saved = m_services.noteActions->deleteActionWithNote(n);
    load(row(), false);
    if (!saved) {
        tellNotSaved();
        return;
    }
    emit editConfirmed();
}

void NoteEditorPresenter::clearRemind()
{
    if (!m_editing)
        return;
    m_line = NoteEditorReminderLine::unset();
    emit changed();
    emit remindCleared();
}

void NoteEditorPresenter::revokeCompletion()
{
    NoteDetail *n = row();
    if (!n || !isRevokeVisible())
        return;
    UserFeedback *feedback = m_services.feedback;
    const qint64 pk = m_key.pk;
    // The flags change only once the undo is done (by the pane, after the service
    // agreed for an uploaded note), so a refused undo leaves the note as it is.
    feedback->showConfirm(QStringLiteral("确定撤回完成本条Prelvane吗？"), {this, m_anchor.data()},
                          [this, pk](bool ok) {
                              const NoteDetail *note = row();
                              if (ok && note && m_key.pk == pk && note->isCompleted())
                                  emit completionRevoked();
                          });
}

void NoteEditorPresenter::chooseColor(int index)
{
    if (!m_editing || index < 0 || index >= m_colors.size() || index == m_colorIndex)
        return;
    m_colorIndex = index;
    emit changed();
}

void NoteEditorPresenter::chooseCategory(int index)
{
    if (!m_editing || index < 0 || index >= m_categories.size())
        return;
    m_chosenCategory = m_categories[index];
    emit changed();
}

void NoteEditorPresenter::remindLineClicked()
{
    if (m_editing)
        emit remindWanted();
}

void NoteEditorPresenter::storeChanged(const StoreChanges &changes)
{
    // While editing, what the user does wins; the confirm writes it.
    if (m_editing || !hasNote())
        return;
    bool touched = changes.replaced || !changes.entity(QStringLiteral("Classify")).isEmpty();
    const StoreChanges::Entity notes = changes.entity(QStringLiteral("NoteDetail"));
    for (const StoreChanges::Updated &u : notes.updated)
        touched = touched || u.pk == m_key.pk;
    touched = touched || notes.deleted.contains(m_key.pk);
    const StoreChanges::Entity reminds = changes.entity(QStringLiteral("DateRemind"));
    // A new record is found through the note; a changed or removed one by its key.
    touched = touched || !reminds.inserted.isEmpty() || reminds.deleted.contains(m_remindPk);
    for (const StoreChanges::Updated &u : reminds.updated)
        touched = touched || u.pk == m_remindPk;
    if (touched)
        load(row(), false);
}
