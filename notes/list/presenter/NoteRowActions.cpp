#include "notes/list/presenter/NoteRowActions.h"

#include "app/services/StoreSaver.h"
#include "core/model/NoteDetail.h"
#include "core/operations/NoteActionManager.h"
#include "platform/base/UserFeedback.h"

#include <QClipboard>
#include <QGuiApplication>

void NoteRowActions::copy(const NoteDetail *note)
{
    if (!note)
        return;
    if (auto *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(note->content());
    }
    if (m_services.feedback)
        m_services.feedback->showToast(QStringLiteral("复制成功"), m_anchor);
}

void NoteRowActions::complete(NoteDetail *note)
{
    if (!note)
        return;
    bool saved = false;
    m_services.noteActions->completeActionWithNote(note, &saved);
    pushIfSaved(saved, {});
}

void NoteRowActions::remove(NoteDetail *note)
{
    if (!note)
        return;
    pushIfSaved(m_services.noteActions->deleteActionWithNote(note), {});
}

void NoteRowActions::pushIfSaved(bool saved, const NoteKey &note)
{
    if (!saved) {
        m_services.feedback->showMessage(StoreSaver::failedText(),
                                         UserFeedback::Asker{nullptr, m_anchor.data()});
        return;
    }
    push(note);
}

void NoteRowActions::push(const NoteKey &note)
{
    if (m_services.events)
        emit m_services.events->syncPushNoteDatas(note);
}
