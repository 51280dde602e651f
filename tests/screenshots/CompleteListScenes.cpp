// Scenes of the completed list in the records pane: no records, a filled list
// with both badges, long texts, and the more button while it loads.

#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "core/model/NoteComplete.h"
#include "core/model/UserInfo.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteCompleteListViewController.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QPushButton>

namespace {

struct Record
{
    QString content;
    qint64 minutesAgo = 0; // negative: after now (a device whose clock ran fast)
};

MainWindow *completedWindow(const QString &file, const QList<Record> &records,
                            const QSize &size = MainWindow::defaultSize())
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    // The first record is the newest.
    for (int i = 0; i < records.size(); ++i) {
        auto *r = ctx->create<NoteComplete>();
        const qint64 tId = 5000 + records.size() - i;
        r->setTId(QString::number(tId));
        r->setSort(tId);
        r->setCId(QStringLiteral("c%1").arg(i));
        r->setClassId(QStringLiteral("100"));
        r->setContent(records[i].content);
        r->setCompletedTime(
            DateManager::getStringFromDate(Clock::now().addSecs(-60 * records[i].minutesAgo)));
        r->setTerminalId(7);
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    if (!ctx->saveAndWait().ok)
        return nullptr;
    auto *w = new MainWindow(sceneServices(*TestStore::store()), nullptr);
    w->resize(size);
    w->columnPresenter()->showPaneFromTitleBar(CategoryColumnPresenter::Pane::Records);
    w->show();
    w->findChild<NoteRecordViewController *>()->presenter()->segmentedAction(NoteRecordPresenter::Completed);
    return w;
}

QList<Record> filled()
{
    return {{"明天早上的会议改到十点，记得通知大家", -90},
            {"提交季度报销单（重要）", 20},
            {"每天晚上九点吃维生素", 60 * 14},
            {"给客户回复合同修改意见", 60 * 26},
            {"周末去超市：牛奶、面包、鸡蛋", 60 * 24 * 3},
            {"读完《三体》第一部", 60 * 24 * 9},
            {"英语听力练习 20 分钟，再背单词", 60 * 24 * 20},
            {"交水电费和物业费", 60 * 24 * 33}};
}

} // namespace

SCREENSHOT_SCENE(completed_empty)
{
    return completedWindow("completed-empty.sqlite", {});
}

SCREENSHOT_SCENE(completed_filled)
{
    return completedWindow("completed-filled.sqlite", filled());
}

SCREENSHOT_SCENE(completed_long_texts)
{
    return completedWindow(
        "completed-long.sqlite",
        {{"整理上个月的发票和报销单据,一起交给财务部的王老师,顺便问一下差旅补贴的新标准是什么时候开始执行的,"
          "还有出差住宿的上限是不是也调整了,如果调整了要把这个月的几张单子重新填一遍",
          30},
         {"Quarterly planning and reviews 2026: collect every team's numbers before the board meeting on "
          "Thursday, and send the summary deck to everyone who could not attend",
          120},
         {"一个很长的没有标点的句子用来看看会不会在窄一点的窗口里被截断或者和下面的完成时间重叠在一起", 600}},
        QSize(720, 480));
}

SCREENSHOT_SCENE(completed_loading)
{
    QList<Record> many;
    for (int i = 0; i < 200; ++i)
        many.append({QStringLiteral("第 %1 条完成的便签").arg(200 - i), qint64(i) * 45});
    MainWindow *w = completedWindow("completed-loading.sqlite", many);
    if (!w)
        return nullptr;
    // The more button as it is held down: its other title.
    auto *list = w->findChild<NoteCompleteListViewController *>();
    emit list->moreButton()->pressed();
    list->moreButton()->setDown(true);
    return w;
}
