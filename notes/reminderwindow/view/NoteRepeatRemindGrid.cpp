#include "notes/reminderwindow/view/NoteRepeatRemindGrid.h"

#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int Pitch = NoteRepeatRemindGrid::CellSize + NoteRepeatRemindGrid::Spacing;
const QColor LabelColour(0x3a, 0x3a, 0x3a);

} // namespace

NoteRepeatRemindGrid::NoteRepeatRemindGrid(NoteRemindRepeatPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(presenter, &NoteRemindRepeatPresenter::changed, this, [this] {
        m_current = qBound(0, m_current, qMax(0, int(m_presenter->labels().size()) - 1));
        updateGeometry();
        update();
    });
}

QSize NoteRepeatRemindGrid::sizeHint() const
{
    return {Spacing + 7 * Pitch, m_presenter->gridHeight()};
}

int NoteRepeatRemindGrid::indexAt(const QPoint &pos) const
{
    const int x = pos.x() - Spacing;
    const int y = pos.y() - Spacing;
    if (x < 0 || y < 0 || x % Pitch >= CellSize || y % Pitch >= CellSize || x / Pitch >= 7)
        return -1;
    const int index = y / Pitch * 7 + x / Pitch;
    return index < m_presenter->labels().size() ? index : -1;
}

QRect NoteRepeatRemindGrid::cellRect(int index) const
{
    return {Spacing + index % 7 * Pitch, Spacing + index / 7 * Pitch, CellSize, CellSize};
}

void NoteRepeatRemindGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    QFont cellFont = font();
    cellFont.setPixelSize(10);
    painter.setFont(cellFont);

    const QStringList &labels = m_presenter->labels();
    for (int i = 0; i < labels.size(); ++i) {
        const QRect cell = cellRect(i);
        const bool chosen = m_presenter->isChosen(i);
        if (chosen) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(QPalette::Highlight));
            painter.drawRoundedRect(cell, 4, 4);
        }
        if (hasFocus() && i == m_current) {
            painter.setPen(QPen(pal.color(QPalette::Highlight).darker(130), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(cell).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
        painter.setPen(chosen ? pal.color(QPalette::HighlightedText) : LabelColour);
        painter.drawText(cell, Qt::AlignCenter, labels[i]);
    }
}

void NoteRepeatRemindGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int index = indexAt(event->position().toPoint());
    if (index < 0)
        return;
    m_current = index;
    m_presenter->toggle(index);
}

void NoteRepeatRemindGrid::keyPressEvent(QKeyEvent *event)
{
    const int count = int(m_presenter->labels().size());
    int next = m_current;
    switch (event->key()) {
    case Qt::Key_Left:
        --next;
        break;
    case Qt::Key_Right:
        ++next;
        break;
    case Qt::Key_Up:
        next -= 7;
        break;
    case Qt::Key_Down:
        next += 7;
        break;
    case Qt::Key_Space:
        m_presenter->toggle(m_current);
        return;
    default:
        return QWidget::keyPressEvent(event);
    }
    if (next >= 0 && next < count) {
        m_current = next;
        update();
    }
}

void NoteRepeatRemindGrid::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void NoteRepeatRemindGrid::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
