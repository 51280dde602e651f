#include "app/uikit/MouseBoxView.h"

MouseBoxView::MouseBoxView(QWidget *parent) : MouseView(parent) {}
