#include "notes/reminderwindow/view/NoteRemindCalendarGrid.h"

#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

NoteRemindCalendarGrid::NoteRemindCalendarGrid(NoteRemindCalendarPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(presenter, &NoteRemindCalendarPresenter::changed, this, [this] {
        updateGeometry();
        update();
    });
}

QSize NoteRemindCalendarGrid::sizeHint() const
{
    return {7 * CellSize, m_presenter->rowCount() * CellSize};
}

int NoteRemindCalendarGrid::indexAt(const QPoint &pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= 7 * CellSize)
        return -1;
    const int index = pos.y() / CellSize * 7 + pos.x() / CellSize;
    return index < m_presenter->cells().size() ? index : -1;
}

QRect NoteRemindCalendarGrid::cellRect(int index) const
{
    return {index % 7 * CellSize, index / 7 * CellSize, CellSize, CellSize};
}

void NoteRemindCalendarGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    QFont dayFont = font();
    dayFont.setPixelSize(14);
    QFont lunarFont = font();
    lunarFont.setPixelSize(10);

    const int count = int(m_presenter->cells().size());
    for (int i = 0; i < count; ++i) {
        const QRect cell = cellRect(i);
        if (!event->rect().intersects(cell))
            continue;
        const bool selected = i == m_presenter->selectedIndex();
        QColor text =
            m_presenter->isInShownMonth(i) ? pal.color(QPalette::WindowText) : QColor(Qt::lightGray);
        if (selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(QPalette::Highlight));
            painter.drawRoundedRect(cell.adjusted(3, 3, -3, -3), 17, 17);
            text = pal.color(QPalette::HighlightedText);
        }
        if (selected && hasFocus()) {
            painter.setPen(QPen(pal.color(QPalette::Highlight).darker(130), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(cell).adjusted(2.5, 2.5, -2.5, -2.5), 17.5, 17.5);
        }
        painter.setPen(text);
        painter.setFont(dayFont);
        painter.drawText(QRect(cell.left(), cell.top() + 5, CellSize, 18), Qt::AlignCenter,
                         m_presenter->dayText(i));
        painter.setFont(lunarFont);
        painter.drawText(QRect(cell.left(), cell.top() + 21, CellSize, 13), Qt::AlignCenter,
                         m_presenter->lunarText(i));
    }
}

void NoteRemindCalendarGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int index = indexAt(event->position().toPoint());
    if (index >= 0)
        m_presenter->pickDay(index);
}

void NoteRemindCalendarGrid::keyPressEvent(QKeyEvent *event)
{
    // Arrow keys move the chosen day; stepping off the month turns the grid like a click on a grey day.
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -7;
        break;
    case Qt::Key_Down:
        step = 7;
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    m_presenter->pickDay(m_presenter->selectedIndex() + step);
}
