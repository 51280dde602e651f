// Scenes of the shared interface kit.

#include "app/uikit/EmptyView.h"
#include "tests/screenshots/ScreenshotScene.h"

#include <QWidget>

SCREENSHOT_SCENE(uikit_empty_view)
{
    auto *list = new QWidget;
    list->resize(320, 360);
    list->setStyleSheet(QStringLiteral("background: white;"));
    EmptyView *empty = EmptyView::showEmptyView();
    empty->text = QStringLiteral("暂无便签，点击右上角添加");
    empty->attachTo(list);
    empty->show();
    return list;
}
