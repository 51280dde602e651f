// Process start to the first exposure of the login window, beside a bare Qt
// window's start and a start that loads the multimedia back end at once (as
// linking Qt Multimedia into the program would), in the same run. Each iteration starts this program again as
// a child (a real process start, libraries loaded); the child reports the
// monotonic time at which its window was first exposed and ends.
#include "app/main/program/ProgramServices.h"
#include "app/shell/AppShell.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/base/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QPluginLoader>
#include <QProcess>
#include <QTemporaryDir>
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

// Prints the time of the window's first exposure (or first paint) and ends the child.
class FirstExposure : public QObject
{
public:
    explicit FirstExposure(QWidget *w)
    {
        w->installEventFilter(this);
        if (w->windowHandle())
            w->windowHandle()->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (!m_done && (e->type() == QEvent::Expose || e->type() == QEvent::Paint)) {
            m_done = true;
            std::printf("exposed %lld\n", static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
            std::_Exit(0); // teardown is not part of the start
        }
        return false;
    }

private:
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
    WidgetFeedback feedback;
    ProgramServices program(ProgramServices::Parts().use(&feedback));
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

std::optional<double> startOnce(const char *mode, const QString &profile)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), profile + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), profile + QStringLiteral("/cache"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 started = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    if (!child.waitForFinished(30000))
        return std::nullopt;
    const QByteArray out = child.readAllStandardOutput();
    const int at = out.indexOf("exposed ");
    if (at < 0)
        return std::nullopt;
    const qint64 exposed = out.mid(at + 8).trimmed().toLongLong();
    return double(exposed - started) / 1e9;
}

void run(benchmark::State &state, const char *mode)
{
    QTemporaryDir profile;
    // A profile that has run before: agreement given, store made by a first start.
    QDir().mkpath(profile.path() + QStringLiteral("/config/Prelvane"));
    QFile ini(profile.path() + QStringLiteral("/config/Prelvane/userdefaults.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[General]\nAgreeProtocolKey=true\n");
    ini.close();
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

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child-bare") == 0)
        return childBare(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child-login") == 0)
        return childLogin(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child-login-multimedia") == 0)
        return childLoginMultimedia(argc, argv);
    QCoreApplication app(argc, argv); // for QProcess and QCoreApplication::applicationFilePath()
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
