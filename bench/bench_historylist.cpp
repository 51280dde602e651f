// The edit-history list with 2,000 records shown (ten pages of "more"), texts
// of every length, with and without change spans.
//
// WidthChange: the list's width changes (700 ↔ 600 pixels) up to the first
// frame at the new width: every row's height is measured again and the view
// laid out in one pass (the view itself lays out in batches of 200 rows, so
// this is the whole of it), then painted.
// Scrolling: the list scrolled from top to bottom, a quarter of its height a
// frame, each frame painted as the screen gets it. Reports the paint time per
// frame (mean, slowest, 99th percentile) and the frames that missed 60 frames
// per second.

#include "app/main/program/ProgramServices.h"
#include "core/model/DataModel.h"
#include "core/model/NoteLog.h"
#include "notes/records/presenter/NoteLogListModel.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "notes/records/view/NoteLogCellDelegate.h"
#include "notes/records/view/NoteLogListViewController.h"
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

constexpr int kRecords = 2000;

struct HistoryStore
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;

    HistoryStore()
    {
        store = Store::open(dir.path() + "/history.sqlite", DataModel::model());
        Context *ctx = store->mainContext();
        const QStringList texts{
            QStringLiteral("买牛奶"),
            QStringLiteral("周一上午十点部门例会，带上上周的进度表"),
            QStringLiteral("整理上个月的发票和报销单据，一起交给财务部的王老师，顺便问一下差旅补贴的新标准是"
                           "什么时候开始执行的，"
                           "另外记得把出差的行程单也打印一份附在后面"),
            QStringLiteral(
                "Quarterly planning and reviews 2026: collect every team's numbers before the board meeting"),
            QStringLiteral("第一行\n第二行\n第三行"),
        };
        for (int i = 0; i < kRecords; ++i) {
            auto *log = ctx->create<NoteLog>();
            log->setTId(QString::number(i + 1));
            log->setSort(i + 1);
            log->setClassId(QStringLiteral("7"));
            log->setClassifyName(QStringLiteral("工作"));
            log->setContent(texts.at(i % texts.size()) + QString::number(i));
            log->setCreateTime(QStringLiteral("2026/3/2 9:12:05"));
            log->setActionType(qint16(1 + i % 3));
            log->setTerminalId(qint16(2 + i % 6));
            if (i % 2)
                log->setDiffItems(
                    QVariantList{QVariantMap{{"diffType", 2}, {"diffStartIndex", 1}, {"diffLength", 2}},
                                 QVariantMap{{"diffType", 1}, {"diffStartIndex", 3}, {"diffLength", 4}}});
        }
        if (!ctx->saveAndWait())
            qFatal("no history for the benchmark");
    }
};

HistoryStore &fixture()
{
    static HistoryStore f;
    return f;
}

struct ShownHistory
{
    AppEvents events;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<NoteLogListViewController> view;

    explicit ShownHistory(HistoryStore &f)
    {
        graph = std::make_unique<ProgramServices>(ProgramServices::Parts().use(f.store.get()).use(&events));
        auto *presenter = new NoteLogListPresenter(graph->services());
        view = std::make_unique<NoteLogListViewController>(presenter);
        view->listView()->setLayoutMode(QListView::SinglePass);
        view->resize(700, 640);
        // Shown off the screen, so that resizes reach the list as on the screen. The refresh its showing asks
        // for finds no service and ends.
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        QElapsedTimer wait;
        wait.start();
        while (graph->services().historyPager->isRunning() && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        // The list as "more" leaves it after ten pages.
        presenter->didSelectItemWithPopUps(NoteRecordPopUps{});
        while (presenter->model()->rowCount() < kRecords)
            presenter->loadNextDatasAction();
        // What the view does on its next turn of the event loop.
        QCoreApplication::processEvents();
        view->listView()->doItemsLayout();
        paint();
    }
    void paint()
    {
        QImage frame(view->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&frame);
        view->render(&painter);
    }
};

void WidthChange(benchmark::State &state)
{
    ShownHistory list(fixture());
    QListView *rows = list.view->listView();
    int width = 700;
    for (auto _ : state) {
        width = width == 700 ? 600 : 700;
        list.view->resize(width, 640);
        // The resize reaches the list (the delegate takes the new width), the view lays out every row (what
        // it does on its next turn of the event loop), then paints the frame.
        QCoreApplication::processEvents();
        rows->doItemsLayout();
        list.paint();
        benchmark::DoNotOptimize(rows->verticalScrollBar()->maximum());
    }
    if (list.view->presenter()->model()->rowCount() != kRecords ||
        list.view->cellDelegate()->measuredCount() < kRecords ||
        list.view->cellDelegate()->rowWidth() != rows->viewport()->width())
        state.SkipWithError("not every row was measured at the new width");
}
BENCHMARK(WidthChange)->Unit(benchmark::kMillisecond);

void Scrolling(benchmark::State &state)
{
    ShownHistory list(fixture());
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
