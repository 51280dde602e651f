#include "app/uikit/BusySpinner.h"

#include "app/uikit/EdgePinner.h"

#include <QPainter>
#include <QTimer>

namespace {
constexpr int kStrokes = 12;
constexpr int kBezel = 80;
} // namespace

BusySpinner::BusySpinner(QWidget *view) : QWidget(view), m_animation(new QTimer(this))
{
    setAttribute(Qt::WA_NoSystemBackground);
    m_animation->setInterval(80);
    connect(m_animation, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kStrokes;
        update();
    });
    EdgePinner::pin(this);
    raise();
}

void BusySpinner::dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    hide();
    deleteLater();
}

void BusySpinner::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bezel(QPointF(width() / 2.0 - kBezel / 2.0, height() / 2.0 - kBezel / 2.0),
                       QSizeF(kBezel, kBezel));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 204));
    p.drawRoundedRect(bezel, 5, 5);
    p.translate(bezel.center());
    for (int i = 0; i < kStrokes; ++i) {
        const int age = (m_step - i + kStrokes) % kStrokes;
        QColor c(Qt::white);
        c.setAlphaF(1.0f - 0.8f * age / kStrokes);
        p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -10), QPointF(0, -18));
        p.rotate(360.0 / kStrokes);
    }
}

void BusySpinner::showEvent(QShowEvent *event)
{
    m_animation->start();
    QWidget::showEvent(event);
}

void BusySpinner::hideEvent(QHideEvent *event)
{
    m_animation->stop();
    QWidget::hideEvent(event);
}
