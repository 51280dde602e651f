#include "app/uikit/AppImages.h"

#include <QFile>
#include <QImage>
#include <QPainter>

namespace AppImages {

QString path(const QString &name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

QStringList names()
{
    return {QStringLiteral("app_icon"),      QStringLiteral("home_settings"), QStringLiteral("login_logo"),
            QStringLiteral("title_records"), QStringLiteral("title_search"),  QStringLiteral("title_sync"),
            QStringLiteral("user_default_head"), QStringLiteral("window_close")};
}

QIcon icon(const QString &name)
{
    if (!QFile::exists(path(name)))
        return QIcon();
    return QIcon(path(name));
}

QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    if (size.isEmpty() || !QFile::exists(path(name)))
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
    QPixmap out = QPixmap::fromImage(scaled);
    out.setDevicePixelRatio(devicePixelRatio);
    return out;
}

} // namespace AppImages
