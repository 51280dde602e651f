#pragma once

#include "notes/records/presenter/NoteLogText.h"

#include <QHash>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <memory>

struct NoteLogCell;

// Paints edit-history rows from the NoteLogCell their model hands under
// NoteLogCell::Role: the device's image, the time, the category, the badge of
// the kind of change and the text with its change spans. No widget and no
// document per row. Heights depend on the width the view gives (setRowWidth):
// each record's height is measured once per width, and a text that fits on one
// line is never laid out for it; a longer one is shaped once and only its
// lines are broken again at another width.
class NoteLogCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr QRgb TextColor = 0x333333;
    static constexpr QRgb TimeColor = 0x999999;
    static constexpr QRgb ClassColor = 0x666666;
    static constexpr QRgb SeparatorColor = 0xf0f0f0;

    explicit NoteLogCellDelegate(QObject *parent = nullptr);

    // The table's width the heights are for (its viewport's). A change relayouts the view.
    void setRowWidth(int width);
    int rowWidth() const { return m_width; }
    // The height of a row of this cell at the current width.
    int rowHeight(const NoteLogCell &cell) const;
    // Heights measured so far (for the current width).
    int measuredCount() const { return int(m_heights.size()); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Draws a marked text wrapped into `rect` (its width is the wrap width).
    static void drawText(QPainter &painter, const NoteLogText &text, const QRect &rect);

private:
    struct Measure
    {
        QString text;
        qreal advance = -1; // the text on one line; -1: it has a line break
        // A text that wraps keeps its shaped layout: a new width only breaks its lines again.
        std::shared_ptr<QTextLayout> layout;
    };
    struct Height
    {
        QString text;
        int height = 0;
    };
    int measure(const NoteLogCell &cell, int width) const;

    int m_width = 0;
    mutable QHash<qint64, Measure> m_advances; // for any width
    mutable QHash<qint64, Height> m_heights;   // for m_width
};
