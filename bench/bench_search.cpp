// The search pane over 10,000 notes and 50,000 edit-history records (mixed
// Chinese and Latin texts of about 60 characters).
//
// NoteQuery / HistoryQuery: from the query to a ready model (the index is
// built; a search reads nothing of the store), for queries of 1, 2 and 5
// characters with many hits and with none.
// IndexAfterPull: 100 notes changed by a pull (their change set), with a
// search of many hits shown: the index takes the new texts and the hits
// follow them.
// FirstPaint: the pane with 10,000 note hits, or 50,000 history hits, painted.

#include "app/main/program/ProgramServices.h"
#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "notes/search/presenter/NoteSearchModel.h"
#include "notes/search/presenter/NoteSearchPresenter.h"
#include "notes/search/view/NoteSearchViewController.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "platform/store/StoreChanges.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kNotes = 10000;
constexpr int kRecords = 50000;

// Toasts and spinners cost nothing here: the measure is the search's.
class SilentFeedback : public UserFeedback
{
public:
    void showToast(const QString &, const QObject *) override {}
    void showHudToWindow() override {}
    void hideHudForWindow() override {}

protected:
    void presentMessage(const QString &, const QObject *, Handler) override {}
    void presentConfirm(const QString &, const QObject *, Handler) override {}
    quint64 beginBusy(const QObject *) override { return ++m_busy; }
    void endBusy(quint64) override {}

private:
    quint64 m_busy = 0;
};

QString text(int i)
{
    static const QStringList subjects{QStringLiteral("和 Team %1 开会讨论 Budget 计划"),
                                      QStringLiteral("给客户 Li Wei 回复合同第%1条"),
                                      QStringLiteral("周末去超市买牛奶、面包和 %1 个苹果"),
                                      QStringLiteral("英语听力练习 %1 分钟，再背单词 vocabulary"),
                                      QStringLiteral("提交季度报销单，编号 R-%1，附上发票")};
    return QStringLiteral("第%1条：明天下午三点").arg(i) + subjects.at(i % subjects.size()).arg(i % 97) +
           QStringLiteral("，记得带上资料");
}

struct SearchStore
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;

    SearchStore()
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 6), QTime(10, 0)));
        store = Store::open(dir.filePath(QStringLiteral("bench.sqlite")), DataModel::model());
        Context *ctx = store->mainContext();
        auto *k = ctx->create<Classify>();
        k->setClassId(QStringLiteral("1001"));
        k->setName(QStringLiteral("工作"));
        for (int i = 0; i < kNotes; ++i) {
            auto *n = ctx->create<NoteDetail>();
            n->setCId(QString::number(500000 + i));
            n->setClassId(k->classId());
            n->setClassify(k);
            n->setContent(text(i));
            n->setSort(qint16(i + 1));
            n->setNextId(QStringLiteral("-1"));
        }
        for (int i = 0; i < kRecords; ++i) {
            auto *log = ctx->create<NoteLog>();
            log->setTId(QString::number(100000 + i));
            log->setSort(100000 + i);
            log->setCId(QString::number(500000 + i % kNotes));
            log->setContent(text(i));
            log->setActionType(qint16(1 + i % 3));
            log->setClassifyName(QStringLiteral("工作"));
            log->setCreateTime(QStringLiteral("2026/3/1 8:00:00"));
        }
        if (!ctx->saveAndWait())
            qFatal("bench: the fixture cannot be saved");
    }
};

SearchStore &fixture()
{
    static SearchStore f;
    return f;
}

struct Pane
{
    AppEvents events;
    SilentFeedback feedback;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<NoteSearchViewController> view;
    QImage frame{780, 590, QImage::Format_ARGB32_Premultiplied};

    explicit Pane(Context *ctx)
    {
        graph = std::make_unique<ProgramServices>(
            ProgramServices::Parts().use(ctx->store()).use(ctx).use(&events).use(&feedback));
        view = std::make_unique<NoteSearchViewController>(graph->services());
        view->resize(780, 590);
    }
    NoteSearchPresenter *presenter() const { return view->presenter(); }
    void paint()
    {
        QPainter painter(&frame);
        view->render(&painter);
    }
};

// Made at first use, gone before the application object.
std::unique_ptr<Pane> g_pane;

Pane &pane()
{
    if (!g_pane)
        g_pane = std::make_unique<Pane>(fixture().store->mainContext());
    return *g_pane;
}

// Many hits (every text, every text, one in five), then none.
const QStringList queries{QStringLiteral("条"), QStringLiteral("下午"), QStringLiteral("BUDGE"),
                          QStringLiteral("鲸"), QStringLiteral("鲸鱼"), QStringLiteral("zebra")};

void query(benchmark::State &state, NoteSearchPresenter::Scope scope)
{
    Pane &p = pane();
    p.presenter()->chooseScope(scope);
    const QString q = queries.at(int(state.range(0)));
    p.presenter()->searchButtonAction(q); // builds the index once
    for (auto _ : state)
        p.presenter()->searchButtonAction(q);
    state.SetLabel(q.toStdString());
    state.counters["hits"] = p.presenter()->model()->rowCount();
}

void NoteQuery(benchmark::State &state)
{
    query(state, NoteSearchPresenter::Scope::Notes);
}
BENCHMARK(NoteQuery)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void HistoryQuery(benchmark::State &state)
{
    query(state, NoteSearchPresenter::Scope::History);
}
BENCHMARK(HistoryQuery)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void IndexAfterPull(benchmark::State &state)
{
    Pane &p = pane();
    Context *ctx = fixture().store->mainContext();
    p.presenter()->chooseScope(NoteSearchPresenter::Scope::Notes);
    p.presenter()->searchButtonAction(QStringLiteral("开会"));
    QList<NoteDetail *> changed;
    for (int i = 0; i < 100; ++i)
        changed << ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"),
                                                         QString::number(500000 + i * 97));
    StoreChanges changes;
    StoreChanges::Entity &notes = changes.entities[QStringLiteral("NoteDetail")];
    for (NoteDetail *n : changed)
        notes.updated.append({n->objectId().pk, {QStringLiteral("content")}});
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Every other round the texts leave the hits, then come back.
        ++round;
        for (int i = 0; i < changed.size(); ++i)
            changed[i]->setContent(round % 2 ? QStringLiteral("改过的第%1条").arg(i) : text(i * 97));
        state.ResumeTiming();
        emit ctx->changesSaved(changes);
    }
    state.counters["hits"] = p.presenter()->model()->rowCount();
}
BENCHMARK(IndexAfterPull)->Unit(benchmark::kMillisecond);

void FirstPaint(benchmark::State &state)
{
    Pane &p = pane();
    const auto scope =
        state.range(0) ? NoteSearchPresenter::Scope::History : NoteSearchPresenter::Scope::Notes;
    p.presenter()->chooseScope(scope);
    p.presenter()->searchButtonAction(QStringLiteral("条"));
    for (auto _ : state) {
        state.PauseTiming();
        p.presenter()->searchButtonAction(QStringLiteral("条"));
        state.ResumeTiming();
        p.paint();
    }
    state.SetLabel(state.range(0) ? "history" : "notes");
    state.counters["hits"] = p.presenter()->model()->rowCount();
}
BENCHMARK(FirstPaint)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

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
    g_pane.reset();
    return 0;
}
