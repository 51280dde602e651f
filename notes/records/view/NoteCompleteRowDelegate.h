#pragma once

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

// Paints a completion record: the badge (red, grey for a time after now), the
// wrapped text, and below it the completion mark, "完成于:<time>" and the green
// "完成" label. A row is its text's wrapped height (at least one line of 17)
// plus 38; heights are kept per record, text and width.
class NoteCompleteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int TextLeft = 28;
    static constexpr int TextMargin = 51; // the text is the row's width less this

    explicit NoteCompleteRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The wrapped height of a record's text at a row width, as the row is laid out.
    int textHeight(const QString &text, int rowWidth) const;
    // getLabelHeightWithString: the row height for a text at a row width.
    int rowHeight(const QString &text, int rowWidth) const;

private:
    QFont m_textFont;
    QFont m_timeFont;
    QFont m_statusFont;
    struct Height
    {
        int width = -1;
        int height = 0;
        QString text; // a key can come back with another record after a sign-out
    };
    mutable QHash<qint64, Height> m_heights;
    mutable QHash<qreal, QPixmap> m_marks; // by device pixel ratio
};
