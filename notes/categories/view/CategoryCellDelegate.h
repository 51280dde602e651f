#pragma once

#include <QStyledItemDelegate>

// A category cell: the selection fill, the colour swatch, the name (bold when
// selected) and the red dot of a due reminder. Rows are 36 pixels high.
class CategoryCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 36;

    explicit CategoryCellDelegate(QObject *parent = nullptr);

    // The row whose menu is open gets a blue border (-1: none).
    void setMenuRow(int row) { m_menuRow = row; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_menuRow = -1;
};
