#include "app/shell/AccountRowDelegate.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/HomeRowDelegate.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kRowHeight = 34;
constexpr int kAvatar = 24;
} // namespace

QRect AccountRowDelegate::removeRect(const QRect &row)
{
    return QRect(row.right() - 27, row.top() + (row.height() - 20) / 2, 20, 20);
}

void AccountRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect;
    painter->fillRect(r, Qt::white);
    const bool hovered = option.state & QStyle::State_MouseOver;
    HomeRowDelegate::paintRowBackground(painter, option, false);

    const QRect avatar(r.left() + 10, r.top() + (r.height() - kAvatar) / 2, kAvatar, kAvatar);
    painter->drawPixmap(avatar,
                        AppImages::pixmap(QStringLiteral("user_default_head"), QSize(kAvatar, kAvatar),
                                          painter->device()->devicePixelRatioF()));

    QFont font = option.font;
    font.setPixelSize(13);
    painter->setFont(font);
    painter->setPen(QColor(0x33, 0x33, 0x33));
    const QRect text(avatar.right() + 10, r.top(), removeRect(r).left() - avatar.right() - 16, r.height());
    const QString name = index.data().toString();
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                      painter->fontMetrics().elidedText(name, Qt::ElideMiddle, text.width()));

    if (hovered) {
        const QRectF cross = QRectF(removeRect(r)).adjusted(6, 6, -6, -6);
        painter->setPen(QPen(QColor(0x80, 0x80, 0x80), 1.4, Qt::SolidLine, Qt::RoundCap));
        painter->drawLine(cross.topLeft(), cross.bottomRight());
        painter->drawLine(cross.topRight(), cross.bottomLeft());
    }
    painter->setPen(QColor(0xEE, 0xEE, 0xEE));
    painter->drawLine(r.left() + 10, r.bottom(), r.right() - 10, r.bottom());
    painter->restore();
}

QSize AccountRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), kRowHeight};
}

bool AccountRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                     const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            removeRect(option.rect).contains(mouse->position().toPoint())) {
            if (event->type() == QEvent::MouseButtonRelease)
                emit removeClicked(index.row());
            return true; // the cross is not a choice of the row
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
