// Scenes of the shared interface kit.

#include "app/uikit/AppImages.h"
#include "app/uikit/BorderTextField.h"
#include "app/uikit/CustomButton.h"
#include "app/uikit/EmptyView.h"
#include "app/uikit/HomeRowDelegate.h"
#include "app/uikit/PopoverView.h"
#include "app/uikit/TintButton.h"
#include "app/uikit/TipButton.h"
#include "tests/screenshots/ScreenshotScene.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

QWidget *whitePanel(int width, int height)
{
    auto *panel = new QWidget;
    panel->resize(width, height);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    return panel;
}

void hover(QWidget *widget)
{
    QEnterEvent event(QPointF(1, 1), widget->mapTo(widget->window(), QPointF(1, 1)),
                      widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &event);
}

TipButton *tipButton(QWidget *parent, const QString &tip, int position, QPoint at)
{
    auto *button = new TipButton(parent);
    button->setIcon(AppImages::icon(QStringLiteral("home_settings")));
    button->setIconSize(QSize(20, 20));
    button->setFlat(true);
    button->setGeometry(QRect(at, QSize(28, 28)));
    button->setTipTitle(tip);
    button->setPosition(position);
    button->show();
    return button;
}

} // namespace

SCREENSHOT_SCENE(uikit_empty_view)
{
    QWidget *list = whitePanel(320, 360);
    EmptyView *empty = EmptyView::showEmptyView();
    empty->text = QStringLiteral("暂无便签，点击右上角添加");
    empty->attachTo(list);
    empty->show();
    return list;
}

SCREENSHOT_SCENE(uikit_controls)
{
    QWidget *panel = whitePanel(360, 260);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto *field = new BorderTextField(panel);
    field->setPlaceholderText(QStringLiteral("请输入账号"));
    layout->addWidget(field);
    auto *filled = new BorderTextField(panel);
    filled->setText(QStringLiteral("便签内容：下午三点开会"));
    layout->addWidget(filled);

    auto *buttons = new QHBoxLayout;
    auto *login = new CustomButton(QStringLiteral("登录"), panel);
    auto *agree = new CustomButton(QStringLiteral("同意"), panel);
    agree->setLp_bgColor(QColor(0xFF, 0x3B, 0x30));
    auto *off = new CustomButton(QStringLiteral("不可用"), panel);
    off->setEnabled(false);
    auto *pressed = new CustomButton(QStringLiteral("按下"), panel);
    pressed->setDown(true);
    for (CustomButton *button : {login, agree, off, pressed})
        buttons->addWidget(button);
    layout->addLayout(buttons);

    auto *icons = new QHBoxLayout;
    for (const char *name : {"window_close", "home_settings", "title_search"}) {
        auto *tint = new TintButton(panel);
        tint->setIcon(AppImages::icon(QString::fromLatin1(name)));
        tint->setIconSize(QSize(20, 20));
        icons->addWidget(tint);
    }
    for (const char *name : {"app_icon", "login_logo", "user_default_head"}) {
        auto *image = new QLabel(panel);
        image->setPixmap(
            AppImages::pixmap(QString::fromLatin1(name), QSize(48, 48), panel->devicePixelRatioF()));
        icons->addWidget(image);
    }
    icons->addStretch();
    layout->addLayout(icons);
    layout->addStretch();
    return panel;
}

SCREENSHOT_SCENE(uikit_tips_around)
{
    // Eight controls, each showing its bubble on another side.
    QWidget *panel = whitePanel(560, 320);
    panel->show();
    const struct
    {
        const char *text;
        int position;
        QPoint at;
    } tips[] = {
        {"下右：时间管理", 0, {60, 40}},       {"上右：搜索", 1, {60, 260}},
        {"上左：同步", 2, {480, 260}},         {"下左：设置", 3, {480, 40}},
        {"上方居中：新建分类", 4, {270, 260}}, {"下方居中：编辑", 5, {270, 40}},
        {"左侧居中：删除便签", 6, {480, 150}}, {"右侧居中：完成", 7, {60, 150}},
    };
    for (const auto &tip : tips)
        hover(tipButton(panel, QString::fromUtf8(tip.text), tip.position, tip.at));
    return panel;
}

SCREENSHOT_SCENE(uikit_tips_at_edges)
{
    // Bubbles that would leave the window go to the other side or are moved in.
    QWidget *panel = whitePanel(300, 160);
    panel->show();
    hover(tipButton(panel, QStringLiteral("右下角：移到左上"), 0, {266, 126}));
    hover(tipButton(panel, QStringLiteral("左上角：居中上方"), 4, {4, 4}));
    return panel;
}

SCREENSHOT_SCENE(uikit_popover_above)
{
    QWidget *window = whitePanel(420, 300);
    auto *settings = new TintButton(window);
    settings->setIcon(AppImages::icon(QStringLiteral("home_settings")));
    settings->setIconSize(QSize(20, 20));
    settings->setGeometry(30, 256, 28, 28);
    window->show();
    PopoverView *popover = PopoverView::shareView();
    popover->showAtView(settings, 3);
    popover->setTitles({QStringLiteral("设置"), QStringLiteral("退出")});
    popover->tableView()->setCurrentIndex(popover->tableView()->model()->index(0, 0));
    return window;
}

SCREENSHOT_SCENE(uikit_row_list)
{
    QWidget *panel = whitePanel(240, 200);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *view = new QListView(panel);
    view->setFrameShape(QFrame::NoFrame);
    auto *model = new QStringListModel({QStringLiteral("默认分类"), QStringLiteral("工作"),
                                        QStringLiteral("生活"), QStringLiteral("读书笔记")},
                                       view);
    view->setModel(model);
    HomeRowDelegate::install(view)->setRowHeight(34);
    view->setCurrentIndex(model->index(1, 0));
    layout->addWidget(view);
    return panel;
}

SCREENSHOT_SCENE(uikit_tips_long_text)
{
    QWidget *panel = whitePanel(360, 120);
    panel->show();
    hover(tipButton(panel, QStringLiteral("同步全部分类、便签和提醒到Prelvane服务"), 7, {300, 40}));
    return panel;
}

SCREENSHOT_SCENE(uikit_popover_below_three_rows)
{
    QWidget *window = whitePanel(360, 240);
    auto *anchor = new CustomButton(QStringLiteral("更多"), window);
    anchor->setGeometry(150, 16, 60, 28);
    window->show();
    PopoverView *popover = PopoverView::shareView();
    popover->setShowMaskView(false);
    popover->showAtView(anchor, 1);
    popover->setTitles({QStringLiteral("设置"), QStringLiteral("导出便签"), QStringLiteral("退出")});
    return window;
}
