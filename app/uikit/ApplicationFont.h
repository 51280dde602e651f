#pragma once

#include <QStringList>

// The application's typefaces. All visible texts are Chinese, and the
// desktop's default family often has no CJK glyphs (or picks Japanese
// forms), so the Simplified Chinese family goes first and the desktop's own
// family stays as the fallback.
namespace ApplicationFont {

// "Noto Sans CJK SC", as installed by the project's setup.
QString chineseFamily();

// The families put in front of the application's default font, in order.
QStringList families();

// Makes families() the application's default font; sizes are left to the
// desktop. Call once the QGuiApplication exists.
void install();

} // namespace ApplicationFont
