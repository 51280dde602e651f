// The completed list of the records pane.
//
// Over a mirror of 50,000 completion records (five categories, completed over
// the last 100 days):
// FirstRows: a context that holds no rows yet, the list read (the mirror's
// index with every completion time parsed, the first 200 rows) and painted.
// More: the more button, the next 200 rows and the paint after them.
// FilterChange: "上月" in one category, then back to everything, each with its
// paint (per iteration: one change).
//
// RefreshFromService: an empty mirror filled from the stand-in service over
// loopback with 10,000 records (50 pages of 200; the stand-in on its own
// thread). Counters: the longest main-thread stall (the longest gap between
// ticks of a 1 ms timer; goal under 16 ms) and the main thread's CPU time.

#include "app/main/program/ProgramServices.h"
#include "app/services/Services.h"
#include "bench/BusyMeter.h"
#include "bench/QuietFeedback.h"
#include "bench/StandinThread.h"
#include "core/model/DataModel.h"
#include "core/model/NoteComplete.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/presenter/NoteCompleteListPresenter.h"
#include "notes/records/view/NoteCompleteListViewController.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/RecordPager.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 50000;
constexpr int kServed = 10000;

QString classOf(int i)
{
    return QString::number(1001 + i % 5);
}

struct MirrorStore
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;

    MirrorStore()
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 6), QTime(10, 0)));
        store = Store::open(dir.filePath(QStringLiteral("bench.sqlite")), DataModel::model());
        Context *ctx = store->mainContext();
        const QDateTime now = Clock::now();
        for (int i = 1; i <= kRecords; ++i) {
            auto *r = ctx->create<NoteComplete>();
            r->setTId(QString::number(i));
            r->setSort(i);
            r->setCId(QString::number(800000 + i));
            r->setClassId(classOf(i));
            r->setContent(QStringLiteral("第%1条完成的便签，写点什么内容在这里").arg(i));
            // Newer ids completed later: about one record every three minutes.
            r->setCompletedTime(DateManager::getStringFromDate(now.addSecs(-qint64(kRecords - i) * 172)));
            r->setTerminalId(7);
        }
        if (!ctx->saveAndWait())
            qFatal("bench: the fixture cannot be saved");
    }
};

MirrorStore &fixture()
{
    static MirrorStore f;
    return f;
}

struct ShownList
{
    AppEvents events;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<NoteCompleteListViewController> view;
    QImage frame{540, 590, QImage::Format_ARGB32_Premultiplied};

    explicit ShownList(Context *ctx)
    {
        graph = std::make_unique<ProgramServices>(
            ProgramServices::Parts().use(ctx->store()).use(ctx).use(&events));
        view = std::make_unique<NoteCompleteListViewController>(
            new NoteCompleteListPresenter(graph->services()));
        view->resize(540, 590);
    }
    NoteCompleteListPresenter *presenter() const { return view->presenter(); }
    void paint()
    {
        QPainter painter(&frame);
        view->render(&painter);
    }
};

void FirstRows(benchmark::State &state)
{
    MirrorStore &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Context> ctx = f.store->newContext();
        auto list = std::make_unique<ShownList>(ctx.get());
        state.ResumeTiming();
        list->presenter()->loadLocalCompleteDatasWithClassId({}, true);
        list->paint();
        if (list->presenter()->model()->rowCount() != NoteCompleteListPresenter::PageSize)
            state.SkipWithError("wrong rows");
        state.PauseTiming();
        list.reset();
        ctx.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstRows)->Unit(benchmark::kMillisecond);

void More(benchmark::State &state)
{
    MirrorStore &f = fixture();
    ShownList list(f.store->mainContext());
    list.presenter()->loadLocalCompleteDatasWithClassId({}, true);
    list.paint();
    for (auto _ : state) {
        if (!list.presenter()->isMoreVisible() ||
            list.presenter()->page() + 2 >= kRecords / NoteCompleteListPresenter::PageSize) {
            state.PauseTiming();
            list.presenter()->loadLocalCompleteDatasWithClassId({}, true);
            list.paint();
            state.ResumeTiming();
        }
        const int before = list.presenter()->model()->rowCount();
        list.presenter()->loadNextDatasAction();
        list.paint();
        if (list.presenter()->model()->rowCount() != before + NoteCompleteListPresenter::PageSize)
            state.SkipWithError("no next page");
    }
}
BENCHMARK(More)->Unit(benchmark::kMillisecond)->Iterations(200);

void FilterChange(benchmark::State &state)
{
    MirrorStore &f = fixture();
    ShownList list(f.store->mainContext());
    list.presenter()->loadLocalCompleteDatasWithClassId({}, true);
    list.paint();
    NoteRecordPopUps lastMonth;
    lastMonth.first = 6;
    lastMonth.second = 3;
    lastMonth.category.classId = classOf(2);
    const NoteRecordPopUps all;
    bool narrow = true;
    for (auto _ : state) {
        list.presenter()->didSelectItemWithPopUps(narrow ? lastMonth : all);
        list.paint();
        if (list.presenter()->model()->rowCount() == 0)
            state.SkipWithError("the filter kept nothing");
        narrow = !narrow;
    }
}
BENCHMARK(FilterChange)->Unit(benchmark::kMillisecond)->Iterations(200);

void RefreshFromService(benchmark::State &state)
{
    QTemporaryDir dir;
    UserDefaults::setStoragePath(dir.filePath(QStringLiteral("defaults.ini")));
    StandinThread service;
    service.startAndWait();
    service.onService([](StandinService &, NoteSyncHandlers &notes, StandinAccount &account) {
        NoteSyncHandlers::Data &d = notes.data(account);
        for (int i = 1; i <= kServed; ++i)
            d.completions.insert(
                i, QJsonObject{{"tId", QString::number(i)},
                               {"cId", QString::number(900000 + i)},
                               {"classId", classOf(i)},
                               {"content", QStringLiteral("第%1条完成的便签，写点什么内容在这里").arg(i)},
                               {"completedTime", "2026/3/1 8:00:00"},
                               {"terminalId", 7}});
    });
    const StandinAccount account = service.snapshotAccount();
    UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, service.baseUrl().toString());
    UserDefaults::setValue(SignInKeys::AccessToken, account.accessToken);
    UserDefaults::setValue(SignInKeys::UserKey, account.userKey);
    UserDefaults::setValue(SignInKeys::UserId, account.userId);
    UserDefaults::sync();
    QuietFeedback feedback;
    ApiNetWorking api(feedback);
    double longest = 0, cpu = 0, worstLongest = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir storeDir;
        std::unique_ptr<Store> store =
            Store::open(storeDir.filePath(QStringLiteral("store.sqlite")), DataModel::model());
        if (!store) {
            state.SkipWithError("no store");
            break;
        }
        AppEvents events;
        auto graph = std::make_unique<ProgramServices>(
            ProgramServices::Parts().use(store.get()).use(&feedback).use(&api).use(&events));
        RecordPager &pager = *graph->services().completionPager;
        QSignalSpy finished(&pager, &RecordPager::finished);
        BusyMeter meter;
        state.ResumeTiming();
        meter.start();
        pager.refresh();
        while (finished.isEmpty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        meter.stop();
        state.PauseTiming();
        if (finished.first().first().value<RecordPager::Result>() != RecordPager::Result::Done ||
            store->mainContext()->count(NoteComplete::entity(), Predicate()) != kServed)
            state.SkipWithError("the mirror was not filled");
        longest += meter.longestMs();
        worstLongest = std::max(worstLongest, meter.longestMs());
        cpu += meter.totalMs();
        ++runs;
        graph.reset();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["stall_ms_longest"] = worstLongest;
    state.counters["stall_ms_mean_of_longest"] = runs ? longest / runs : 0;
    state.counters["main_thread_cpu_ms"] = runs ? cpu / runs : 0;
}
BENCHMARK(RefreshFromService)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
