#include "app/shell/MainFrameWindow.h"

#include <QLabel>
#include <QVBoxLayout>

MainFrameWindow::MainFrameWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Prelvane"));
    setMinimumSize(720, 480);
    resize(defaultSize());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF5, 0xF5, 0xF8));
    setPalette(pal);
    auto *layout = new QVBoxLayout(this);
    auto *empty = new QLabel(QStringLiteral("已登录"), this);
    empty->setObjectName(QStringLiteral("mainWindowEmpty"));
    empty->setStyleSheet(QStringLiteral("color:#AAAAAA;font-size:14px;"));
    layout->addWidget(empty, 0, Qt::AlignCenter);
}
