#include "app/uikit/AppImages.h"

#include "app/uikit/ImageHelpers.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>

namespace AppImages {

QString path(const QString &name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

QStringList names()
{
    return {
        QStringLiteral("app_icon"),   QStringLiteral("home_settings"),     QStringLiteral("list_empty"),
        QStringLiteral("login_logo"), QStringLiteral("title_records"),     QStringLiteral("title_search"),
        QStringLiteral("title_sync"), QStringLiteral("user_default_head"), QStringLiteral("window_close")};
}

QIcon icon(const QString &name)
{
    if (!QFile::exists(path(name)))
        return QIcon();
    return QIcon(path(name));
}

namespace {

QPixmap render(const QString &name, const QSize &size, const QColor &tint, qreal devicePixelRatio)
{
    if (size.isEmpty() || devicePixelRatio <= 0 || !QFile::exists(path(name)))
        return QPixmap();
    // Rendered through the image reader so that the size is exact (an icon
    // never scales up past the SVG's own size).
    QImage image(path(name));
    if (image.isNull())
        return QPixmap();
    const QSize device = (QSizeF(size) * devicePixelRatio).toSize();
    QImage scaled(device, QImage::Format_ARGB32_Premultiplied);
    scaled.fill(Qt::transparent);
    {
        QIcon source(path(name));
        QPainter painter(&scaled);
        source.paint(&painter, QRect(QPoint(), device));
    }
    if (tint.isValid())
        scaled = lp_imageTintedWithColor(scaled, tint);
    QPixmap out = QPixmap::fromImage(scaled);
    out.setDevicePixelRatio(devicePixelRatio);
    return out;
}

} // namespace

QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    return pixmap(name, size, QColor(), devicePixelRatio);
}

QPixmap pixmap(const QString &name, const QSize &size, const QColor &tint, qreal devicePixelRatio)
{
    // The ratio in full: 1.25 and 1.5 are different pixmaps.
    const QString key = QStringLiteral("AppImages/%1/%2x%3@%4/%5")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio, 0, 'g', 17)
                            .arg(tint.isValid() ? tint.name(QColor::HexArgb) : QString());
    QPixmap out;
    if (QPixmapCache::find(key, &out))
        return out;
    out = render(name, size, tint, devicePixelRatio);
    if (!out.isNull())
        QPixmapCache::insert(key, out);
    return out;
}

} // namespace AppImages
