#include "notes/search/view/SearchLogRowDelegate.h"

#include "notes/search/presenter/NoteSearchModel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace {

const QColor timeColor(0x9b, 0x9b, 0x9b);
const QColor addedColor(0x24, 0x8f, 0xd8);
const QColor removedColor(0x99, 0x99, 0x99);
const QColor strikeColor(0xe3, 0x5d, 0x5d);
const QColor separatorColor(0xf5, 0xf5, 0xf8);

QFont pixelFont(int px)
{
    QFont f = QApplication::font();
    f.setPixelSize(px);
    return f;
}

struct Badge
{
    QString text;
    QColor color;
};

Badge badgeFor(int actionType)
{
    switch (actionType) {
    case 1:
        return {QStringLiteral("新增"), QColor(0xe3, 0x8a, 0x04)};
    case 2:
        return {QStringLiteral("修改"), QColor(0x24, 0x8f, 0xd8)};
    case 3:
        return {QStringLiteral("删除"), QColor(0xe3, 0x5d, 0x5d)};
    default:
        return {QStringLiteral("管理"), QColor(0x6e, 0x6e, 0x6e)};
    }
}

struct Span
{
    int start = 0;
    int length = 0;
};

// The spans of one type, clamped to the text (the service's indices are not trusted).
QList<Span> spans(const QVariant &items, int type, int textLength)
{
    QList<Span> out;
    for (const QVariant &v : items.toList()) {
        const QVariantMap m = v.toMap();
        if (m.value(QStringLiteral("diffType")).toInt() != type)
            continue;
        const qint64 start = m.value(QStringLiteral("diffStartIndex")).toLongLong();
        const qint64 length = m.value(QStringLiteral("diffLength")).toLongLong();
        if (start < 0 || length <= 0 || start >= textLength)
            continue;
        out.append(Span{int(start), int(std::min<qint64>(length, textLength - start))});
    }
    return out;
}

} // namespace

SearchLogRowDelegate::SearchLogRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_textFont(pixelFont(13)), m_smallFont(pixelFont(12))
{
}

qreal SearchLogRowDelegate::layOut(QTextLayout &layout, int width) const
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFont(m_textFont);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

int SearchLogRowDelegate::textHeight(const QString &text, int rowWidth) const
{
    const QString key = QString::number(rowWidth) + u'/' + text;
    const auto it = m_heights.constFind(key);
    if (it != m_heights.cend())
        return *it;
    QTextLayout layout(text);
    const int h = std::max(17, int(std::ceil(layOut(layout, rowWidth - TextInset))));
    if (m_heights.size() > 4000)
        m_heights.clear();
    m_heights.insert(key, h);
    return h;
}

QSize SearchLogRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int width = option.rect.width() > 0 ? option.rect.width() : 300;
    return QSize(width, textHeight(index.data(NoteSearchModel::ContentRole).toString(), width) + TopPart);
}

void SearchLogRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    painter->save();
    const QRect r = option.rect;
    painter->fillRect(r, Qt::white);
    const int left = r.x() + 30;

    // The head: time, category, the kind of change.
    painter->setFont(m_smallFont);
    const QFontMetrics small(m_smallFont);
    const QString time = index.data(NoteSearchModel::CreateTimeRole).toString();
    const QString category = index.data(NoteSearchModel::ClassifyNameRole).toString();
    const int headY = r.y() + 12;
    painter->setPen(timeColor);
    const int timeWidth = small.horizontalAdvance(time);
    painter->drawText(QRect(left, headY, timeWidth, 17), Qt::AlignLeft | Qt::AlignVCenter, time);
    const Badge badge = badgeFor(index.data(NoteSearchModel::ActionTypeRole).toInt());
    const int badgeWidth = small.horizontalAdvance(badge.text) + 10;
    const QRect badgeRect(r.right() - 30 - badgeWidth, headY, badgeWidth, 17);
    const int categoryLeft = left + timeWidth + 12;
    const QString shownCategory =
        small.elidedText(category, Qt::ElideRight, std::max(0, badgeRect.left() - 8 - categoryLeft));
    painter->drawText(QRect(categoryLeft, headY, std::max(0, badgeRect.left() - 8 - categoryLeft), 17),
                      Qt::AlignLeft | Qt::AlignVCenter, shownCategory);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(badge.color);
    painter->drawRoundedRect(badgeRect, 3, 3);
    painter->setPen(Qt::white);
    painter->drawText(badgeRect, Qt::AlignCenter, badge.text);

    // The text with its spans.
    const QString text = index.data(NoteSearchModel::ContentRole).toString();
    const QVariant items = index.data(NoteSearchModel::DiffItemsRole);
    QList<Span> removed;
    QList<QTextLayout::FormatRange> formats;
    if (items.isValid() && !items.isNull()) {
        removed = spans(items, 2, int(text.size()));
        for (const Span &s : spans(items, 1, int(text.size()))) {
            QTextCharFormat f;
            f.setForeground(addedColor);
            formats.append({s.start, s.length, f});
        }
    } else if (index.data(NoteSearchModel::ActionTypeRole).toInt() == 3 && !text.isEmpty()) {
        removed.append(Span{0, int(text.size())});
    }
    for (const Span &s : removed) {
        QTextCharFormat f;
        f.setForeground(removedColor);
        formats.append({s.start, s.length, f});
    }
    QTextLayout layout(text);
    layout.setFormats(formats);
    layOut(layout, r.width() - TextInset);
    const QPointF origin(left, r.y() + TopPart - 6);
    painter->setPen(QColor(0x33, 0x33, 0x33));
    painter->setClipRect(r);
    layout.draw(painter, origin);
    // Removed text is struck through in its own colour, apart from the text's.
    painter->setPen(QPen(strikeColor, 1));
    painter->setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const int lineStart = line.textStart();
        const int lineEnd = lineStart + line.textLength();
        const qreal y = origin.y() + line.y() + line.ascent() * 0.65;
        for (const Span &s : removed) {
            const int from = std::max(s.start, lineStart);
            const int to = std::min(s.start + s.length, lineEnd);
            if (from >= to)
                continue;
            painter->drawLine(QPointF(origin.x() + line.cursorToX(from), y), QPointF(origin.x() + line.cursorToX(to), y));
        }
    }
    painter->setClipping(false);
    painter->fillRect(QRect(r.x(), r.bottom(), r.width(), 1), separatorColor);
    painter->restore();
}
