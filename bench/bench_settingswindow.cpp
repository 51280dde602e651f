// Opening the settings window to its first paint: the seven tabs made, the
// rows read, the window shown and painted once (offscreen). The two loads go
// out and fail at once here (no service address), as they are not awaited.
#include "app/main/program/ProgramServices.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/skins/SkinManager.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "settings/view/SettingsWindow.h"
#include "tests/support/TestStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class FirstPaint : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void SettingsWindowFirstPaint(benchmark::State &state)
{
    QTemporaryDir folder;
    if (!TestStore::setupCoreDataAtPath(folder.path() + QStringLiteral("/bench.sqlite")).ok()) {
        state.SkipWithError("no store");
        return;
    }
    Context *ctx = TestStore::context();
    SkinManager(*ctx).addSkinToLocal();
    UserDefaults::setValue(QStringLiteral("userId"), QStringLiteral("77"));
    ctx->create<UserInfo>()->setUserId(77);
    ctx->create<UserSet>()->setRemindSoundName(QStringLiteral("标准铃声1"));
    if (!ctx->saveAndWait().ok) {
        state.SkipWithError("no rows");
        return;
    }
    ProgramServices program(ProgramServices::Parts().use(TestStore::store()));
    if (!program.hasServices()) {
        state.SkipWithError("no services");
        return;
    }
    const Services &services = program.services();
    for (auto _ : state) {
        FirstPaint probe;
        QElapsedTimer timer;
        timer.start();
        auto *window = new SettingsWindow(services);
        window->setWindowModality(Qt::NonModal);
        window->installEventFilter(&probe);
        window->show();
        while (!probe.painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        delete window;
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(SettingsWindowFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8() + "/config");
    qputenv("XDG_DATA_HOME", home.path().toUtf8() + "/data");
    qputenv("XDG_CACHE_HOME", home.path().toUtf8() + "/cache");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
