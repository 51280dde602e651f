#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// The shared row look of the application's lists: a row under the mouse,
// and a selected row, get the light fill "F5F5F8" (the row inset by 1 pixel)
// instead of the desktop's highlight. Delegates that paint their own rows
// call paintRowBackground() first.
class HomeRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit HomeRowDelegate(QObject *parent = nullptr);

    // Makes a delegate the view's, with hover tracking on its viewport.
    static HomeRowDelegate *install(QAbstractItemView *view);

    // Rows of this height (uniform); 0 keeps the item's own size hint.
    void setRowHeight(int height) { m_rowHeight = height; }
    int rowHeight() const { return m_rowHeight; }

    // Whether a selected row is filled (a view without a selection highlight
    // shows only the hover fill).
    void setSelectionFill(bool on) { m_selectionFill = on; }
    bool selectionFill() const { return m_selectionFill; }

    // The fill for a row in `option`'s state: hover always, selection when
    // `selectionFill`. Returns whether it filled.
    static bool paintRowBackground(QPainter *painter, const QStyleOptionViewItem &option, bool selectionFill);
    // The rectangle filled for a row.
    static QRectF fillRect(const QRect &row);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_rowHeight = 0;
    bool m_selectionFill = true;
};
