// Scenes of the search pane in the main window: no hits (the list hidden),
// note hits, history hits with their added and removed spans, long texts.

#include "app/mainwindow/view/MainWindow.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/RemindAction.h"
#include "core/model/UserInfo.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/search/presenter/NoteSearchPresenter.h"
#include "notes/search/view/NoteSearchViewController.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QLineEdit>

namespace {

struct Log
{
    QString content;
    int actionType = 2;
    QList<QList<int>> spans = {}; // type, start, length
    QString category = QStringLiteral("工作");
};

QVariant diffItems(const QList<QList<int>> &spans)
{
    if (spans.isEmpty())
        return {};
    QVariantList items;
    for (const QList<int> &s : spans)
        items.append(
            QVariantMap{{"diffType", s.at(0)}, {"diffStartIndex", s.at(1)}, {"diffLength", s.at(2)}});
    return items;
}

MainWindow *searchWindow(const QString &file, const QStringList &notes, const QList<Log> &logs,
                         NoteSearchPresenter::Scope scope, const QString &query)
{
    if (!TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + "/" + file).ok())
        return nullptr;
    Context *ctx = TestStore::context();
    auto *c = ctx->create<Classify>();
    c->setClassId(QStringLiteral("100"));
    c->setName(QStringLiteral("工作"));
    c->setBackColor(QStringLiteral("#10b56c"));
    c->setSort(1);
    c->setIsSync(true);
    for (int i = 0; i < notes.size(); ++i) {
        auto *n = ctx->create<NoteDetail>();
        n->setCId(QStringLiteral("s-n%1").arg(i));
        n->setClassify(c);
        n->setClassId(c->classId());
        n->setContent(notes.at(i));
        n->setSort(qint16(i + 1));
        n->setIsSync(true);
        n->setIsCompleted(i == 1);
        if (i % 3 == 0) {
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(RemindAction::Set);
            r->setRemindDateTime(QStringLiteral("2026/3/%1 9:30:00").arg(3 + i));
            r->setRemindRealDateTime(QStringLiteral("2026/3/%1 9:30:00").arg(3 + i));
            r->setRemindCycleInterval(1);
            n->setRemind(r);
        }
    }
    // One record at least, so that the pane's first showing is no full reload.
    QList<Log> records = logs;
    if (records.isEmpty())
        records.append(Log{QStringLiteral("旧记录")});
    for (int i = 0; i < records.size(); ++i) {
        auto *log = ctx->create<NoteLog>();
        log->setTId(QString::number(9000 + i));
        log->setSort(9000 + i);
        log->setCId(QStringLiteral("s-l%1").arg(i));
        log->setContent(records.at(i).content);
        log->setActionType(qint16(records.at(i).actionType));
        log->setClassifyName(records.at(i).category);
        log->setCreateTime(QStringLiteral("2026/3/%1 10:%2:00").arg(1 + i).arg(10 + i));
        log->setTerminalId(qint16(2 + i % 6));
        log->setDiffItems(diffItems(records.at(i).spans));
    }
    UserDefaults::setValue("userId", "77");
    auto *info = ctx->create<UserInfo>();
    info->setUserId(77);
    info->setNick("小明");
    if (!ctx->saveAndWait().ok)
        return nullptr;
    auto *w = new MainWindow(sceneServices(*TestStore::store()), nullptr);
    w->resize(MainWindow::defaultSize());
    w->columnPresenter()->showPaneFromTitleBar(CategoryColumnPresenter::Pane::Search);
    w->show();
    auto *pane = w->findChild<NoteSearchViewController *>();
    pane->presenter()->chooseScope(scope);
    pane->searchField()->setText(query);
    pane->presenter()->searchButtonAction(query);
    return w;
}

const QStringList notes{QStringLiteral("周一上午十点部门例会，带上上周的进度表"),
                        QStringLiteral("提交季度报销单（重要）"), QStringLiteral("每天晚上九点吃维生素"),
                        QStringLiteral("部门聚餐订餐厅"), QStringLiteral("Meeting notes: budget review")};

} // namespace

SCREENSHOT_SCENE(search_no_hits)
{
    return searchWindow("search-none.sqlite", notes, {}, NoteSearchPresenter::Scope::Notes,
                        QStringLiteral("快递"));
}

SCREENSHOT_SCENE(search_note_hits)
{
    return searchWindow("search-notes.sqlite", notes, {}, NoteSearchPresenter::Scope::Notes,
                        QStringLiteral("部门"));
}

SCREENSHOT_SCENE(search_history_hits)
{
    return searchWindow("search-history.sqlite", notes,
                        {{QStringLiteral("周一上午九点十点部门例会"), 2, {{2, 4, 2}, {1, 6, 2}}},
                         {QStringLiteral("部门聚餐订餐厅"), 1},
                         {QStringLiteral("取快递，部门前台"), 3, {}, QStringLiteral("生活")},
                         {QStringLiteral("部门周报改成周五交"), 2, {{1, 4, 3}}}},
                        NoteSearchPresenter::Scope::History, QStringLiteral("部门"));
}

SCREENSHOT_SCENE(search_long_texts)
{
    const QString longNote = QStringLiteral("整理上个月的发票和报销单据,一起交给财务部(Finance)的王老师,"
                                            "顺便问一下差旅补贴的新标准是什么时候开始执行的,"
                                            "还有下个季度的预算表也要一起确认");
    return searchWindow(
        "search-long.sqlite",
        {longNote,
         QStringLiteral(
             "Quarterly planning and reviews 2026: collect every team's numbers before the board meeting")},
        {{longNote,
          2,
          {{2, 10, 6}, {1, 16, 8}},
          QStringLiteral("一个名字非常非常长的分类用来看看会不会被截断")},
         {QStringLiteral(
              "Quarterly planning and reviews 2026: collect every team's numbers before the board meeting, "
              "then send the summary to finance"),
          1}},
        NoteSearchPresenter::Scope::History, QStringLiteral("FINANCE"));
}
