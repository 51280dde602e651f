// Scenes of the main window's note detail pane: a note chosen in the list and
// shown in the editor, the same note being edited, and the empty pane.

#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/EventKeys.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserInfo.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/view/EditNoteView.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

namespace {

// Two categories; the first has notes (the second with a weekly reminder)
// unless `withNotes` is false.
Context *detailStore(const QString &file, bool withNotes)
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    Classify *first = nullptr;
    const QStringList names{"工作", "生活"};
    for (int i = 0; i < names.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(300 + i));
        c->setName(names.at(i));
        c->setBackColor(i == 0 ? "#2b9cc6" : "#10b56c");
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
        if (!first)
            first = c;
    }
    if (withNotes) {
        const QStringList texts{"周五下午三点项目评审,提前准备演示材料,并把上周的数据整理成表格发给大家",
                                "给房东打电话说热水器的事", "整理上个月的发票和报销单据"};
        for (int i = 0; i < texts.size(); ++i) {
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QStringLiteral("detail-n%1").arg(i));
            n->setClassify(first);
            n->setClassId(first->classId());
            n->setContent(texts.at(i));
            n->setSort(qint16(i + 1));
            n->setIsSync(true);
            if (i != 0)
                continue;
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(2);
            const QString when = DateManager::getStringFromDate(Clock::now().addDays(2));
            r->setRemindDateTime(when);
            r->setRemindRealDateTime(when);
            r->setRemindCycleType(2);
            r->setRemindCycleInterval(1);
            r->setRemindRType(1);
            n->setRemind(r);
        }
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    return ctx->saveAndWait().ok ? ctx : nullptr;
}

MainWindow *detailWindow(const QString &file, bool withNotes, bool editing = false)
{
    Context *ctx = detailStore(file, withNotes);
    if (!ctx)
        return nullptr;
    const Services &services = sceneServices(*TestStore::store());
    auto *w = new MainWindow(services, nullptr);
    w->resize(MainWindow::defaultSize());
    if (withNotes) {
        // The user picks the first note.
        const NoteDetail *n =
            ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), QStringLiteral("detail-n0"));
        emit services.events->notesListReloadDatas(NotesListReload::showNote(EventKeys::of(n)));
        if (editing)
            w->noteDetail()->editorPresenter()->edit();
    }
    return w;
}

} // namespace

SCREENSHOT_SCENE(main_window_note_selected)
{
    return detailWindow("detail-selected.sqlite", true);
}

SCREENSHOT_SCENE(main_window_note_editing)
{
    return detailWindow("detail-editing.sqlite", true, true);
}

SCREENSHOT_SCENE(main_window_empty_pane)
{
    return detailWindow("detail-empty.sqlite", false);
}
