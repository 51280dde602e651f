#include "app/uikit/RowListView.h"

#include <QListView>
#include <QPalette>

QListView *RowListView::create(const QString &objectName, QWidget *parent)
{
    auto *list = new QListView(parent);
    list->setObjectName(objectName);
    list->setFrameShape(QFrame::NoFrame);
    list->setUniformItemSizes(false);
    // The rows of the first screen are laid out and painted first, the rest in the next batches.
    list->setLayoutMode(QListView::Batched);
    list->setBatchSize(200);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette p = list->palette();
    p.setColor(QPalette::Base, Qt::white);
    list->setPalette(p);
    return list;
}
