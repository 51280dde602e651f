#include "notes/records/view/NoteCompleteRowDelegate.h"

#include "app/uikit/AppImages.h"
#include "notes/records/presenter/NoteCompleteListModel.h"

#include <QApplication>
#include <QPainter>

namespace {

const QColor textColor(0x33, 0x33, 0x33);
const QColor timeColor(0x99, 0x99, 0x99);
const QColor statusColor(0x4d, 0xb3, 0x97);
const QColor pastBadge(0xff, 0x33, 0x00);
const QColor futureBadge(0xad, 0xad, 0xad);
const QColor separatorColor(0xf5, 0xf5, 0xf8);

constexpr int top = 8;
constexpr int minTextHeight = 17;
constexpr int lineGap = 6;
constexpr int infoHeight = 17;
constexpr int markSize = 14;
constexpr int textFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

QFont pixelFont(int px)
{
    QFont f = QApplication::font();
    f.setPixelSize(px);
    return f;
}

} // namespace

NoteCompleteRowDelegate::NoteCompleteRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_textFont(pixelFont(13)), m_timeFont(pixelFont(12)),
      m_statusFont(pixelFont(11))
{
}

int NoteCompleteRowDelegate::textHeight(const QString &text, int rowWidth) const
{
    const int width = std::max(1, rowWidth - TextMargin);
    const QFontMetrics fm(m_textFont);
    const int h = fm.boundingRect(QRect(0, 0, width, 1 << 20), textFlags, text).height();
    return std::max(minTextHeight, h);
}

int NoteCompleteRowDelegate::rowHeight(const QString &text, int rowWidth) const
{
    return textHeight(text, rowWidth) + 38;
}

QSize NoteCompleteRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int width = option.rect.width();
    const qint64 key = index.data(NoteCompleteListModel::KeyRole).toLongLong();
    const QString text = index.data().toString();
    Height &h = m_heights[key];
    if (h.width != width || h.text != text) {
        h.width = width;
        h.text = text;
        h.height = rowHeight(text, width);
    }
    return QSize(width, h.height);
}

void NoteCompleteRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const QRect row = option.rect;
    const QString text = index.data().toString();
    const int textH = textHeight(text, row.width());
    painter->save();
    painter->fillRect(row, Qt::white);
    painter->setRenderHint(QPainter::Antialiasing, true);

    // The badge beside the first line.
    const QFontMetrics fm(m_textFont);
    const qreal badgeY = row.y() + top + (fm.height() - 5) / 2.0;
    painter->setPen(Qt::NoPen);
    painter->setBrush(index.data(NoteCompleteListModel::FutureRole).toBool() ? futureBadge : pastBadge);
    painter->drawRoundedRect(QRectF(row.x() + 16, badgeY, 5, 5), 2.5, 2.5);

    painter->setFont(m_textFont);
    painter->setPen(textColor);
    const QRect textRect(row.x() + TextLeft, row.y() + top, std::max(1, row.width() - TextMargin), textH);
    painter->drawText(textRect, textFlags, text);

    // The completion line: mark, time, status.
    const int infoY = textRect.bottom() + 1 + lineGap;
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    auto mark = m_marks.find(dpr);
    if (mark == m_marks.end())
        mark = m_marks.insert(
            dpr, AppImages::pixmap(QStringLiteral("note_complete"), QSize(markSize, markSize), dpr));
    const QRect markRect(row.x() + TextLeft, infoY + (infoHeight - markSize) / 2, markSize, markSize);
    painter->drawPixmap(markRect, *mark);

    painter->setFont(m_timeFont);
    painter->setPen(timeColor);
    const QString time = index.data(NoteCompleteListModel::CompletedTimeTextRole).toString();
    const QFontMetrics tm(m_timeFont);
    const int statusRoom = QFontMetrics(m_statusFont).horizontalAdvance(QStringLiteral("完成")) + 10 + 8;
    const int timeLeft = markRect.right() + 1 + 6;
    const int timeRoom = std::max(0, row.right() - 23 - statusRoom - timeLeft);
    const QString shownTime = tm.elidedText(time, Qt::ElideRight, timeRoom);
    const int timeWidth = tm.horizontalAdvance(shownTime);
    painter->drawText(QRect(timeLeft, infoY, timeWidth + 1, infoHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      shownTime);

    const QString status = index.data(NoteCompleteListModel::StatusRole).toString();
    const QFontMetrics sm(m_statusFont);
    const QRect statusRect(timeLeft + timeWidth + 8, infoY + 1, sm.horizontalAdvance(status) + 10,
                           infoHeight - 2);
    painter->setPen(Qt::NoPen);
    painter->setBrush(statusColor);
    painter->drawRoundedRect(QRectF(statusRect), 2, 2);
    painter->setFont(m_statusFont);
    painter->setPen(Qt::white);
    painter->drawText(statusRect, Qt::AlignCenter, status);

    painter->fillRect(QRect(row.x(), row.bottom(), row.width(), 1), separatorColor);
    painter->restore();
}
