#include "tests/screenshots/ScreenshotScene.h"

#include <algorithm>

namespace {
QList<ScreenshotScene> &registry()
{
    static QList<ScreenshotScene> scenes;
    return scenes;
}
} // namespace

void ScreenshotRegistry::add(const QString &name, std::function<QWidget *()> build)
{
    registry().append({name, std::move(build)});
}

QList<ScreenshotScene> ScreenshotRegistry::scenes()
{
    QList<ScreenshotScene> sorted = registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const ScreenshotScene &a, const ScreenshotScene &b) { return a.name < b.name; });
    return sorted;
}
