#include "app/uikit/ControlSkin.h"

namespace {
std::function<QColor()> &source()
{
    static std::function<QColor()> fn;
    return fn;
}
} // namespace

QColor ControlSkin::barColor()
{
    if (source()) {
        const QColor color = source()();
        if (color.isValid())
            return color;
    }
    return defaultBarColor();
}

void ControlSkin::setBarColorSource(std::function<QColor()> fn)
{
    source() = std::move(fn);
}

QColor ControlSkin::defaultBarColor()
{
    return QColor(0x10, 0xb5, 0x6c);
}
