#include "app/shell/LoginArt.h"

#include <QPainter>
#include <QPainterPath>

namespace {
QPixmap canvas(int size, qreal dpr)
{
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}
} // namespace

QPixmap LoginArt::logo(int size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0xB5, 0x6C));
    p.drawEllipse(QRectF(0, 0, s, s));
    // A note card with a folded corner and three lines.
    const QRectF card(s * 0.30, s * 0.24, s * 0.40, s * 0.52);
    QPainterPath path;
    const qreal fold = s * 0.12;
    path.moveTo(card.topLeft());
    path.lineTo(card.right() - fold, card.top());
    path.lineTo(card.right(), card.top() + fold);
    path.lineTo(card.bottomRight());
    path.lineTo(card.bottomLeft());
    path.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setPen(QPen(QColor(0x10, 0xB5, 0x6C), qMax<qreal>(1.0, s * 0.035), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = card.top() + s * (0.17 + 0.1 * i);
        p.drawLine(QPointF(card.left() + s * 0.07, y), QPointF(card.right() - s * (i == 2 ? 0.16 : 0.07), y));
    }
    return pm;
}

QPixmap LoginArt::defaultHead(int size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath clip;
    clip.addEllipse(QRectF(0, 0, s, s));
    p.setClipPath(clip);
    p.fillRect(QRectF(0, 0, s, s), QColor(0xDD, 0xDF, 0xE4));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.33, s * 0.2, s * 0.34, s * 0.34));
    p.drawEllipse(QRectF(s * 0.16, s * 0.6, s * 0.68, s * 0.6));
    return pm;
}
