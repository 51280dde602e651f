#include "app/uikit/HomeRowDelegate.h"

#include "app/uikit/ControlSkin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

HomeRowDelegate::HomeRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

HomeRowDelegate *HomeRowDelegate::install(QAbstractItemView *view)
{
    auto *delegate = new HomeRowDelegate(view);
    view->setItemDelegate(delegate);
    view->setMouseTracking(true);
    view->viewport()->setAttribute(Qt::WA_Hover);
    return delegate;
}

QRectF HomeRowDelegate::fillRect(const QRect &row)
{
    return QRectF(row).adjusted(1, 1, -1, -1);
}

bool HomeRowDelegate::paintRowBackground(QPainter *painter, const QStyleOptionViewItem &option,
                                         bool selectionFill)
{
    // A greyed row does not light up under the mouse.
    const bool hover = (option.state & QStyle::State_MouseOver) && (option.state & QStyle::State_Enabled);
    const bool selected = selectionFill && (option.state & QStyle::State_Selected);
    if (!hover && !selected)
        return false;
    const QRectF fill = fillRect(option.rect);
    if (fill.isEmpty())
        return false;
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->fillRect(fill, ControlSkin::rowFill());
    painter->restore();
    return true;
}

void HomeRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    bool fillSelection = m_selectionFill;
    if (auto *view = qobject_cast<const QAbstractItemView *>(option.widget))
        fillSelection = fillSelection && view->selectionMode() != QAbstractItemView::NoSelection;
    paintRowBackground(painter, option, fillSelection);

    // The item's text and icon, without the style's own highlight.
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver | QStyle::State_HasFocus);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
}

QSize HomeRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (m_rowHeight > 0)
        return QSize(option.rect.width() > 0 ? option.rect.width() : 1, m_rowHeight);
    return QStyledItemDelegate::sizeHint(option, index);
}
