#pragma once

#include <QColor>
#include <QString>

// Colours written as hex text ("F5F5F8", "#10b56c", "0x10B56C").

// colorWithHexString(text, 1.0).
QColor colorWithHexString(const QString &text);
// The clear colour (transparent black) for text that is not a colour.
QColor colorWithHexString(const QString &text, qreal alpha);
// Red from bits 16-23, green 8-15, blue 0-7. An invalid QColor (the "no
// colour" answer) for values outside 0 ... 0xFFFFFF.
QColor colorWithHex(qint64 value, qreal alpha);
