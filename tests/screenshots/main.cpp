// Renders every registered scene offscreen into <out>/<scene>.png with the
// application's fonts, and lists texts that do not fit their widgets.
//   prelvane_screenshots [--out folder | --check] [--strict] [--scale factor] [scene names or prefixes...]
// --strict makes a clipped text an error (exit status 1); --check is --strict
// rendering into a temporary folder that is removed afterwards; --scale
// renders as on a desktop with that scale factor (files named <scene>@<factor>x.png).

#include "app/uikit/ApplicationFont.h"
#include "tests/screenshots/ClippedTextFinder.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include <cstdio>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool wanted(const QString &name, const QStringList &filters)
{
    if (filters.isEmpty())
        return true;
    for (const QString &filter : filters) {
        if (name.startsWith(filter))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv::prepareProcess("prelvane_screenshots");
    QString scale;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--scale") == 0)
            scale = QString::fromLatin1(argv[i + 1]);
    }
    if (!scale.isEmpty())
        qputenv("QT_SCALE_FACTOR", scale.toLatin1());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Prelvane"));
    TestEnv::freshFolders();
    ApplicationFont::install();
    // Keep the pointer off every scene so that no row or button looks hovered
    // unless the scene asks for it.
    QCursor::setPos(20000, 20000);

    QString out = QStringLiteral("screenshots");
    bool strict = false;
    QStringList filters;
    QTemporaryDir scratch;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == QLatin1String("--strict"))
            strict = true;
        else if (args[i] == QLatin1String("--scale") && i + 1 < args.size())
            ++i;
        else if (args[i] == QLatin1String("--check"))
            strict = true, out = scratch.path();
        else
            filters << args[i];
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out));
        return 2;
    }

    QTextStream err(stderr);
    int rendered = 0;
    int clipped = 0;
    bool failed = false;
    for (const ScreenshotScene &scene : ScreenshotRegistry::scenes()) {
        if (!wanted(scene.name, filters))
            continue;
        QPointer<QWidget> widget = scene.build();
        if (!widget) {
            err << scene.name << ": the scene built nothing\n";
            failed = true;
            continue;
        }
        if (!widget->testAttribute(Qt::WA_Resized))
            widget->adjustSize();
        if (!widget->isVisible())
            widget->show();
        settle();
        if (!widget) {
            err << scene.name << ": the widget went away before it was rendered\n";
            failed = true;
            continue;
        }
        const QString suffix = scale.isEmpty() ? QString() : QStringLiteral("@%1x").arg(scale);
        const QString file = QDir(out).filePath(scene.name + suffix + QStringLiteral(".png"));
        if (!widget->grab().save(file)) {
            err << scene.name << ": cannot write " << file << "\n";
            failed = true;
        } else {
            ++rendered;
        }
        const QStringList cut = ClippedTextFinder::find(widget);
        for (const QString &line : cut)
            err << scene.name << ": text does not fit: " << line << "\n";
        clipped += cut.size();
        delete widget;
        settle();
    }
    err << "rendered " << rendered << " scene(s) into " << QDir(out).absolutePath() << "\n";
    err.flush();
    if (rendered == 0 && !filters.isEmpty()) {
        err << "no scene matches " << filters.join(QLatin1Char(' ')) << "\n";
        return 1;
    }
    return failed || (strict && clipped > 0) ? 1 : 0;
}
