#pragma once

#include "notes/list/presenter/NoteRowLook.h"

#include <QFont>
#include <QRect>
#include <QStyledItemDelegate>

// Paints a note row from its look: the status dot, the text (struck through
// in its own colour when completed), the refused-push icon and the reminder
// line with its icons; the star and snooze icons have tips. No widget per row;
// the height is the model's.
class NoteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit NoteRowDelegate(QObject *parent = nullptr);

    // Where the parts of a row of this look go inside `row`.
    struct Geometry
    {
        QRectF dot;
        QRect text;
        QRect syncIcon;
        QRect lineIcon;
        QRect dateText;
        QRect intervalText;
        QRect star;
        QRect delay;
        QRect separator;
    };
    Geometry geometry(const NoteRowLook &look, const QRect &row) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    QFont m_noteFont;
    QFont m_dateFont;
};
