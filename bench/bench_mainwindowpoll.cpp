// A version poll that brings 100 notes changed on another device into a store
// of 10,000, with the main window showing the category they are in.
//
// PollOf100Changes: from the poll's tick (version request, delta pull, import
// on the store's worker, merge) until the column and the note list are
// repainted. The stand-in service runs on its own thread over loopback, so
// only the program's own work counts. Counters: the main thread's CPU time in
// total (goal: at most 50 ms), the wall time it spent away from its event
// loop in total (this also counts waiting, e.g. for the settings file to
// reach the disk) and the longest such stretch.

#include "app/main/program/ProgramServices.h"
#include "app/mainwindow/view/MainWindow.h"
#include "bench/BusyMeter.h"
#include "bench/QuietFeedback.h"
#include "bench/StandinThread.h"
#include "core/model/DataModel.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinService.h"
#include "service/sync/SignInSyncCoordinator.h"
#include "service/sync/SyncEngine.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

constexpr int kNotes = 10000;
constexpr int kChanged = 100;
const QString kClassId = QStringLiteral("7001");

struct NoUrls final : UrlOpener
{
    bool openUrl(const QUrl &) override { return true; }
};

struct Program
{
    QTemporaryDir dir;
    FakeUserNotificationCenter notifications;
    FakeNetworkMonitor network;
    StandinThread service;
    std::unique_ptr<Store> store;
    ApiNetWorking api;
    QuietFeedback feedback;
    ManualScheduler scheduler;
    AppEvents events;
    NoUrls urls;
    std::unique_ptr<ProgramServices> graph;
    std::unique_ptr<SignInSyncCoordinator> coordinator;
    std::unique_ptr<MainWindow> window;
    QImage frame{MainWindow::defaultSize(), QImage::Format_ARGB32_Premultiplied};
    QStringList noteIds; // in display order
    int round = 0;

    Program()
    {
        UserDefaults::setStoragePath(dir.filePath(QStringLiteral("defaults.ini")));
        service.startAndWait();
        service.onService([this](StandinService &, NoteSyncHandlers &notes, StandinAccount &account) {
            NoteSyncHandlers::Data &d = notes.data(account);
            for (int c = 0; c < 4; ++c) {
                NoteSyncHandlers::Category cat;
                cat.classId = c == 0 ? kClassId : QString::number(7002 + c);
                cat.name = c == 0 ? QStringLiteral("工作") : QStringLiteral("分类%1").arg(c);
                cat.backColor = QStringLiteral("#2b9cc6");
                cat.sort = c + 1;
                cat.version = cat.created = 1;
                d.classes.insert(cat.classId, cat);
            }
            for (int i = 0; i < kNotes; ++i) {
                NoteSyncHandlers::Note n;
                n.cId = QString::number(1000000 + i);
                n.classId = kClassId;
                n.content = QStringLiteral("第%1条便签，写点什么内容在这里").arg(i);
                n.nextId = i + 1 < kNotes ? QString::number(1000000 + i + 1) : QStringLiteral("-1");
                n.version = n.created = 1;
                if (i % 2 == 0)
                    n.remind = QJsonObject{{"remindActionType", "1"},
                                           {"remindDateTime", "2030/1/1 9:00:00"},
                                           {"remindRealDateTime", "2030/1/1 9:00:00"},
                                           {"remindCycleType", "1"},
                                           {"remindCycleInterval", "1"}};
                d.notes.insert(n.cId, n);
                noteIds << n.cId;
            }
            account.version = 2;
        });
        const StandinAccount account = service.snapshotAccount();
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, service.baseUrl().toString());
        UserDefaults::setValue(SignInKeys::AccessToken, account.accessToken);
        UserDefaults::setValue(SignInKeys::UserKey, account.userKey);
        UserDefaults::setValue(SignInKeys::UserId, account.userId);
        UserDefaults::sync();
        store = Store::open(dir.filePath(QStringLiteral("store.sqlite")), DataModel::model());
        if (!store)
            qFatal("bench: no store");
        graph = std::make_unique<ProgramServices>(ProgramServices::Parts()
                                                      .use(store.get())
                                                      .use(&feedback)
                                                      .use(&scheduler)
                                                      .use(&notifications)
                                                      .use(&network)
                                                      .use(&urls)
                                                      .use(&api)
                                                      .use(&events));
        const Services &services = graph->services();
        // As the program does: the schedule follows every saved change.
        services.reminders->start();
        coordinator = std::make_unique<SignInSyncCoordinator>(*services.store, *services.api, *services.sync,
                                                              *services.feedback, *services.scheduler,
                                                              *services.events, *services.session);
        window = std::make_unique<MainWindow>(services, coordinator.get());
        window->show();
        services.session->signIn(account.userId);
        settle();
        if (shownNotes() != kNotes)
            qFatal("bench: the first pull brought %d notes", shownNotes());
        repaint();
    }
    ~Program()
    {
        graph->services().session->signOut();
        graph->services().reminders->stop();
        window.reset();
        coordinator.reset();
        graph.reset();
    }

    int shownNotes() const { return window->noteList()->presenter()->model()->rowCount(); }
    bool busy() const
    {
        const SyncEngine &engine = *graph->services().sync;
        return engine.isBusy() || engine.hasQueuedWork();
    }
    void settle()
    {
        QElapsedTimer t;
        t.start();
        do {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        } while ((busy() || t.elapsed() < 20) && t.elapsed() < 60000);
        store->waitForBackgroundSaves();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    void repaint()
    {
        QPainter painter(&frame);
        window->render(&painter);
    }

    // Another device changes 100 notes spread over the category.
    QString changeOnService()
    {
        ++round;
        const QString text = QStringLiteral("另一台设备改过 %1").arg(round);
        service.onService([&](StandinService &, NoteSyncHandlers &notes, StandinAccount &account) {
            NoteSyncHandlers::Data &d = notes.data(account);
            ++account.version;
            for (int i = 0; i < kChanged; ++i) {
                NoteSyncHandlers::Note &n = d.notes[noteIds.at(i * (kNotes / kChanged) + round % 50)];
                n.content = text + QStringLiteral(" #%1").arg(i);
                n.version = account.version;
            }
        });
        return text;
    }
    bool listShows(const QString &text) const
    {
        const QAbstractItemModel *m = window->noteList()->presenter()->model();
        return m->index(round % 50, 0).data().toString().startsWith(text);
    }
};

void PollOf100Changes(benchmark::State &state)
{
    Program p;
    BusyMeter meter;
    double worstTotal = 0;
    double worstLongest = 0;
    double worstBlocked = 0;
    double sumBlocked = 0;
    double sum = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = p.changeOnService();
        state.ResumeTiming();
        meter.start();
        p.scheduler.advance(SignInSyncCoordinator::PollInterval);
        QElapsedTimer t;
        t.start();
        // Until the engine is done and the merge reached the list; the thread
        // sleeps while it waits (the timer only makes sure it looks again).
        QTimer wake;
        wake.start(20);
        while ((p.busy() || !p.listShows(text)) && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wake.stop();
        p.repaint();
        meter.stop();
        state.PauseTiming();
        if (!p.listShows(text)) {
            state.SkipWithError("the change did not reach the list");
            break;
        }
        worstTotal = qMax(worstTotal, meter.totalMs());
        worstLongest = qMax(worstLongest, meter.longestMs());
        worstBlocked = qMax(worstBlocked, meter.blockedMs());
        sumBlocked += meter.blockedMs();
        sum += meter.totalMs();
        ++runs;
        p.settle();
        state.ResumeTiming();
    }
    state.counters["main_thread_busy_ms_worst"] = worstTotal;
    state.counters["main_thread_busy_ms_mean"] = runs ? sum / runs : 0;
    state.counters["longest_stretch_ms"] = worstLongest;
    state.counters["blocked_wall_ms_mean"] = runs ? sumBlocked / runs : 0;
    state.counters["blocked_wall_ms_worst"] = worstBlocked;
}
BENCHMARK(PollOf100Changes)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    // Nothing of the real home folder is read or written.
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("PrelvaneBench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
