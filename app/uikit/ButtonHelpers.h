#pragma once

#include <QColor>

class QAbstractButton;

// Button colouring. The colour calls combine: a button may have a title
// colour, a background and a pressed colour at once. A null button is ignored.

// Title drawn in the colour, centred.
void lp_titleColor(QAbstractButton *button, const QColor &color);
// The button's icon tinted with the colour.
void lp_tintColor(QAbstractButton *button, const QColor &color);
// Borderless; filled with the colour while pressed.
void lp_highlightColor(QAbstractButton *button, const QColor &color);
// Borderless; filled with the colour.
void lp_backgroundColor(QAbstractButton *button, const QColor &color);
// Rounds the corners of the button's fill (used with lp_backgroundColor).
void lp_cornerRadius(QAbstractButton *button, int radius);
