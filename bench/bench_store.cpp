// First showing of a large category: the 10,000 notes of one category sorted by
// their order, with the reminders of the 5,000 that have one, read by a context that
// holds none of them yet (as the note list does when the category is first opened).
//
// FirstShowing: one filtered, sorted query and one batch fetch of the reminders.
// FirstShowingRowByRow: the whole table filtered and sorted in C++, then each
// note's reminder on its own, for comparison.
//
// BackgroundImport: a first pull of 10,000 notes (half with a reminder) written on
// a worker and merged into the main context while the main thread keeps saving
// edits; the counters give the main thread's longest stall and longest save.

#include "bench/LargeCategoryStore.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kNotes = LargeCategoryStore::kNotes;
using Fixture = LargeCategoryStore;

Fixture &fixture()
{
    static Fixture f(Fixture::Order::Descending);
    return f;
}

// A context that has read the schema already, like the main context at any time
// after start-up, but holds no rows.
std::unique_ptr<Context> newContext(Fixture &f)
{
    auto ctx = f.store->newContext();
    benchmark::DoNotOptimize(ctx->count<Classify>());
    return ctx;
}

void FirstShowing(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto ctx = newContext(f);
        state.ResumeTiming();
        const QList<NoteDetail *> notes = ctx->fetch<NoteDetail>(
            Predicate::equals(QStringLiteral("classId"), f.classId), QStringLiteral("sort"));
        const auto reminds = state.range(0) ? ctx->fetchToOne<DateRemind>(notes, QStringLiteral("remind"))
                                            : QHash<NoteDetail *, DateRemind *>();
        if (notes.size() != kNotes || reminds.size() != (state.range(0) ? kNotes / 2 : 0))
            state.SkipWithError("wrong rows");
        benchmark::DoNotOptimize(reminds);
        state.PauseTiming();
        ctx.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShowing)->Arg(1)->Arg(0)->ArgName("withReminders")->Unit(benchmark::kMillisecond);

void FirstShowingRowByRow(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto ctx = newContext(f);
        state.ResumeTiming();
        const QString id = f.classId;
        const QList<NoteDetail *> notes = ctx->findAllSortedBy<NoteDetail>(
            QStringLiteral("sort"), true, [&id](const NoteDetail *n) { return n->classId() == id; });
        int reminds = 0;
        for (NoteDetail *n : notes)
            reminds += n->remind() ? 1 : 0;
        if (notes.size() != kNotes || reminds != kNotes / 2)
            state.SkipWithError("wrong rows");
        state.PauseTiming();
        ctx.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShowingRowByRow)->Unit(benchmark::kMillisecond);

void BackgroundImport(benchmark::State &state)
{
    qint64 worstStall = 0, worstSave = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        std::unique_ptr<Store> store =
            Store::open(dir.filePath(QStringLiteral("import.sqlite")), DataModel::model());
        Context *main = store ? store->mainContext() : nullptr;
        if (!main) {
            state.SkipWithError("no store");
            return;
        }
        auto *shown = main->create<Classify>();
        shown->setClassId(QStringLiteral("k0"));
        if (!main->saveAndWait()) {
            state.SkipWithError("no save");
            return;
        }
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        QTimer ticker;
        ticker.setInterval(2);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worstStall = qMax(worstStall, clock.elapsed() - last);
            last = clock.elapsed();
        });
        ticker.start();
        bool done = false;
        store->saveInBackground(
            [](Context &bg) {
                auto *k = bg.create<Classify>();
                k->importValuesForKeys(QJsonObject{{"classId", "k1"}, {"sort", 1}});
                for (int i = 0; i < 10000; ++i) {
                    auto *n = bg.create<NoteDetail>();
                    n->importValuesForKeys(QJsonObject{{"cId", QString::number(100000 + i)},
                                                       {"classId", "k1"},
                                                       {"content", QStringLiteral("内容 %1").arg(i)},
                                                       {"sort", i},
                                                       {"nextId", "-1"}});
                    n->setClassify(k);
                    if (i % 2 == 0) {
                        auto *r = bg.create<DateRemind>();
                        r->importValuesForKeys(
                            QJsonObject{{"remindDateTime", "2024/5/1 9:00:00"}, {"remindCycleType", 1}});
                        n->setRemind(r);
                    }
                }
            },
            [&](const SaveResult &) { done = true; });
        int saves = 0;
        while (!done) {
            shown->setName(QString::number(saves++));
            QElapsedTimer t;
            t.start();
            if (!main->saveAndWait()) {
                state.SkipWithError("a main-thread save failed");
                return;
            }
            worstSave = qMax(worstSave, t.elapsed());
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        ticker.stop();
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["longestStallMs"] = double(worstStall);
    state.counters["longestSaveMs"] = double(worstSave);
}
BENCHMARK(BackgroundImport)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
