// An application image asked for while painting (a row's avatar, a swatch's check
// mark): Drawn renders it from the SVG (the pixmap cache emptied before each call),
// Kept finds the one drawn before.

#include "app/uikit/AppImages.h"

#include <QApplication>
#include <QPixmapCache>

#include <benchmark/benchmark.h>

namespace {

void Drawn(benchmark::State &state)
{
    const QColor tint = state.range(0) ? QColor(0x33, 0x33, 0x33) : QColor();
    for (auto _ : state) {
        state.PauseTiming();
        QPixmapCache::clear();
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            AppImages::pixmap(QStringLiteral("user_default_head"), QSize(30, 30), tint, 2.0));
    }
}
BENCHMARK(Drawn)->Arg(0)->Arg(1)->ArgName("tinted")->Unit(benchmark::kMicrosecond);

void Kept(benchmark::State &state)
{
    const QColor tint = state.range(0) ? QColor(0x33, 0x33, 0x33) : QColor();
    QPixmapCache::clear();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            AppImages::pixmap(QStringLiteral("user_default_head"), QSize(30, 30), tint, 2.0));
}
BENCHMARK(Kept)->Arg(0)->Arg(1)->ArgName("tinted")->Unit(benchmark::kMicrosecond);

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
