#pragma once

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

class QTextLayout;

// Paints an edit-history hit: the time, the category and the kind of change
// as a coloured badge over the record's text, added spans in blue and removed
// spans struck through in red over grey. The height is the text's wrapped
// height (13 px, at the row's width less 60, at least 17) plus 41, kept per
// record and width.
class SearchLogRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int TextInset = 60;
    static constexpr int TopPart = 41;

    explicit SearchLogRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The text's height as laid out for the row.
    int textHeight(const QString &text, int rowWidth) const;

private:
    // Lays the text out at the width; returns its height.
    qreal layOut(QTextLayout &layout, int width) const;

    QFont m_textFont;
    QFont m_smallFont;
    mutable QHash<QString, int> m_heights; // text + width -> height
};
