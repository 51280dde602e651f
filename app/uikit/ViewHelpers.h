#pragma once

#include <QSize>

class QWidget;

// Frame setters that change one part of a widget's geometry and keep the
// rest. The readers are QWidget's own x(), y(), width(), height(), size().
// A null widget is ignored.
void setX(QWidget *view, int x);
void setY(QWidget *view, int y);
void setWidth(QWidget *view, int width);
void setHeight(QWidget *view, int height);
void setSize(QWidget *view, const QSize &size);
