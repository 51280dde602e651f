// The records pane's due-date list over 10,000 notes that all carry a
// reminder (dates from five days ago to five days ahead, some snoozed, one in
// ten a Wi-Fi reminder), spread over five categories.
//
// FirstShowing: a context that holds no rows yet, the list read (query, date
// parsing, grouping, model) and laid out, and its first paint.
// CompleteFromList: "完成" on the first overdue or today's note (a daily
// reminder, so it moves on to its next day): the note operation with its save,
// the list following the save's change set, and the paint after it.

#include "app/main/program/ProgramServices.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteDateListPresenter.h"
#include "notes/records/presenter/NoteDateMenu.h"
#include "notes/records/view/NoteDateListViewController.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kNotes = 10000;

struct RemindersStore
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;

    RemindersStore()
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 6), QTime(10, 0)));
        store = Store::open(dir.filePath(QStringLiteral("bench.sqlite")), DataModel::model());
        Context *ctx = store->mainContext();
        ctx->create<UserSet>()->setNoteCompleteActionType(0);
        QList<Classify *> categories;
        for (int c = 0; c < 5; ++c) {
            auto *k = ctx->create<Classify>();
            k->setClassId(QString::number(1001 + c));
            k->setName(QStringLiteral("分类%1").arg(c));
            categories << k;
        }
        const QDateTime now = Clock::now();
        for (int i = 0; i < kNotes; ++i) {
            Classify *k = categories.at(i % 5);
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QString::number(500000 + i));
            n->setClassId(k->classId());
            n->setClassify(k);
            n->setContent(QStringLiteral("第%1条提醒，写点什么内容在这里").arg(i));
            n->setSort(qint16(i / 5 + 1));
            n->setNextId(QStringLiteral("-1"));
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(2);
            if (i % 10 == 9) {
                r->setConnectWifiIds(QStringLiteral("9001"));
                r->setRemindWifiStatus(qint16(i % 20 == 19));
                r->setRemindWifiDateTime(DateManager::getStringFromDate(now.addSecs(-i * 60)));
            } else {
                const QDateTime when(now.date().addDays(i % 11 - 5), QTime(i % 24, (i * 7) % 60));
                r->setRemindDateTime(DateManager::getStringFromDate(when));
                r->setRemindRealDateTime(DateManager::getStringFromDate(when));
                r->setRemindCycleType(1);
                r->setRemindCycleInterval(1);
                if (i % 13 == 0)
                    r->setRemindDelayTime(DateManager::getStringFromDate(now.addSecs(1800 + i)));
            }
            n->setRemind(r);
        }
        if (!ctx->saveAndWait())
            qFatal("bench: the fixture cannot be saved");
    }
};

RemindersStore &fixture()
{
    static RemindersStore f;
    return f;
}

struct ShownList
{
    AppEvents events;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<NoteDateListViewController> view;
    QImage frame{540, 590, QImage::Format_ARGB32_Premultiplied};

    explicit ShownList(Context *ctx)
    {
        graph = std::make_unique<ProgramServices>(
            ProgramServices::Parts().use(ctx->store()).use(ctx).use(&events));
        view = std::make_unique<NoteDateListViewController>(new NoteDateListPresenter(graph->services()));
        view->resize(540, 590);
    }
    void show()
    {
        view->presenter()->loadDateManagerNotesWithClassId({}, false);
        paint();
    }
    void paint()
    {
        QPainter painter(&frame);
        view->render(&painter);
    }
};

void FirstShowing(benchmark::State &state)
{
    RemindersStore &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Context> ctx = f.store->newContext();
        benchmark::DoNotOptimize(ctx->count<Classify>());
        auto list = std::make_unique<ShownList>(ctx.get());
        state.ResumeTiming();
        list->show();
        if (list->view->presenter()->model()->total() != kNotes)
            state.SkipWithError("wrong rows");
        state.PauseTiming();
        list.reset();
        ctx.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShowing)->Unit(benchmark::kMillisecond);

void CompleteFromList(benchmark::State &state)
{
    RemindersStore &f = fixture();
    ShownList list(f.store->mainContext());
    list.show();
    NoteDateListModel *model = list.view->presenter()->model();
    for (auto _ : state) {
        const int group = model->count(0) ? 0 : 1;
        if (!model->count(group)) {
            state.SkipWithError("no due notes left");
            break;
        }
        const int row = model->rowOfKey(model->keys(group).first());
        list.view->presenter()->triggerMenuItem(row, NoteDateMenu::Complete);
        list.paint();
    }
}
BENCHMARK(CompleteFromList)->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Asia/Shanghai");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
