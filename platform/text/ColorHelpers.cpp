#include "platform/text/ColorHelpers.h"

#include <algorithm>

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

QColor colorWithHexString(const QString &text)
{
    return colorWithHexString(text, 1.0);
}

QColor colorWithHexString(const QString &text, qreal alpha)
{
    const QColor clear(0, 0, 0, 0);
    QString s = text.trimmed().toUpper();
    if (s.size() < 6)
        return clear;
    if (s.startsWith(u'#'))
        s.remove(0, 1);
    if (s.startsWith(u"0X"))
        s.remove(0, 2);
    if (s.size() != 6)
        return clear;
    // Like a hex scanner: reads the leading hex digits and stops at the first
    // other character; no digit at all is not a colour.
    qint64 value = 0;
    int digits = 0;
    for (QChar c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            break;
        value = value * 16 + d;
        ++digits;
    }
    if (digits == 0)
        return clear;
    return colorWithHex(value, alpha);
}

QColor colorWithHex(qint64 value, qreal alpha)
{
    if (value < 0 || value >= 0x1000000)
        return QColor();
    QColor c;
    c.setRgbF(((value >> 16) & 0xFF) / 255.0f, ((value >> 8) & 0xFF) / 255.0f, (value & 0xFF) / 255.0f,
              std::clamp<float>(alpha, 0.0f, 1.0f));
    return c;
}
