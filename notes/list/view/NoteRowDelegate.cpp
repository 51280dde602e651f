#include "notes/list/view/NoteRowDelegate.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/HomeRowDelegate.h"
#include "notes/list/presenter/NoteListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const QColor separatorColor(0xf5, 0xf5, 0xf8);
const QColor dateColor(0x9b, 0x9b, 0x9b);
constexpr int lineHeight = 15;

// A font of `px` pixels; the sizes are given in pixels, some of them fractional.
QFont pixelFont(qreal px)
{
    QFont f = QApplication::font();
    f.setPointSizeF(px * 72.0 / 96.0);
    return f;
}

} // namespace

const QPixmap &NoteRowDelegate::image(const QString &name, const QSize &size, qreal devicePixelRatio) const
{
    const QString key = name + u'/' + QString::number(size.width()) + u'x' + QString::number(size.height()) +
                        u'@' + QString::number(devicePixelRatio);
    auto it = m_images.find(key);
    if (it == m_images.end())
        it = m_images.insert(key, AppImages::pixmap(name, size, devicePixelRatio));
    return *it;
}

void NoteRowDelegate::drawImage(QPainter *painter, const QString &name, const QRect &rect) const
{
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, image(name, rect.size(), dpr));
}

NoteRowDelegate::NoteRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_noteFont(pixelFont(12.5)), m_dateFont(pixelFont(11))
{
}

NoteRowDelegate::Geometry NoteRowDelegate::geometry(const NoteRowLook &look, const QRect &row) const
{
    Geometry g;
    const int x = row.x();
    const int w = row.width();
    // Without the reminder line the note line sits in the middle of the row.
    const int top = row.y() + (look.showLine ? 8 : (row.height() - 1 - 16) / 2);
    g.dot = QRectF(x + 8, top + 5, 5, 5);
    const int textLeft = x + 8 + 5 + 8;
    const int textRight = x + w - 8 - (look.showSyncIcon ? 14 : 0);
    g.text = QRect(textLeft, top, std::max(0, textRight - textLeft), 16);
    if (look.showSyncIcon)
        g.syncIcon = QRect(textRight, row.y() + 2, 14, 14);
    if (look.showLine) {
        const int lineTop = top + 16 + 8;
        const int mid = lineTop + lineHeight / 2;
        g.lineIcon = QRect(x + 8, mid - 6, 12, 12);
        const QFontMetrics fm(m_dateFont);
        const int dateLeft = g.lineIcon.right() + 1 + 2;
        const int intervalRight = x + w - 52;
        // A pixel or two more than measured: elidedText() measures in fractions and cut a text that fits.
        const int dateWidth =
            std::min(fm.horizontalAdvance(look.dateText) + 2, std::max(0, intervalRight - dateLeft));
        g.dateText = QRect(dateLeft, lineTop, dateWidth, lineHeight);
        const int intervalLeft = g.dateText.right() + 1 + 2;
        g.intervalText = QRect(intervalLeft, lineTop, std::max(0, intervalRight - intervalLeft), lineHeight);
        if (look.showDelay)
            g.delay = QRect(x + w - 8 - 14, mid - 7, 14, 14);
        if (look.showStar)
            g.star = QRect(x + w - look.starRight - 14, mid - 7 + 1, 14, 14);
    }
    g.separator = QRect(x, row.bottom(), w, 1);
    return g;
}

void NoteRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const QVariant value = index.data(NoteListModel::LookRole);
    if (!value.isValid())
        return;
    const NoteRowLook look = value.value<NoteRowLook>();
    painter->save();
    HomeRowDelegate::paintRowBackground(painter, option, true);
    const Geometry g = geometry(look, option.rect);
    painter->setRenderHint(QPainter::Antialiasing, true);

    painter->setPen(Qt::NoPen);
    painter->setBrush(look.dotColor);
    painter->drawRoundedRect(g.dot, 2.5, 2.5);

    painter->setFont(m_noteFont);
    const QFontMetricsF fm(m_noteFont);
    const QString text = fm.elidedText(look.text, Qt::ElideRight, g.text.width());
    painter->setPen(look.textColor);
    painter->drawText(g.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    if (look.strikeColor.isValid() && !text.isEmpty()) {
        const qreal baseline = g.text.top() + (g.text.height() - fm.height()) / 2.0 + fm.ascent();
        const qreal y = baseline - fm.xHeight() / 2.0;
        painter->setPen(QPen(look.strikeColor, 1));
        painter->drawLine(QPointF(g.text.left(), y), QPointF(g.text.left() + fm.horizontalAdvance(text), y));
    }
    if (look.showSyncIcon)
        drawImage(painter, QStringLiteral("note_sync_no"), g.syncIcon);

    if (look.showLine) {
        if (look.lineIcon != NoteRowLook::LineIcon::None)
            drawImage(painter,
                      look.lineIcon == NoteRowLook::LineIcon::Date ? QStringLiteral("note_date")
                                                                   : QStringLiteral("note_wifi"),
                      g.lineIcon);
        painter->setFont(m_dateFont);
        painter->setPen(dateColor);
        const QFontMetrics dm(m_dateFont);
        painter->drawText(g.dateText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          dm.elidedText(look.dateText, Qt::ElideRight, g.dateText.width()));
        painter->drawText(g.intervalText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          dm.elidedText(look.intervalText, Qt::ElideRight, g.intervalText.width()));
        if (look.showDelay)
            drawImage(painter, QStringLiteral("note_delay"), g.delay);
        if (look.showStar)
            drawImage(painter, QStringLiteral("note_star"), g.star);
    }
    painter->fillRect(g.separator, separatorColor);
    painter->restore();
}

QSize NoteRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QSize(option.rect.width(), index.data(NoteListModel::HeightRole).toInt());
}

bool NoteRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const NoteRowLook look = index.data(NoteListModel::LookRole).value<NoteRowLook>();
    const Geometry g = geometry(look, option.rect);
    QString tip;
    if (look.showStar && g.star.contains(event->pos()))
        tip = look.starTip;
    else if (look.showDelay && g.delay.contains(event->pos()))
        tip = look.delayTip;
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport(),
                       look.showStar && g.star.contains(event->pos()) ? g.star : g.delay);
    return true;
}
