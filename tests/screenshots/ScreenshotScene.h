#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// One state of one window or pane, rendered to build/screenshots/<name>.png.
// The factory builds the widget (a top-level widget, owned by the caller
// afterwards) and may show it and drive it into its state itself, e.g. hover
// a button or open a popover; the renderer shows it if it is not yet shown.
// A top-level widget that was not resized gets its size hint.
struct ScreenshotScene
{
    QString name;
    std::function<QWidget *()> build;
};

class ScreenshotRegistry
{
public:
    static void add(const QString &name, std::function<QWidget *()> build);
    // Sorted by name.
    static QList<ScreenshotScene> scenes();
};

// Registers a scene from any .cpp in tests/screenshots/:
//   SCREENSHOT_SCENE(login_empty) { auto *w = new LoginWindow(...); return w; }
#define SCREENSHOT_SCENE(name)                                                                               \
    static QWidget *screenshotScene_##name();                                                                \
    static const bool screenshotSceneAdded_##name = [] {                                                     \
        ScreenshotRegistry::add(QStringLiteral(#name), &screenshotScene_##name);                             \
        return true;                                                                                         \
    }();                                                                                                     \
    static QWidget *screenshotScene_##name()
