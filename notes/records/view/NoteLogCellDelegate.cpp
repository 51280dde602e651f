#include "notes/records/view/NoteLogCellDelegate.h"

#include "app/uikit/AppImages.h"
#include "notes/records/presenter/NoteLogCell.h"
#include "notes/records/presenter/NoteLogCellLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// The text's line breaks as QTextLayout takes them (the same number of units).
QString layoutText(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator);
}

bool hasBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QChar::LineSeparator) ||
           text.contains(QChar::ParagraphSeparator) || text.contains(QLatin1Char('\r'));
}

} // namespace

NoteLogCellDelegate::NoteLogCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void NoteLogCellDelegate::setRowWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    m_heights.clear();
    emit sizeHintChanged(QModelIndex());
}

int NoteLogCellDelegate::measure(const NoteLogCell &cell, int width) const
{
    const QString &text = cell.text.text();
    auto a = m_advances.find(cell.key);
    if (a == m_advances.end() || a->text != text) {
        const qreal advance =
            hasBreak(text) ? -1 : QFontMetricsF(NoteLogCellLayout::textFont()).horizontalAdvance(text);
        a = m_advances.insert(cell.key, Measure{text, advance, nullptr});
    }
    // One line that fits (with a pixel to spare for rounding) needs no layout.
    const int wrapWidth = NoteLogCellLayout::textWidth(width);
    if (a->advance >= 0 && a->advance + 1 <= wrapWidth) {
        const qreal line = QFontMetricsF(NoteLogCellLayout::textFont()).lineSpacing();
        return std::max(NoteLogCellLayout::MinTextHeight, int(std::ceil(line))) + NoteLogCellLayout::Chrome;
    }
    if (!a->layout) {
        a->layout = std::make_shared<QTextLayout>(layoutText(text), NoteLogCellLayout::textFont());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        a->layout->setTextOption(option);
        a->layout->setCacheEnabled(true);
    }
    // The lines as NoteLogCellLayout measures them: each the font's line spacing.
    int lines = 0;
    a->layout->beginLayout();
    for (QTextLine line = a->layout->createLine(); line.isValid(); line = a->layout->createLine(), ++lines)
        line.setLineWidth(wrapWidth);
    a->layout->endLayout();
    const qreal spacing = QFontMetricsF(NoteLogCellLayout::textFont()).lineSpacing();
    return std::max(NoteLogCellLayout::MinTextHeight, int(std::ceil(std::max(1, lines) * spacing))) +
           NoteLogCellLayout::Chrome;
}

int NoteLogCellDelegate::rowHeight(const NoteLogCell &cell) const
{
    auto h = m_heights.find(cell.key);
    if (h != m_heights.end() && h->text == cell.text.text())
        return h->height;
    const int height = measure(cell, m_width);
    m_heights.insert(cell.key, Height{cell.text.text(), height});
    return height;
}

QSize NoteLogCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant v = index.data(NoteLogCell::Role);
    if (!v.canConvert<NoteLogCell>())
        return QStyledItemDelegate::sizeHint(option, index);
    const NoteLogCell cell = v.value<NoteLogCell>();
    const int width = m_width > 0 ? m_width : option.rect.width();
    if (width != m_width)
        return QSize(width, measure(cell, width));
    return QSize(width, rowHeight(cell));
}

void NoteLogCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QVariant v = index.data(NoteLogCell::Role);
    if (!v.canConvert<NoteLogCell>())
        return;
    const NoteLogCell cell = v.value<NoteLogCell>();
    const QRect row = option.rect;
    const QString badge = cell.badge();
    const NoteLogCellLayout::Geometry g =
        NoteLogCellLayout::geometry(row, cell.createTime, cell.classifyName, badge);

    painter->save();
    painter->fillRect(row, Qt::white);
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap image =
        AppImages::pixmap(NoteLogCell::terminalImage(cell.terminalId), g.terminal.size(), dpr);
    if (!image.isNull())
        painter->drawPixmap(g.terminal, image);

    painter->setFont(NoteLogCellLayout::headFont());
    const QFontMetrics head(painter->font());
    painter->setPen(QColor(TimeColor));
    painter->drawText(g.time, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      head.elidedText(cell.createTime, Qt::ElideRight, g.time.width()));
    painter->setPen(QColor(ClassColor));
    painter->drawText(g.className, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      head.elidedText(cell.classifyName, Qt::ElideRight, g.className.width()));

    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(NoteLogCell::badgeColor(cell.actionType));
    painter->drawRoundedRect(QRectF(g.badge), 3, 3);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setFont(NoteLogCellLayout::badgeFont());
    painter->setPen(Qt::white);
    painter->drawText(g.badge, Qt::AlignCenter | Qt::TextSingleLine, badge);

    drawText(*painter, cell.text, g.text);
    painter->fillRect(g.separator, QColor(SeparatorColor));
    painter->restore();
}

void NoteLogCellDelegate::drawText(QPainter &painter, const NoteLogText &text, const QRect &rect)
{
    const QFont font = NoteLogCellLayout::textFont();
    QTextLayout layout(layoutText(text.text()), font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(text.formats());
    const QFontMetricsF metrics(font);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, y));
        y += metrics.lineSpacing();
    }
    layout.endLayout();

    painter.save();
    painter.setPen(QColor(TextColor));
    layout.draw(&painter, rect.topLeft());
    // Removed text is struck through in its own colour, not the text's.
    QPen pen(NoteLogText::strikeColor());
    pen.setWidthF(std::max<qreal>(1.0, metrics.lineWidth()));
    painter.setPen(pen);
    for (const NoteLogText::Run &run : text.runs()) {
        if (!run.struck)
            continue;
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const int from = std::max<int>(int(run.start), line.textStart());
            const int to = std::min<int>(int(run.start + run.length), line.textStart() + line.textLength());
            if (from >= to)
                continue;
            const qreal x1 = line.cursorToX(from);
            const qreal x2 = line.cursorToX(to);
            const qreal ly = rect.top() + line.y() + line.ascent() - metrics.strikeOutPos();
            painter.drawLine(QPointF(rect.left() + std::min(x1, x2), ly),
                             QPointF(rect.left() + std::max(x1, x2), ly));
        }
    }
    painter.restore();
}
