#include "app/uikit/ImageHelpers.h"

#include <QPainter>

QImage lp_imageTintedWithColor(const QImage &image, const QColor &color)
{
    if (image.isNull() || !color.isValid())
        return image.copy();
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(out.rect(), color);
    p.end();
    return out;
}

QImage lp_getImageWithColor(const QColor &color, const QSize &size)
{
    if (size.isEmpty())
        return QImage();
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(color.isValid() ? color : QColor(Qt::transparent));
    return out;
}
