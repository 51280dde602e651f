#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The application's own images (SVG resources under :/images), by the
// names the windows use: "login_logo", "user_default_head", "app_icon", ...
namespace AppImages {

// ":/images/<name>.svg".
QString path(const QString &name);
// Every image the application ships.
QStringList names();
// Scales to any size and desktop scale factor.
QIcon icon(const QString &name);
// The image drawn at `size` logical pixels for the device pixel ratio.
// A null pixmap for an unknown name. Drawn once per name, size, ratio (and
// tint) and kept in QPixmapCache, as views ask for them while painting.
QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio = 1.0);
// The same with its opaque pixels in the colour (an invalid colour: as drawn).
QPixmap pixmap(const QString &name, const QSize &size, const QColor &tint, qreal devicePixelRatio);

} // namespace AppImages
