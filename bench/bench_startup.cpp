// Process start to the first exposure of the login window, beside a bare Qt
// window's start and a start that loads the multimedia back end at once (as
// linking Qt Multimedia into the program would), in the same run; and process
// start to the main window's first paint after an auto-login on the stand-in
// service, with 10,000 notes in the store, with the resident memory then.
// Each iteration starts this program again as a child (a real process start,
// libraries loaded); the child reports the monotonic time at which its window
// was first exposed and ends.
#include "app/login/LoginPresenter.h"
#include "app/main/program/ProgramServices.h"
#include "app/mainwindow/view/MainWindow.h"
#include "app/shell/AppShell.h"
#include "app/shell/LoginWindow.h"
#include "app/uikit/WidgetFeedback.h"
#include "bench/StandinThread.h"
#include "core/model/NoteDetail.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/TimerScheduler.h"
#include "platform/base/UserDefaults.h"
#include "platform/keychain/DemoFileKeychainBackend.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/UUIDTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/SignInSyncCoordinator.h"
#include "service/sync/SyncEngine.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPluginLoader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int kNotes = 10000;
const QString kAccount = QStringLiteral("tester");
const QString kPassword = QStringLiteral("secret1");

// The resident memory of this process, in kB (0 when /proc cannot tell).
long long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Prints the time of the window's first exposure (or first paint), what
// `extra` adds (on the same line), and ends the child.
class FirstExposure : public QObject
{
public:
    explicit FirstExposure(QWidget *w, std::function<QByteArray()> extra = {}) : m_extra(std::move(extra))
    {
        w->installEventFilter(this);
        if (w->windowHandle())
            w->windowHandle()->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (!m_done && (e->type() == QEvent::Expose || e->type() == QEvent::Paint)) {
            m_done = true;
            const qint64 at = monotonicNs();
            const QByteArray extra = m_extra ? m_extra() : QByteArray();
            std::printf("exposed %lld%s\n", static_cast<long long>(at), extra.constData());
            std::fflush(stdout);
            std::_Exit(0); // teardown is not part of the start
        }
        return false;
    }

private:
    std::function<QByteArray()> m_extra;
    bool m_done = false;
};

int childBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(320, 480);
    w.winId(); // a native window now, as the login window has when it is probed
    FirstExposure probe(&w);
    w.show();
    return app.exec();
}

int childLogin(int argc, char **argv)
{
    if (!std::getenv("TZ"))
        setenv("TZ", ":/etc/localtime", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    const QString socket = AppShell::instanceSocketName();
    if (AppShell::forwardToRunningInstance(socket))
        return 1;
    TimerScheduler scheduler;
    WidgetFeedback feedback(scheduler);
    ProgramServices program(ProgramServices::Parts().use(&scheduler).use(&feedback));
    if (!program.hasServices())
        return 1;
    AppShell shell(program.services());
    shell.listenForLaterStarts(socket);
    shell.launch(program.storeOpened());
    std::optional<FirstExposure> probe;
    if (shell.currentWindow())
        probe.emplace(shell.currentWindow());
    return app.exec();
}

// The login window's start with the sound back end loaded first: what the
// program would pay if it linked Qt Multimedia instead of loading it on the
// first sound.
int childLoginMultimedia(int argc, char **argv)
{
    QPluginLoader loader(QStringLiteral(PRELVANE_SOUND_PLUGIN));
    if (!loader.instance()) {
        std::fprintf(stderr, "%s\n", qPrintable(loader.errorString()));
        return 1;
    }
    return childLogin(argc, argv);
}

// The program's start as main() makes it, with the demo profile's file
// secrets in place of the desktop keychain: the remembered password signs in
// by itself. `prepare` signs in once by the form (password remembered,
// auto-login on), waits for the first pull of every note and quits normally;
// otherwise the main window's first paint ends the child, printing the
// resident memory and the notes the list shows then.
int childSignedIn(int argc, char **argv, bool prepare)
{
    if (!std::getenv("TZ"))
        setenv("TZ", ":/etc/localtime", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    const QString socket = AppShell::instanceSocketName();
    if (AppShell::forwardToRunningInstance(socket))
        return 1;
    DemoFileKeychainBackend keychain(qEnvironmentVariable("PRELVANE_BENCH_SECRETS"),
                                     QSet<QString>{kAccount, UUIDTool::KeychainKey});
    TimerScheduler scheduler;
    WidgetFeedback feedback(scheduler);
    ProgramServices program(ProgramServices::Parts().use(&scheduler).use(&feedback).use(&keychain));
    if (!program.hasServices())
        return 1;
    const Services &services = program.services();
    AppShell shell(services);
    shell.listenForLaterStarts(socket);
    SignInSyncCoordinator coordinator(*services.store, *services.api, *services.sync, *services.feedback,
                                      *services.scheduler, *services.events, *services.session);
    // The probe watches the main window from its making, before it is first shown.
    std::optional<FirstExposure> probe;
    shell.setMainWindowFactory([&services, &coordinator, &probe, prepare] {
        auto *main = new MainWindow(services, &coordinator);
        if (!prepare && !probe)
            probe.emplace(main, [main] {
                const int shown = main->noteList()->presenter()->model()->rowCount();
                return QByteArray(" rss ") + QByteArray::number(residentKb()) + " notes " +
                       QByteArray::number(shown);
            });
        return main;
    });
    shell.launch(program.storeOpened());
    coordinator.attachToCurrentSignIn();
    if (!prepare)
        return app.exec();

    LoginWindow *login = qobject_cast<LoginWindow *>(shell.currentWindow());
    if (!login)
        return 1;
    // After the window's own showing has filled the form.
    LoginPresenter *form = login->presenter();
    QTimer::singleShot(0, form, [form] {
        form->accountEdited(kAccount);
        form->passwordEdited(kPassword);
        form->savePasswordClicked(true);
        form->autoLoginClicked(true);
        form->loginClicked();
    });
    // Done when the main window lists every note and the engine rests.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &app, [&] {
        auto *main = qobject_cast<MainWindow *>(shell.currentWindow());
        if (!main || services.sync->isBusy() || services.sync->hasQueuedWork() ||
            main->noteList()->presenter()->model()->rowCount() != kNotes)
            return;
        program.store().waitForBackgroundSaves();
        QCoreApplication::quit();
    });
    check.start(50);
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(2); });
    return app.exec();
}

struct ChildReport
{
    double seconds = 0;
    long long residentKb = 0;
    int notes = -1;
};

// The child's profile: its own folders, secrets and instance socket.
QProcessEnvironment childEnvironment(const QString &profile)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), profile + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), profile + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), profile + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("PRELVANE_BENCH_SECRETS"), profile + QStringLiteral("/secrets.json"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

std::optional<ChildReport> startChild(const char *mode, const QString &profile)
{
    QProcess child;
    QProcessEnvironment env = childEnvironment(profile);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    if (!child.waitForFinished(30000))
        return std::nullopt;
    const QByteArray out = child.readAllStandardOutput();
    const int at = out.indexOf("exposed ");
    if (at < 0)
        return std::nullopt;
    // "exposed <ns>[ rss <kB> notes <n>]"
    const QList<QByteArray> words = out.mid(at).split('\n').value(0).split(' ');
    ChildReport report;
    report.seconds = double(words.value(1).toLongLong() - started) / 1e9;
    for (int i = 2; i + 1 < words.size(); i += 2) {
        if (words.at(i) == "rss")
            report.residentKb = words.at(i + 1).toLongLong();
        else if (words.at(i) == "notes")
            report.notes = words.at(i + 1).toInt();
    }
    return report;
}

std::optional<double> startOnce(const char *mode, const QString &profile)
{
    const std::optional<ChildReport> report = startChild(mode, profile);
    if (!report)
        return std::nullopt;
    return report->seconds;
}

// A profile that has run before: agreement given.
void writeProfile(const QString &profile, const QByteArray &defaults = {})
{
    QDir().mkpath(profile + QStringLiteral("/config/Prelvane"));
    QDir().mkpath(profile + QStringLiteral("/runtime"));
    QFile::setPermissions(profile + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile ini(profile + QStringLiteral("/config/Prelvane/userdefaults.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[General]\nAgreeProtocolKey=true\n" + defaults);
}

void run(benchmark::State &state, const char *mode)
{
    QTemporaryDir profile;
    // Store made by a first start.
    writeProfile(profile.path());
    startOnce(mode, profile.path());
    for (auto _ : state) {
        const std::optional<double> seconds = startOnce(mode, profile.path());
        if (!seconds) {
            state.SkipWithError("the child did not report its first exposure");
            return;
        }
        state.SetIterationTime(*seconds);
    }
}

// The service holds one category of kNotes notes (every second one with a
// daily reminder); a first start signs in by the form and pulls them all.
void SignedInMainWindowStart(benchmark::State &state)
{
    StandinThread service;
    service.startAndWait();
    service.onService([](StandinService &, NoteSyncHandlers &notes, StandinAccount &account) {
        NoteSyncHandlers::Data &d = notes.data(account);
        NoteSyncHandlers::Category cat;
        cat.classId = QStringLiteral("7001");
        cat.name = QStringLiteral("工作");
        cat.backColor = QStringLiteral("#2b9cc6");
        cat.sort = 1;
        cat.version = cat.created = 1;
        d.classes.insert(cat.classId, cat);
        for (int i = 0; i < kNotes; ++i) {
            NoteSyncHandlers::Note n;
            n.cId = QString::number(1000000 + i);
            n.classId = cat.classId;
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
        }
        account.version = 2;
    });
    QTemporaryDir profile;
    const QByteArray url = service.baseUrl().toString().toUtf8();
    writeProfile(profile.path(),
                 ApiNetWorking::ApiBaseUrlKey.toUtf8() + '=' + url + "\nwebBaseUrl=" + url + '\n');
    QProcess prepare;
    prepare.setProcessEnvironment(childEnvironment(profile.path()));
    prepare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    prepare.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-prepare")});
    if (!prepare.waitForFinished(90000) || prepare.exitStatus() != QProcess::NormalExit ||
        prepare.exitCode() != 0) {
        state.SkipWithError("the first start did not sign in and pull every note");
        return;
    }
    startChild("--child-signed-in", profile.path()); // caches warm
    long long worstKb = 0;
    long long sumKb = 0;
    int runs = 0;
    for (auto _ : state) {
        const std::optional<ChildReport> report = startChild("--child-signed-in", profile.path());
        if (!report) {
            state.SkipWithError("the child did not report the main window's first paint");
            return;
        }
        if (report->notes != kNotes) {
            state.SkipWithError(
                QByteArray("the main window showed " + QByteArray::number(report->notes) + " notes")
                    .constData());
            return;
        }
        state.SetIterationTime(report->seconds);
        worstKb = qMax(worstKb, report->residentKb);
        sumKb += report->residentKb;
        ++runs;
    }
    state.counters["rss_mb_mean"] = runs ? double(sumKb) / runs / 1024.0 : 0;
    state.counters["rss_mb_worst"] = double(worstKb) / 1024.0;
}

void BareWindowStart(benchmark::State &state)
{
    run(state, "--child-bare");
}

void LoginWindowStart(benchmark::State &state)
{
    run(state, "--child-login");
}

void LoginWindowStartWithMultimedia(benchmark::State &state)
{
    run(state, "--child-login-multimedia");
}

} // namespace

BENCHMARK(BareWindowStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(LoginWindowStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(LoginWindowStartWithMultimedia)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(SignedInMainWindowStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child-bare") == 0)
        return childBare(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child-login") == 0)
        return childLogin(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child-login-multimedia") == 0)
        return childLoginMultimedia(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child-prepare") == 0)
        return childSignedIn(argc, argv, true);
    if (argc > 1 && std::strcmp(argv[1], "--child-signed-in") == 0)
        return childSignedIn(argc, argv, false);
    QCoreApplication app(argc, argv); // for QProcess and QCoreApplication::applicationFilePath()
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
