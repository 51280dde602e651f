#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// Where the parts of an edit-history row go, and its height: the text wrapped
// in the 13-pixel font at the table's width less 60, at least 17 high, plus 41
// for the line above it (terminal image, time, category, badge) and the
// margins. The text is drawn exactly as wide as it was measured.
class NoteLogCellLayout
{
public:
    static constexpr int SideInset = 30; // each side of the text: 60 in all
    static constexpr int MinTextHeight = 17;
    static constexpr int Chrome = 41; // everything of a row but its text
    static constexpr int TopMargin = 10;
    static constexpr int HeadHeight = 18; // the line of image, time, category and badge
    static constexpr int TextTop = 34;    // the text's top within the row
    static constexpr int ImageSize = 16;
    static constexpr int BadgeHeight = 18;

    struct Geometry
    {
        QRect terminal;
        QRect time;
        QRect className;
        QRect badge;
        QRect text;
        QRect separator;
    };

    static QFont textFont();
    static QFont headFont();
    static QFont badgeFont();

    // The width the text wraps at in a table of `tableWidth`.
    static int textWidth(int tableWidth);
    // The height of the text alone (at least MinTextHeight), by wrapping it.
    static int textHeight(const QString &content, int tableWidth);
    // The row's height.
    static int rowHeight(const QString &content, int tableWidth)
    {
        return textHeight(content, tableWidth) + Chrome;
    }

    static Geometry geometry(const QRect &row, const QString &time, const QString &className,
                             const QString &badge);
};
