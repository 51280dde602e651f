#include "notes/records/presenter/NoteLogCellLayout.h"

#include "platform/text/WrappedText.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

QFont pixelFont(int px)
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(px);
    return f;
}

} // namespace

QFont NoteLogCellLayout::textFont()
{
    return pixelFont(13);
}

QFont NoteLogCellLayout::headFont()
{
    return pixelFont(12);
}

QFont NoteLogCellLayout::badgeFont()
{
    return pixelFont(11);
}

int NoteLogCellLayout::textWidth(int tableWidth)
{
    return std::max(1, tableWidth - 2 * SideInset);
}

int NoteLogCellLayout::textHeight(const QString &content, int tableWidth)
{
    const WrappedText text(content, textFont(), textWidth(tableWidth));
    return std::max(MinTextHeight, int(std::ceil(text.size().height())));
}

NoteLogCellLayout::Geometry NoteLogCellLayout::geometry(const QRect &row, const QString &time,
                                                        const QString &className, const QString &badge)
{
    Geometry g;
    const int left = row.x() + SideInset;
    const int right = row.x() + row.width() - SideInset; // one past the last pixel
    const int headTop = row.y() + TopMargin;
    g.terminal = QRect(left, headTop + (HeadHeight - ImageSize) / 2, ImageSize, ImageSize);

    const QFontMetrics badgeMetrics(badgeFont());
    const int badgeWidth = badgeMetrics.horizontalAdvance(badge) + 12;
    g.badge = QRect(right - badgeWidth, headTop + (HeadHeight - BadgeHeight) / 2, badgeWidth, BadgeHeight);

    const QFontMetrics head(headFont());
    const int timeLeft = g.terminal.right() + 1 + 8;
    const int timeWidth = std::min(head.horizontalAdvance(time) + 2, std::max(0, g.badge.x() - 8 - timeLeft));
    g.time = QRect(timeLeft, headTop, timeWidth, HeadHeight);
    // The category takes what is left between the time and the badge (elided there).
    const int nameLeft = g.time.right() + 1 + 12;
    const int nameWidth =
        std::min(head.horizontalAdvance(className) + 2, std::max(0, g.badge.x() - 8 - nameLeft));
    g.className = QRect(nameLeft, headTop, nameWidth, HeadHeight);

    g.text = QRect(left, row.y() + TextTop, textWidth(row.width()), row.height() - Chrome);
    g.separator = QRect(row.x() + SideInset, row.y() + row.height() - 1, row.width() - 2 * SideInset, 1);
    return g;
}
