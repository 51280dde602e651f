#include "app/uikit/TipBubble.h"

#include "app/uikit/ControlSkin.h"
#include "platform/text/StringHelpers.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

// The rectangle for `position` with no regard to the window's edges.
std::optional<QRect> place(const QRect &c, const QSize &s, int position)
{
    const int left = c.x();
    const int top = c.y();
    const int right = c.x() + c.width();
    const int bottom = c.y() + c.height();
    const int centreX = c.x() + (c.width() - s.width()) / 2;
    const int centreY = c.y() + (c.height() - s.height()) / 2;
    switch (position) {
    case 0:
        return QRect(QPoint(right, bottom), s);
    case 1:
        return QRect(QPoint(right, top - s.height()), s);
    case 2:
        return QRect(QPoint(left - s.width(), top - s.height()), s);
    case 3:
        return QRect(QPoint(left - s.width(), bottom), s);
    case 4:
        return QRect(QPoint(centreX, top - s.height()), s);
    case 5:
        return QRect(QPoint(centreX, bottom), s);
    case 6:
        return QRect(QPoint(left - s.width(), centreY), s);
    case 7:
        return QRect(QPoint(right, centreY), s);
    default:
        return std::nullopt;
    }
}

// The position on the control's other side, left to right and top to bottom.
int mirroredAcross(int position, Qt::Orientation axis)
{
    static const int horizontal[] = {3, 2, 1, 0, 4, 5, 7, 6};
    static const int vertical[] = {1, 0, 3, 2, 5, 4, 6, 7};
    return axis == Qt::Horizontal ? horizontal[position] : vertical[position];
}

bool fitsHorizontally(const QRect &r, const QRect &bounds)
{
    return r.left() >= bounds.left() && r.right() <= bounds.right();
}

bool fitsVertically(const QRect &r, const QRect &bounds)
{
    return r.top() >= bounds.top() && r.bottom() <= bounds.bottom();
}

int clampInto(int start, int length, int boundsStart, int boundsLength)
{
    if (start + length > boundsStart + boundsLength)
        start = boundsStart + boundsLength - length;
    return qMax(start, boundsStart);
}

} // namespace

TipBubble::TipBubble(const QString &text, QWidget *window) : QWidget(window), m_label(new QLabel(text, this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_label->setFont(tipFont());
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextFormat(Qt::PlainText);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_label->setPalette(palette);
    m_label->setAttribute(Qt::WA_TranslucentBackground);
    resize(widthFor(text), Height);
    m_label->setGeometry(rect());
}

QFont TipBubble::tipFont()
{
    QFont font;
    font.setPixelSize(13);
    return font;
}

int TipBubble::widthFor(const QString &text)
{
    return int(std::ceil(lp_widthWithFont(text, tipFont(), 30))) + Padding;
}

std::optional<QRect> TipBubble::placement(const QRect &control, const QSize &size, int position,
                                          const QRect &bounds)
{
    std::optional<QRect> wanted = place(control, size, position);
    if (!wanted || bounds.isEmpty())
        return wanted;
    QRect r = *wanted;
    if (!fitsHorizontally(r, bounds)) {
        const QRect other = *place(control, size, mirroredAcross(position, Qt::Horizontal));
        if (fitsHorizontally(other, bounds))
            r.moveLeft(other.left());
    }
    if (!fitsVertically(r, bounds)) {
        const QRect other = *place(control, size, mirroredAcross(position, Qt::Vertical));
        if (fitsVertically(other, bounds))
            r.moveTop(other.top());
    }
    r.moveLeft(clampInto(r.left(), r.width(), bounds.left(), bounds.width()));
    r.moveTop(clampInto(r.top(), r.height(), bounds.top(), bounds.height()));
    return r;
}

void TipBubble::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 2, 2);
    painter.fillPath(shape, ControlSkin::darkGray());
}
