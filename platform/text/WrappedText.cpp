#include "platform/text/WrappedText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <limits>

WrappedText::WrappedText(const QString &text, const QFont &font, qreal width)
    : m_layout(std::make_unique<QTextLayout>(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator),
                                             font)),
      m_font(font)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);

    const QFontMetricsF metrics(font);
    const qreal lineWidth = width > 0 ? width : std::numeric_limits<qreal>::max() / 4;
    qreal y = 0;
    qreal widest = 0;
    m_layout->beginLayout();
    for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, y));
        y += metrics.lineSpacing();
        widest = std::max(widest, line.naturalTextWidth());
    }
    m_layout->endLayout();
    // An empty text still takes the height of one line, as an empty row does.
    m_size = QSizeF(widest, text.isEmpty() ? metrics.lineSpacing() : y);
}

WrappedText::~WrappedText() = default;

int WrappedText::lineCount() const
{
    return m_layout->lineCount();
}

void WrappedText::draw(QPainter &painter, const QPointF &topLeft, const QColor &color,
                       const QColor &strikeColor) const
{
    painter.save();
    painter.setPen(color);
    m_layout->draw(&painter, topLeft);
    if (strikeColor.isValid()) {
        const QFontMetricsF metrics(m_font);
        QPen pen(strikeColor);
        pen.setWidthF(std::max<qreal>(1.0, metrics.lineWidth()));
        painter.setPen(pen);
        for (int i = 0; i < m_layout->lineCount(); ++i) {
            const QTextLine line = m_layout->lineAt(i);
            if (line.naturalTextWidth() <= 0)
                continue;
            const qreal y = topLeft.y() + line.y() + line.ascent() - metrics.strikeOutPos();
            const qreal x = topLeft.x() + line.x();
            painter.drawLine(QPointF(x, y), QPointF(x + line.naturalTextWidth(), y));
        }
    }
    painter.restore();
}
