#include "app/uikit/ViewHelpers.h"

#include <QWidget>

void setX(QWidget *view, int x)
{
    if (view)
        view->move(x, view->y());
}

void setY(QWidget *view, int y)
{
    if (view)
        view->move(view->x(), y);
}

void setWidth(QWidget *view, int width)
{
    if (view)
        view->resize(width, view->height());
}

void setHeight(QWidget *view, int height)
{
    if (view)
        view->resize(view->width(), height);
}

void setSize(QWidget *view, const QSize &size)
{
    if (view)
        view->resize(size);
}
