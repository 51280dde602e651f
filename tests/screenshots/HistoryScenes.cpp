// Scenes of the edit-history list in the records pane: empty, filled with every
// badge and device, changes with their spans, long texts in a narrow window,
// and the first filling of an empty mirror.

#include "app/mainwindow/view/MainWindow.h"
#include "app/uikit/HUDManager.h"
#include "core/model/Classify.h"
#include "core/model/NoteLog.h"
#include "core/model/UserInfo.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteLogListViewController.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "platform/base/TimerScheduler.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

namespace {

struct Span
{
    int type;
    int start;
    int length;
};

struct Log
{
    QString content;
    int actionType = 2;
    int terminalId = 7;
    QString className = QStringLiteral("工作");
    QList<Span> spans = {};
    QString time = QStringLiteral("2026/3/2 9:12:05");
};

MainWindow *historyWindow(const QString &file, const QList<Log> &logs, const QSize &size)
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    const QStringList names{QStringLiteral("工作"), QStringLiteral("生活")};
    for (int i = 0; i < names.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(100 + i));
        c->setName(names[i]);
        c->setBackColor(i == 0 ? QStringLiteral("#10b56c") : QStringLiteral("#ff9500"));
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
    }
    for (int i = 0; i < logs.size(); ++i) {
        const Log &l = logs[i];
        auto *row = ctx->create<NoteLog>();
        const qint64 tId = 5000 - i; // the first is the newest
        row->setTId(QString::number(tId));
        row->setSort(tId);
        row->setCId(QStringLiteral("h%1").arg(i));
        row->setClassId(l.className == names[1] ? QStringLiteral("101") : QStringLiteral("100"));
        row->setClassifyName(l.className);
        row->setContent(l.content);
        row->setCreateTime(l.time);
        row->setActionType(qint16(l.actionType));
        row->setTerminalId(qint16(l.terminalId));
        if (!l.spans.isEmpty()) {
            QVariantList items;
            for (const Span &s : l.spans)
                items << QVariantMap{
                    {"diffType", s.type}, {"diffStartIndex", s.start}, {"diffLength", s.length}};
            row->setDiffItems(items);
        }
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
    w->findChild<NoteRecordViewController *>()->presenter()->segmentedAction(NoteRecordPresenter::History);
    return w;
}

QList<Log> filled()
{
    return {
        {QStringLiteral("周一上午十点部门例会，带上上周的进度表"),
         2,
         7,
         QStringLiteral("工作"),
         {{2, 2, 2}, {1, 4, 2}}},
        {QStringLiteral("交物业费"), 3, 3, QStringLiteral("生活"), {}, QStringLiteral("2026/3/2 8:40:11")},
        {QStringLiteral("每天晚上九点吃维生素和钙片"),
         2,
         4,
         QStringLiteral("生活"),
         {{1, 9, 4}},
         QStringLiteral("2026/3/1 21:03:47")},
        {QStringLiteral("提交季度报销单"),
         1,
         2,
         QStringLiteral("工作"),
         {},
         QStringLiteral("2026/3/1 17:30:00")},
        {QStringLiteral("英语听力练习 30 分钟"),
         1,
         6,
         QStringLiteral("生活"),
         {},
         QStringLiteral("2026/2/28 7:15:20")},
        {QStringLiteral("把周报发给组长"),
         5,
         1,
         QStringLiteral("工作"),
         {},
         QStringLiteral("2026/2/27 18:02:09")},
        {QStringLiteral("到家后把笔记本电脑充上电"),
         2,
         7,
         QStringLiteral("生活"),
         {{2, 0, 3}, {1, 3, 2}},
         QStringLiteral("2026/2/26 19:44:31")},
        {QStringLiteral("买牛奶"),
         3,
         4,
         QStringLiteral("生活"),
         {{2, 0, 3}},
         QStringLiteral("2026/2/25 12:00:00")},
    };
}

} // namespace

SCREENSHOT_SCENE(history_empty)
{
    return historyWindow("history-empty.sqlite", {}, MainWindow::defaultSize());
}

SCREENSHOT_SCENE(history_filled)
{
    return historyWindow("history-filled.sqlite", filled(), MainWindow::defaultSize());
}

SCREENSHOT_SCENE(history_long_texts)
{
    const QString longText = QStringLiteral(
        "整理上个月的发票和报销单据，一起交给财务部的王老师，顺便问一下差旅补贴的新标准是什么时候开始执行的，"
        "另外记得把出差的行程单也打印一份附在后面");
    return historyWindow(
        "history-long.sqlite",
        {{longText,
          2,
          7,
          QStringLiteral("一个名字非常非常长的分类用来看看会不会被截断"),
          {{2, 20, 6}, {1, 26, 8}}},
         {QStringLiteral(
              "Quarterly planning and reviews 2026: collect every team's numbers before the board meeting"),
          1, 2},
         {QString(80, u'8'), 3, 5},
         {QStringLiteral("第一行\n第二行 😀 表情\n第三行"),
          2,
          3,
          QStringLiteral("生活"),
          {{1, 4, 3}, {2, 9, 2}}}},
        QSize(720, 480));
}

// An empty mirror filling: the window's busy overlay, as the program's feedback shows it for the list.
SCREENSHOT_SCENE(history_loading)
{
    MainWindow *w = historyWindow("history-loading.sqlite", {}, MainWindow::defaultSize());
    if (!w)
        return nullptr;
    // The scene's feedback only records: the spinner the program's shows for the busy list is drawn here.
    if (w->findChild<NoteRecordViewController *>()->logList()->presenter()->isBusy()) {
        static TimerScheduler scheduler;
        static HUDManager hud(scheduler);
        hud.showOwnHudAddedTo(w);
    }
    return w;
}
