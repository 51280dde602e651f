#pragma once

#include "notes/list/presenter/NoteRowLook.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
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

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    // The row images, drawn from their SVGs once per size and pixel ratio (every
    // painted row needs some of them; drawing one anew costs more than the row).
    const QPixmap &image(const QString &name, const QSize &size, qreal devicePixelRatio) const;
    void drawImage(QPainter *painter, const QString &name, const QRect &rect) const;

    QFont m_noteFont;
    QFont m_dateFont;
    mutable QHash<QString, QPixmap> m_images;
};
