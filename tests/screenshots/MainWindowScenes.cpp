// Scenes of the main window: categories with the first one's notes, long names, and locked.

#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserInfo.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

namespace {

struct SceneNote
{
    QString content;
    QString color = {};
    bool completed = false;
    qint64 remindInMinutes = 0; // a date reminder this far ahead, none when 0
};

void addNotes(Context *ctx, Classify *c, const QList<SceneNote> &notes)
{
    for (int i = 0; i < notes.size(); ++i) {
        auto *n = ctx->create<NoteDetail>();
        n->setCId(QStringLiteral("main-n%1").arg(i));
        n->setClassify(c);
        n->setClassId(c->classId());
        n->setContent(notes[i].content);
        n->setFontColor(notes[i].color);
        n->setIsCompleted(notes[i].completed);
        n->setSort(qint16(i + 1));
        n->setIsSync(true);
        if (!notes[i].remindInMinutes)
            continue;
        auto *r = ctx->create<DateRemind>();
        r->setRemindActionType(2);
        const QString when =
            DateManager::getStringFromDate(Clock::now().addSecs(notes[i].remindInMinutes * 60));
        r->setRemindDateTime(when);
        r->setRemindRealDateTime(when);
        n->setRemind(r);
    }
}

Context *mainStore(const QString &file, const QStringList &names, bool locked,
                   const QList<SceneNote> &notes = {})
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    const QStringList colors{"#10b56c", "#dc445b", "#2b9cc6", "#f27830", "#52398a"};
    for (int i = 0; i < names.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(100 + i));
        c->setName(names.at(i));
        c->setBackColor(colors.at(i % colors.size()));
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
        if (i == 0)
            addNotes(ctx, c, notes);
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    info->setLockScreenPassword(locked ? "1234" : "");
    info->setIsDefaultLockScreen(locked);
    return ctx->saveAndWait().ok ? ctx : nullptr;
}

MainWindow *mainWindow(const QString &file, const QStringList &names, bool locked,
                       const QList<SceneNote> &notes = {})
{
    if (!mainStore(file, names, locked, notes))
        return nullptr;
    auto *w = new MainWindow(sceneServices(*TestStore::store()), nullptr);
    w->resize(MainWindow::defaultSize());
    if (locked)
        w->showLock();
    return w;
}

} // namespace

SCREENSHOT_SCENE(main_window_categories)
{
    return mainWindow("main-demo.sqlite", {"默认", "工作", "生活", "购物清单", "读书"}, false,
                      {{"周五下午三点项目评审,提前准备演示", "#dc445b", false, 60 * 24 * 2},
                       {"给房东打电话说热水器的事"},
                       {"取快递", {}, false, 90},
                       {"整理上个月的发票和报销单据,一起交给财务部的王老师", "#2b9cc6"},
                       {"买牛奶和面包", {}, true}});
}

SCREENSHOT_SCENE(main_window_empty)
{
    return mainWindow("main-empty.sqlite", {}, false);
}

SCREENSHOT_SCENE(main_window_long_names)
{
    return mainWindow(
        "main-long.sqlite",
        {"一个名字非常非常长的分类用来看看会不会被截断", "工作", "Quarterly planning and reviews 2026"},
        false);
}

SCREENSHOT_SCENE(main_window_locked)
{
    return mainWindow("main-locked.sqlite", {"默认", "工作"}, true, {{"周五下午三点项目评审"}, {"取快递"}});
}
