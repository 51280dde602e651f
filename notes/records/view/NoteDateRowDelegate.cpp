#include "notes/records/view/NoteDateRowDelegate.h"

#include "notes/list/view/NoteRowDelegate.h"
#include "notes/records/presenter/NoteDateGrouping.h"
#include "notes/records/presenter/NoteDateListModel.h"

#include <QApplication>
#include <QPainter>

namespace {

const QColor bandColor(247, 247, 247);
const QColor countColor(0xff, 0x3b, 0x30); // the desktop's red of the count
const QColor numberColor(0x99, 0x99, 0x99);
const QColor placeholderColor(0xad, 0xad, 0xad);
const QColor separatorColor(0xf5, 0xf5, 0xf8);

QFont pixelFont(int px, bool bold = false)
{
    QFont f = QApplication::font();
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

NoteDateListModel::Kind kindOf(const QModelIndex &index)
{
    return NoteDateListModel::Kind(index.data(NoteDateListModel::KindRole).toInt());
}

} // namespace

NoteDateRowDelegate::NoteDateRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_noteRows(new NoteRowDelegate(this)), m_nameFont(pixelFont(12)),
      m_numberFont(pixelFont(12))
{
}

QRect NoteDateRowDelegate::nameRect(const QString &name, const QRect &row) const
{
    const QFontMetrics fm(m_nameFont);
    const int w = fm.horizontalAdvance(name) + 16;
    const int h = 18;
    return QRect(row.x() + 8, row.y() + (row.height() - h) / 2, w, h);
}

QRect NoteDateRowDelegate::numberRect(const QRect &row) const
{
    return QRect(row.right() - 8 - 120, row.y(), 120, row.height());
}

void NoteDateRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    switch (kindOf(index)) {
    case NoteDateListModel::Kind::Header:
        paintHeader(painter, option, index);
        break;
    case NoteDateListModel::Kind::Placeholder:
        paintPlaceholder(painter, option, index);
        break;
    case NoteDateListModel::Kind::Note:
        m_noteRows->paint(painter, option, index);
        break;
    }
}

void NoteDateRowDelegate::paintHeader(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    painter->save();
    painter->fillRect(option.rect, bandColor);
    painter->setRenderHint(QPainter::Antialiasing, true);
    const int group = index.data(NoteDateListModel::GroupRole).toInt();
    const QString name = NoteDateGrouping::name(group);
    const QRect badge = nameRect(name, option.rect);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(NoteDateGrouping::color(group)));
    painter->drawRoundedRect(QRectF(badge), 3, 3);
    painter->setFont(m_nameFont);
    painter->setPen(Qt::white);
    painter->drawText(badge, Qt::AlignCenter | Qt::TextSingleLine, name);

    // "n/total", the count in red.
    const QString count = QString::number(index.data(NoteDateListModel::CountRole).toInt());
    const QString rest = u'/' + QString::number(index.data(NoteDateListModel::TotalRole).toInt());
    const QFontMetrics fm(m_numberFont);
    const QRect area = numberRect(option.rect);
    const int restWidth = fm.horizontalAdvance(rest);
    const int countWidth = fm.horizontalAdvance(count);
    QRect restRect(area.right() + 1 - restWidth, area.y(), restWidth, area.height());
    QRect countRect(restRect.x() - countWidth, area.y(), countWidth, area.height());
    painter->setFont(m_numberFont);
    painter->setPen(countColor);
    painter->drawText(countRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, count);
    painter->setPen(numberColor);
    painter->drawText(restRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, rest);
    painter->restore();
}

void NoteDateRowDelegate::paintPlaceholder(QPainter *painter, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    painter->save();
    painter->fillRect(option.rect, Qt::white);
    painter->setFont(m_numberFont);
    painter->setPen(placeholderColor);
    const QRect text = option.rect.adjusted(21, 0, -8, -1);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, index.data().toString());
    painter->fillRect(QRect(option.rect.x(), option.rect.bottom(), option.rect.width(), 1), separatorColor);
    painter->restore();
}

QSize NoteDateRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QSize(option.rect.width(), index.data(NoteDateListModel::HeightRole).toInt());
}

bool NoteDateRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (index.isValid() && kindOf(index) == NoteDateListModel::Kind::Note)
        return m_noteRows->helpEvent(event, view, option, index);
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
