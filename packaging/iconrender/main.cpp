// prelvane-iconrender: draws the application icon's SVG into square PNGs
// for the hicolor icon theme, at build time.
//   prelvane-iconrender <icon.svg> <out-dir> <size>...
// writes <out-dir>/<size>x<size>/prelvane.png for every size.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    // No display at build time, and none is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: prelvane-iconrender <icon.svg> <out-dir> <size>...\n");
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        std::fprintf(stderr, "prelvane-iconrender: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString name = QFileInfo(args.at(1)).completeBaseName();
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "prelvane-iconrender: bad size %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            // Keeps the drawing's proportions inside the square.
            QSizeF box = svg.defaultSize();
            box.scale(size, size, Qt::KeepAspectRatio);
            const QRectF target((size - box.width()) / 2, (size - box.height()) / 2, box.width(),
                                box.height());
            svg.render(&p, target);
        }
        const QString dir = QStringLiteral("%1/%2x%2").arg(args.at(2)).arg(size);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "prelvane-iconrender: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
