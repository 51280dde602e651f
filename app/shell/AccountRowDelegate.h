#pragma once

#include <QStyledItemDelegate>

// Paints one remembered account: hover fill, round placeholder avatar,
// the account name and a remove cross at the right; a click on the cross is
// reported instead of a choice.
class AccountRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // Where the cross sits in a row.
    static QRect removeRect(const QRect &row);

signals:
    void removeClicked(int row);
};
