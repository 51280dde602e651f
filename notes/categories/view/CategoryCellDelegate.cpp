#include "notes/categories/view/CategoryCellDelegate.h"

#include "notes/categories/presenter/CategoryListModel.h"

#include <QPainter>

CategoryCellDelegate::CategoryCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QSize CategoryCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), RowHeight};
}

void CategoryCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected || (option.state & QStyle::State_MouseOver))
        painter->fillRect(r, selected ? QColor(0xF5, 0xF5, 0xF8) : QColor(0xFA, 0xFA, 0xFB));
    if (index.row() == m_menuRow) {
        painter->setPen(QPen(QColor(0x0A, 0x84, 0xFF), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    QColor swatch(index.data(CategoryListModel::ColorRole).toString());
    if (!swatch.isValid())
        swatch = QColor(0xCC, 0xCC, 0xCC);
    painter->setPen(Qt::NoPen);
    painter->setBrush(swatch);
    painter->drawRoundedRect(QRectF(r.left() + 16, r.center().y() - 5.5, 11, 11), 2, 2);

    const bool due = index.data(CategoryListModel::DueRole).toBool();
    const int dot = 8;
    QFont font = option.font;
    font.setPixelSize(13);
    font.setBold(selected);
    painter->setFont(font);
    painter->setPen(QColor(0x33, 0x33, 0x33));
    const QRect text(r.left() + 36, r.top(), r.width() - 36 - (due ? dot + 20 : 12), r.height());
    const QString name =
        QFontMetrics(font).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width());
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, name);
    if (due) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0xFF, 0x33, 0x00));
        painter->drawEllipse(QRectF(r.right() - 14 - dot, r.center().y() - dot / 2.0, dot, dot));
    }
    painter->restore();
}
