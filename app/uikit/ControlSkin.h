#pragma once

#include <QColor>

#include <functional>

// Where the kit's controls read the current skin's bar colour. The shell
// points it at the skin store once at start-up; until then (and in tests
// that set nothing) the default skin's colour is used. Each control reads it
// once, when it is made, so a skin change reaches controls made afterwards.
class ControlSkin
{
public:
    static QColor barColor();
    static void setBarColorSource(std::function<QColor()> source);

    // "#10b56c", the colour of the default skin.
    static QColor defaultBarColor();
    // The named colours the controls use.
    static QColor darkGray() { return QColor(0x55, 0x55, 0x55); }
    static QColor lightGray() { return QColor(0xAA, 0xAA, 0xAA); }
    // Hover and selection fill of list rows ("F5F5F8").
    static QColor rowFill() { return QColor(0xF5, 0xF5, 0xF8); }
};
