#pragma once

#include "app/uikit/MouseView.h"

// A framed box that tells its owner when the mouse enters and leaves it.
class MouseBoxView : public MouseView
{
    Q_OBJECT
public:
    explicit MouseBoxView(QWidget *parent = nullptr);
};
