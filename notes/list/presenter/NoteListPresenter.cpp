#include "notes/list/presenter/NoteListPresenter.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "core/operations/NoteActionManager.h"
#include "notes/list/presenter/NoteListModel.h"
#include "platform/store/Context.h"

NoteListPresenter::NoteListPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_model(new NoteListModel(services.store, this)),
      m_actions(services)
{
    connect(m_services.events, &AppEvents::notesListReloadDatas, this, &NoteListPresenter::reload);
    connect(m_services.events, &AppEvents::noteDeselectRow, this, &NoteListPresenter::deselect);
    connect(m_services.store, &Context::changesSaved, this, &NoteListPresenter::storeChanged);
}

NoteListPresenter::~NoteListPresenter() = default;

CategoryKey NoteListPresenter::category() const
{
    return m_model->category();
}

QColor NoteListPresenter::categoryColor() const
{
    Classify *c = m_model->categoryRow();
    if (!c)
        return {};
    const QString hex = c->backColor().trimmed();
    return QColor(hex.startsWith(u'#') ? hex : u'#' + hex);
}

bool NoteListPresenter::isEmpty() const
{
    return m_model->rowCount() == 0;
}

int NoteListPresenter::selectedRow() const
{
    return m_selected ? m_model->rowOfKey(m_selected) : -1;
}

NoteKey NoteListPresenter::selectedNote() const
{
    return m_model->noteKeyAt(selectedRow());
}

void NoteListPresenter::showCategory(const CategoryKey &category)
{
    reload(NotesListReload::showCategory(category));
}

void NoteListPresenter::reload(const NotesListReload &what)
{
    const int current = selectedRow();
    const int kept = current > 0 ? current : 0;
    switch (what.kind) {
    case NotesListReload::Kind::Category:
        // The list follows every save, so the category already shown needs no rebuild (the detail pane's
        // cycles tell it after every confirm; rebuilding 10,000 rows each time shows).
        if (!isShown(what.category)) {
            m_model->setCategory(what.category);
            emit categoryChanged();
        }
        break;
    case NotesListReload::Kind::Note: {
        Context *store = m_services.store;
        NoteDetail *n = nullptr;
        if (what.note.pk > 0)
            n = store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, what.note.pk});
        if ((!n || n->isDeleted()) && !what.note.cId.isEmpty())
            n = store->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), what.note.cId);
        if (n && n->isDeleted())
            n = nullptr;
        Classify *c = n ? n->classify() : nullptr;
        // The list follows every save, so only another category asks for a rebuild.
        if (c && c != m_model->categoryRow()) {
            m_model->setCategory(CategoryKey{c->objectId().pk, c->classId()});
            emit categoryChanged();
        }
        updateEmpty();
        const int row = n ? m_model->rowOfKey(n->objectId().pk) : -1;
        select(row >= 0 ? row : 0);
        return;
    }
    case NotesListReload::Kind::Single:
        if (current >= 0)
            m_model->refreshRow(current);
        break;
    case NotesListReload::Kind::All:
        m_model->refreshAll();
        break;
    }
    updateEmpty();
    if (m_model->rowCount() > 0)
        select(kept < m_model->rowCount() ? kept : 0);
    else
        announceNone();
}

bool NoteListPresenter::isShown(const CategoryKey &category) const
{
    const Classify *shown = m_model->categoryRow();
    if (!shown || shown->isDeleted())
        return false;
    return category.classId.isEmpty() ? category.pk == shown->objectId().pk
                                      : category.classId == shown->classId();
}

void NoteListPresenter::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        // Nothing is announced when the selection becomes empty.
        setSelectedKey(0);
        return;
    }
    select(row);
}

void NoteListPresenter::select(int row)
{
    setSelectedKey(m_model->keyAt(row));
    announce();
}

void NoteListPresenter::deselect()
{
    setSelectedKey(0);
    m_announced = 0;
}

void NoteListPresenter::setSelectedKey(qint64 pk)
{
    const int before = m_lastSelectedRow;
    m_selected = pk;
    m_lastSelectedRow = selectedRow();
    if (m_lastSelectedRow != before || pk)
        emit selectedRowChanged(m_lastSelectedRow);
}

void NoteListPresenter::announce()
{
    if (m_selected == m_announced)
        return;
    m_announced = m_selected;
    emit m_services.events->reloadNoteDetail(m_model->noteKeyAt(selectedRow()));
}

void NoteListPresenter::announceNone()
{
    setSelectedKey(0);
    m_announced = 0;
    emit m_services.events->reloadNoteDetail(NoteKey{});
}

void NoteListPresenter::addNote()
{
    emit m_services.events->addNoteDetail();
}

void NoteListPresenter::updateEmpty()
{
    const bool empty = isEmpty();
    if (empty != m_empty) {
        m_empty = empty;
        emit emptyChanged(empty);
    }
}

void NoteListPresenter::storeChanged(const StoreChanges &changes)
{
    const int oldRow = m_lastSelectedRow;
    const bool wasReset = m_model->applyChanges(changes);
    if (wasReset && !m_model->categoryRow() && m_model->category().pk > 0) {
        // The category itself went with the replacement.
        emit categoryChanged();
    }
    updateEmpty();
    if (!m_selected) {
        if (wasReset)
            emit selectedRowChanged(-1);
        return;
    }
    int row = m_model->rowOfKey(m_selected);
    if (row >= 0) {
        m_lastSelectedRow = row;
        emit selectedRowChanged(row);
        return;
    }
    // The selected note left the list: its neighbour takes its place.
    if (m_model->rowCount() == 0) {
        announceNone();
        return;
    }
    row = std::clamp(oldRow, 0, m_model->rowCount() - 1);
    select(row);
}

NoteRowMenu NoteListPresenter::openMenu(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    select(row);
    auto *n =
        m_services.store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, m_model->keyAt(row)});
    return NoteRowMenu::forNote(n && !n->isDeleted() ? n : nullptr);
}

void NoteListPresenter::triggerMenuItem(int row, int tag)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    auto *n =
        m_services.store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, m_model->keyAt(row)});
    if (!n || n->isDeleted())
        return;
    const NoteKey key{n->objectId().pk, n->cId()};
    switch (tag) {
    case NoteRowMenu::Copy:
        m_actions.copy(n);
        break;
    case NoteRowMenu::Complete:
        if (n->isCompleted()) {
            // The detail pane shows the clicked note (the menu selected it) and undoes there.
            emit m_services.events->revokeCompleteNote();
        } else {
            m_actions.complete(n);
        }
        break;
    case NoteRowMenu::Delete:
        m_actions.remove(n);
        break;
    case NoteRowMenu::ClearRemind:
        m_actions.pushIfSaved(m_services.noteActions->clearRemindWithNote(n), key);
        break;
    case NoteRowMenu::ClearImportant:
        m_actions.pushIfSaved(m_services.noteActions->clearStarRemindWithNote(n), key);
        break;
    case NoteRowMenu::ClearSnooze:
        m_actions.pushIfSaved(m_services.noteActions->clearDelayRemindWithNote(n), key);
        break;
    case NoteRowMenu::SnoozeHalfHour:
    case NoteRowMenu::SnoozeHour:
    case NoteRowMenu::SnoozeTomorrow:
    case NoteRowMenu::SnoozeNextWeek:
        m_actions.pushIfSaved(m_services.noteActions->addDelayRemindWithNote(n, tag), key);
        break;
    default:
        break;
    }
}
