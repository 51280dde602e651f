#include "notes/categories/view/ClassifyColorViewItem.h"

#include "app/uikit/AppImages.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

ClassifyColorViewItem::ClassifyColorViewItem(QWidget *parent)
    : QAbstractButton(parent), m_color(0xE5, 0xE5, 0xE5)
{
    setCheckable(true);
    setAutoExclusive(true);
    setFixedSize(Side, Side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ClassifyColorViewItem::showDatasWithHexColor(const QString &hex)
{
    m_hex = hex;
    const QColor c(hex);
    m_color = c.isValid() ? c : QColor(0xE5, 0xE5, 0xE5);
    setAccessibleName(hex);
    update();
}

void ClassifyColorViewItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.setPen(Qt::NoPen);
    p.setBrush(underMouse() && !isChecked() ? m_color.lighter(112) : m_color);
    p.drawRoundedRect(r, 4, 4);
    if (isChecked()) {
        const QSize mark(20, 20);
        const QPixmap check = AppImages::pixmap(QStringLiteral("classify_check"), mark, devicePixelRatioF());
        p.drawPixmap(QRect(QPoint((width() - mark.width()) / 2, (height() - mark.height()) / 2), mark),
                     check);
    }
    if (hasFocus()) {
        // A ring outside the colour, visible on every swatch colour.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
        p.setPen(QPen(Qt::white, 1));
        p.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
    }
}
