// The note list over a category of 10,000 notes, half of them with reminders.
//
// FirstShowing: a context that holds no rows yet, the presenter showing the
// category, the list's layout and its first paint.
// ChangedNotes: a save that changed 100 of the shown notes (their text, or
// their order too) applied to the shown list.
// Scrolling: the shown category scrolled from top to bottom, a quarter of the
// list's height a frame; each frame moves the scroll bar and paints the list as
// the screen would get it. Reports the paint time per frame (mean, slowest,
// 99th percentile) and the frames that missed 60 frames per second.

#include "app/main/program/ProgramServices.h"
#include "bench/LargeCategoryStore.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/AppEvents.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr int kNotes = LargeCategoryStore::kNotes;
using Fixture = LargeCategoryStore;

Fixture &fixture()
{
    static Fixture f(Fixture::Order::Ascending);
    return f;
}

struct ShownList
{
    std::unique_ptr<Context> ctx;
    AppEvents events;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<NoteListView> view;
    QImage frame{300, 640, QImage::Format_ARGB32_Premultiplied};

    explicit ShownList(Fixture &f) : ctx(f.store->newContext())
    {
        benchmark::DoNotOptimize(ctx->count<Classify>());
        graph = std::make_unique<ProgramServices>(
            ProgramServices::Parts().use(f.store.get()).use(ctx.get()).use(&events));
        view = std::make_unique<NoteListView>(new NoteListPresenter(graph->services()));
        view->resize(300, 640);
    }

    void show(const QString &classId)
    {
        view->presenter()->showCategory(CategoryKey{0, classId});
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
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<ShownList>(f);
        state.ResumeTiming();
        list->show(f.classId);
        if (list->view->presenter()->model()->rowCount() != kNotes)
            state.SkipWithError("wrong rows");
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShowing)->Unit(benchmark::kMillisecond);

void ChangedNotes(benchmark::State &state)
{
    Fixture &f = fixture();
    ShownList list(f);
    list.show(f.classId);
    NoteListModel *model = list.view->presenter()->model();
    const bool reorder = state.range(0);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // 100 notes spread over the list, as a pull from another device brings them.
        StoreChanges changes;
        StoreChanges::Entity &notes = changes.entities[QStringLiteral("NoteDetail")];
        ++round;
        for (int i = 0; i < 100; ++i) {
            const qint64 pk = model->keyAt(i * (kNotes / 100) + round % 50);
            auto *n = list.ctx->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk});
            n->setContent(QStringLiteral("改过的内容 %1").arg(round));
            QSet<QString> attributes{QStringLiteral("content")};
            if (reorder) {
                n->setSort(qint16((n->sort() + 37 * round) % kNotes + 1));
                attributes << QStringLiteral("sort");
            }
            notes.updated << StoreChanges::Updated{pk, attributes};
        }
        state.ResumeTiming();
        model->applyChanges(changes);
        list.paint();
    }
    list.ctx->rollback();
}
BENCHMARK(ChangedNotes)->Arg(0)->Arg(1)->ArgName("reorder")->Unit(benchmark::kMillisecond);

void Scrolling(benchmark::State &state)
{
    Fixture &f = fixture();
    ShownList list(f);
    list.show(f.classId);
    QListView *rows = list.view->listView();
    QScrollBar *bar = rows->verticalScrollBar();
    QImage frame(rows->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const int step = std::max(1, rows->viewport()->height() / 4);
    std::vector<qint64> frames;
    for (auto _ : state) {
        state.PauseTiming();
        bar->setValue(0);
        state.ResumeTiming();
        for (int value = 0;; value += step) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(value);
            QPainter painter(&frame);
            rows->viewport()->render(&painter);
            painter.end();
            frames.push_back(timer.nsecsElapsed());
            if (value >= bar->maximum())
                break;
        }
    }
    // A frame of one colour would mean no row was painted.
    const bool painted = std::any_of(frame.constBits(), frame.constBits() + frame.sizeInBytes(),
                                     [&frame](uchar b) { return b != frame.constBits()[0]; });
    if (frames.empty() || bar->maximum() <= 0 || !painted) {
        state.SkipWithError("nothing scrolled or painted");
        return;
    }
    std::sort(frames.begin(), frames.end());
    double total = 0;
    for (qint64 ns : frames)
        total += double(ns);
    const auto ms = [](double ns) { return ns / 1e6; };
    state.counters["frames"] = double(frames.size());
    state.counters["mean_frame_ms"] = ms(total / double(frames.size()));
    state.counters["p99_frame_ms"] = ms(double(frames[frames.size() * 99 / 100]));
    state.counters["max_frame_ms"] = ms(double(frames.back()));
    state.counters["frames_over_16.7ms"] =
        double(std::count_if(frames.begin(), frames.end(), [](qint64 ns) { return ns > 16'666'667; }));
}
BENCHMARK(Scrolling)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
