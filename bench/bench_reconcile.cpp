// Reconciling the notification schedule in a store of 10,000 notes with 5,000 reminders of every kind
// (repeating, one-shots standing in for repetitions, lunar, ended, cleared): after an edit of one note
// (the change-set path), the same with its save, and a full pass over an unchanged store.
#include "app/main/program/ProgramServices.h"
#include "bench/QuietFeedback.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/base/Clock.h"
#include "platform/base/UrlOpener.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "platform/store/StoreChanges.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Rule
{
    int dateType;
    const char *date;
    int cycle;
    int interval;
    const char *specify;
    const char *end;
};

QDateTime at(const QString &text)
{
    return DateManager::getDateFromString(text);
}

struct NoUrls final : UrlOpener
{
    bool openUrl(const QUrl &) override { return true; }
};

// One store for every benchmark of the run, in the program's object graph.
struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;
    FakeUserNotificationCenter center;
    FakeNetworkMonitor network;
    QuietFeedback feedback;
    ManualScheduler scheduler;
    NoUrls urls;
    std::unique_ptr<ProgramServices> graph;
    DateRemind *edited = nullptr;

    ReminderScheduler &reminders() const { return *graph->services().reminders; }

    Fixture()
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 6), QTime(10, 0)));
        store = Store::open(dir.filePath(QStringLiteral("bench.sqlite")), DataModel::model());
        graph = std::make_unique<ProgramServices>(ProgramServices::Parts()
                                                      .use(store.get())
                                                      .use(&center)
                                                      .use(&network)
                                                      .use(&feedback)
                                                      .use(&scheduler)
                                                      .use(&urls));
        Context *ctx = store->mainContext();
        ctx->create<UserSet>()->setImportantRemindInterval(5);
        QList<Classify *> cats;
        for (int i = 0; i < 40; ++i) {
            auto *c = ctx->create<Classify>();
            c->setClassId(QStringLiteral("k%1").arg(i));
            c->setName(QStringLiteral("类%1").arg(i));
            cats << c;
        }
        const Rule rules[] = {
            {0, "2026/3/1 8:00:00", 1, 2, "", ""},                 // repeating daily
            {0, "2026/3/1 9:00:00", 3, 1, "10,20", ""},            // one-shot stand-in
            {0, "2026/3/1 8:00:00", 1, 1, "", "2026/6/1 0:00:00"}, // end date
            {1, "2026/2/17 9:00:00", 3, 1, "", ""},                // lunar monthly
            {0, "2026/1/31 9:00:00", 3, 1, "", ""},                // month end
            {0, "2025/3/1 9:00:00", 1, 1, "", "2025/6/1 0:00:00"}, // over
            {0, "2026/3/2 9:00:00", 2, 1, "1,3,5", ""},            // weekdays
            {0, "2027/1/1 9:00:00", 0, 1, "", ""},                 // one-shot ahead
        };
        for (int i = 0; i < 10000; ++i) {
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QStringLiteral("c%1").arg(i));
            n->setContent(QStringLiteral("内容 %1").arg(i));
            n->setClassify(cats.at(i % cats.size()));
            if (i % 2)
                continue;
            const Rule &rule = rules[(i / 2) % std::size(rules)];
            // Spread the times so that the nearest 100 are not all of one kind.
            const QString date =
                DateManager::getStringFromDate(at(QString::fromUtf8(rule.date)).addSecs(60 * (i % 997)));
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(i % 50 == 0 ? 3 : 2);
            r->setRemindDateType(qint16(rule.dateType));
            r->setRemindDateTime(date);
            r->setRemindRealDateTime(date);
            r->setRemindCycleType(qint16(rule.cycle));
            r->setRemindCycleInterval(qint16(rule.interval));
            r->setRemindCycleSpecific(QString::fromUtf8(rule.specify));
            r->setRemindEndTime(QString::fromUtf8(rule.end));
            n->setRemind(r);
            if (i == 2)
                edited = r;
        }
        if (!ctx->saveAndWait().ok)
            qFatal("cannot save the benchmark's store");
        reminders().reconcileAll();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

const QString texts[] = {QStringLiteral("2026/3/1 9:00:00"), QStringLiteral("2026/3/2 9:30:00")};

void BM_ReconcileAfterOneEdit(benchmark::State &state)
{
    Fixture &f = fixture();
    StoreChanges changes;
    changes.entities[QStringLiteral("DateRemind")].updated.append(
        {f.edited->objectId().pk, {QStringLiteral("remindRealDateTime")}});
    int i = 0;
    for (auto _ : state) {
        f.edited->setRemindRealDateTime(texts[++i % 2]);
        f.reminders().reconcileChanges(changes);
    }
    f.store->mainContext()->rollback();
    state.SetItemsProcessed(state.iterations());
}

void BM_SaveAndReconcileOneEdit(benchmark::State &state)
{
    Fixture &f = fixture();
    f.reminders().start();
    int i = 0;
    for (auto _ : state) {
        f.edited->setRemindRealDateTime(texts[++i % 2]);
        if (!f.store->mainContext()->saveAndWait().ok) {
            state.SkipWithError("save failed");
            break;
        }
    }
    f.reminders().stop();
    state.SetItemsProcessed(state.iterations());
}

void BM_ReconcileAllUnchanged(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        f.reminders().reconcileAll();
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ReconcileAfterOneEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveAndReconcileOneEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReconcileAllUnchanged)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
