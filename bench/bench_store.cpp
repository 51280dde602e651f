// First showing of a large category: the 10,000 notes of one category sorted by
// their order, with the reminders of the 5,000 that have one, read by a context that
// holds none of them yet (as the note list does when the category is first opened).
//
// FirstShowing: one filtered, sorted query and one batch fetch of the reminders.
// FirstShowingRowByRow: the whole table filtered and sorted in C++, then each
// note's reminder on its own, for comparison.

#include "bench/LargeCategoryStore.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"

#include <QCoreApplication>
#include <QTemporaryDir>

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
