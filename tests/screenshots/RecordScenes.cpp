// Scenes of the records pane in the main window: an empty account, the demo's
// reminders in their four groups, a category filter, long texts, a narrow window.

#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/UserInfo.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QComboBox>

namespace {

struct Reminder
{
    QString content;
    int days = 0; // from today
    int hour = 9;
    int minute = 0;
    QString wifi = {};
    int wifiStatus = 0;
    int cycleType = 0;
    bool important = false;
};

struct Category
{
    QString name;
    QString color;
    QList<Reminder> notes;
};

MainWindow *recordsWindow(const QString &file, const QList<Category> &categories, const QSize &size,
                          const QString &filter = {})
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    int id = 0;
    for (int i = 0; i < categories.size(); ++i) {
        auto *c = ctx->create<Classify>();
        c->setClassId(QString::number(100 + i));
        c->setName(categories[i].name);
        c->setBackColor(categories[i].color);
        c->setSort(qint16(i + 1));
        c->setIsSync(true);
        const QList<Reminder> &notes = categories[i].notes;
        for (int k = 0; k < notes.size(); ++k) {
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QStringLiteral("rec-n%1").arg(++id));
            n->setClassify(c);
            n->setClassId(c->classId());
            n->setContent(notes[k].content);
            n->setSort(qint16(k + 1));
            n->setIsSync(true);
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(RemindAction::Set);
            if (notes[k].wifi.isEmpty()) {
                const QDateTime when(Clock::now().date().addDays(notes[k].days),
                                     QTime(notes[k].hour, notes[k].minute));
                r->setRemindDateTime(DateManager::getStringFromDate(when));
                r->setRemindRealDateTime(DateManager::getStringFromDate(when));
                r->setRemindCycleType(qint16(notes[k].cycleType));
                r->setRemindCycleInterval(1);
                r->setRemindRType(notes[k].important ? 1 : 0);
            } else {
                r->setConnectWifiIds(notes[k].wifi);
                r->setRemindWifiStatus(qint16(notes[k].wifiStatus));
                r->setRemindWifiDateTime(DateManager::getStringFromDate(Clock::now()));
            }
            n->setRemind(r);
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
    if (!filter.isEmpty()) {
        auto *pane = w->findChild<NoteRecordViewController *>();
        const int index = pane->popUp(NoteRecordPresenter::SecondPopUp)->findText(filter);
        pane->presenter()->popUpAction(NoteRecordPresenter::SecondPopUp, index);
    }
    return w;
}

QList<Category> demo()
{
    return {{"工作",
             "#10b56c",
             {{"周一上午十点部门例会，带上上周的进度表", 1, 10, 0, {}, 0, 2},
              {"提交季度报销单（重要）", 0, 16, 30, {}, 0, 0, true},
              {"每月 25 日核对考勤", 12, 9, 0, {}, 0, 3},
              {"到家后把笔记本电脑充上电", 0, 0, 0, "9001", 0},
              {"周报还没交", -2, 18}}},
            {"生活",
             "#ff9500",
             {{"每天晚上九点吃维生素", 0, 21, 0, {}, 0, 1},
              {"交物业费", 3, 19, 0, {}, 0, 4},
              {"离开公司时关空调", 0, 0, 0, "9002", 1}}},
            {"学习", "#3a8ee6", {{"英语听力练习 30 分钟", 0, 7, 30, {}, 0, 2}}}};
}

} // namespace

SCREENSHOT_SCENE(records_empty)
{
    return recordsWindow("records-empty.sqlite", {}, MainWindow::defaultSize());
}

SCREENSHOT_SCENE(records_demo)
{
    return recordsWindow("records-demo.sqlite", demo(), MainWindow::defaultSize());
}

SCREENSHOT_SCENE(records_category_filter)
{
    return recordsWindow("records-filter.sqlite", demo(), MainWindow::defaultSize(), "生活");
}

SCREENSHOT_SCENE(records_long_texts)
{
    return recordsWindow(
        "records-long.sqlite",
        {{"一个名字非常非常长的分类用来看看会不会被截断",
          "#52398a",
          {{"整理上个月的发票和报销单据,一起交给财务部的王老师,"
            "顺便问一下差旅补贴的新标准是什么时候开始执行的",
            0,
            15,
            0,
            {},
            0,
            2,
            true},
           {"Quarterly planning and reviews 2026: collect every team's numbers before the board meeting", 1,
            9},
           {"连上公司的无线网络以后记得把下午会议的材料打印出来,一共三份,双面", 0, 0, 0, "9001,9002", 1}}}},
        MainWindow::defaultSize(), "一个名字非常非常长的分类用来看看会不会被截断");
}

SCREENSHOT_SCENE(records_narrow)
{
    return recordsWindow("records-narrow.sqlite", demo(), QSize(720, 480));
}
