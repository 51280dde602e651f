#pragma once

#include <QFont>
#include <QStyledItemDelegate>

class NoteRowDelegate;

// Paints the due-date list's rows: a group's header (its name on the group's
// colour and "n/total" with n in red, on a light grey band), an empty group's
// placeholder, and note rows with the note list's own row painter. No widget
// per row.
class NoteDateRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit NoteDateRowDelegate(QObject *parent = nullptr);

    // Where a header's name badge and its number text go inside `row`.
    QRect nameRect(const QString &name, const QRect &row) const;
    QRect numberRect(const QRect &row) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    void paintHeader(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintPlaceholder(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const;

    NoteRowDelegate *m_noteRows;
    QFont m_nameFont;
    QFont m_numberFont;
};
