#include "notes/detail/view/NoteDetailViewController.h"

#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/view/AddNoteView.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/reminderwindow/view/NoteRemindViewController.h"
#include "platform/network/NetworkMonitor.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QStackedLayout>

NoteDetailViewController::NoteDetailViewController(const Services &services, QWidget *parent)
    : QWidget(parent), m_presenter(new NoteDetailPresenter(services, this)),
      m_stack(new QStackedLayout(this)), m_addView(new AddNoteView(this)),
      m_editView(new EditNoteView(new NoteEditorPresenter(services), this))
{
    setObjectName(QStringLiteral("noteDetailPane"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_addView);
    m_stack->addWidget(m_editView);
    m_presenter->setFeedbackAnchor(this);
    NoteEditorPresenter *editor = m_editView->presenter();
    editor->setFeedbackAnchor(this);

    connect(m_addView, &AddNoteView::addNoteClicked, m_presenter, &NoteDetailPresenter::addNote);
    connect(m_presenter, &NoteDetailPresenter::editingChanged, this, &NoteDetailViewController::showState);
    connect(m_presenter, &NoteDetailPresenter::noteShown, editor, &NoteEditorPresenter::showNote);
    connect(m_presenter, &NoteDetailPresenter::remindShown, editor, &NoteEditorPresenter::showRemind);
    connect(editor, &NoteEditorPresenter::editConfirmed, m_presenter, &NoteDetailPresenter::editConfirmed);
    connect(editor, &NoteEditorPresenter::remindCleared, m_presenter, &NoteDetailPresenter::remindCleared);
    connect(editor, &NoteEditorPresenter::completionRevoked, m_presenter,
            &NoteDetailPresenter::completionRevoked);
    connect(editor, &NoteEditorPresenter::dismissed, m_presenter, &NoteDetailPresenter::dismissed);
    connect(editor, &NoteEditorPresenter::editCancelled, m_presenter, &NoteDetailPresenter::editCancelled);
    connect(editor, &NoteEditorPresenter::remindWanted, m_presenter, &NoteDetailPresenter::remindWanted);
    // The reminder window, modal over the main window; its confirm is the pane's pending value.
    connect(m_presenter, &NoteDetailPresenter::remindWindowWanted, this,
            [this, services](const NoteRemindModel &value) {
                auto *remind =
                    new NoteRemindViewController(value, services, services.network.get(), window());
                connect(remind, &NoteRemindViewController::remindConfirmed, m_presenter,
                        &NoteDetailPresenter::applyRemind);
                // The text takes the keyboard back, so that Ctrl+Return confirms at once.
                connect(remind, &QDialog::finished, this, [this] {
                    if (!m_editView->presenter()->isEditing())
                        return;
                    if (!QApplication::activeWindow())
                        window()->activateWindow();
                    m_editView->textEdit()->setFocus(Qt::OtherFocusReason);
                });
                remind->present();
            });
    showState(m_presenter->isEditing());
}

NoteDetailViewController::~NoteDetailViewController() = default;

NoteEditorPresenter *NoteDetailViewController::editorPresenter() const
{
    return m_editView->presenter();
}

void NoteDetailViewController::showState(bool editing)
{
    m_stack->setCurrentWidget(editing ? static_cast<QWidget *>(m_editView) : m_addView);
}
