#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

// A copy of the image whose opaque pixels take the colour (transparent ones
// stay transparent); an invalid colour gives the plain copy.
QImage lp_imageTintedWithColor(const QImage &image, const QColor &color);
// An image of the size filled with the colour.
QImage lp_getImageWithColor(const QColor &color, const QSize &size);
