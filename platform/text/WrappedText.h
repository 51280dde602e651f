#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;

// A text laid out the way rows paint it: wrapped at word boundaries, and a
// word wider than the width (a long link, a run of digits) broken anywhere,
// so it never runs past the width. The size measured here is the size drawn.
class WrappedText
{
public:
    // A width of 0 or less: no wrapping, one line per paragraph.
    WrappedText(const QString &text, const QFont &font, qreal width);
    ~WrappedText();
    WrappedText(const WrappedText &) = delete;
    WrappedText &operator=(const WrappedText &) = delete;

    // Height of all lines (each the font's line spacing), width of the widest line.
    QSizeF size() const { return m_size; }
    int lineCount() const;

    // Draws the text with its top left at `topLeft` in `color`. With a valid
    // `strikeColor`, each line is struck through in that colour (Qt's own
    // strike-out would take the text colour).
    void draw(QPainter &painter, const QPointF &topLeft, const QColor &color,
              const QColor &strikeColor = QColor()) const;

private:
    std::unique_ptr<QTextLayout> m_layout;
    QFont m_font;
    QSizeF m_size;
};
