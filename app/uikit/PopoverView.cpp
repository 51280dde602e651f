#include "app/uikit/PopoverView.h"

#include "app/uikit/HomeRowDelegate.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>

namespace {

std::optional<QRect> place(const QRect &a, const QSize &s, int position)
{
    const int centreX = a.x() + (a.width() - s.width()) / 2;
    const int centreY = a.y() + (a.height() - s.height()) / 2;
    switch (position) {
    case 0:
        return QRect(QPoint(a.x() + a.width(), centreY), s);
    case 1:
        return QRect(QPoint(centreX, a.y() + a.height()), s);
    case 2:
        return QRect(QPoint(a.x() - s.width(), centreY), s);
    case 3:
        return QRect(QPoint(centreX, a.y() - s.height()), s);
    default:
        return std::nullopt;
    }
}

int clampInto(int start, int length, int boundsStart, int boundsLength)
{
    if (start + length > boundsStart + boundsLength)
        start = boundsStart + boundsLength - length;
    return qMax(start, boundsStart);
}

QColor maskColor(bool tinted)
{
    return tinted ? QColor(0, 0, 0, 26) : QColor(0, 0, 0, 0);
}

} // namespace

PopoverView *PopoverView::shareView()
{
    return new PopoverView();
}

PopoverView::PopoverView()
    : m_table(new QListView(this)), m_model(new QStandardItemModel(this)),
      m_delegate(HomeRowDelegate::install(m_table))
{
    setAttribute(Qt::WA_StyledBackground, false);
    m_delegate->setRowHeight(RowHeight);
    m_table->setModel(m_model);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setUniformItemSizes(true);
    m_table->setSpacing(0);
    m_table->installEventFilter(this);
    QFont font = m_table->font();
    font.setPixelSize(13);
    m_table->setFont(font);
    QPalette palette = m_table->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(0x33, 0x33, 0x33));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0xad, 0xad, 0xad));
    m_table->setPalette(palette);
    connect(m_table, &QListView::clicked, this,
            [this](const QModelIndex &index) { rowActivated(index.row()); });
    connect(m_table, &QListView::activated, this,
            [this](const QModelIndex &index) { rowActivated(index.row()); });
    resize(PopoverWidth, m_popoverHeight);
}

int PopoverView::heightFor(int rows)
{
    return RowHeight * rows + 2 * rows;
}

std::optional<QRect> PopoverView::placement(const QRect &anchor, const QSize &size, int position,
                                            const QRect &bounds)
{
    std::optional<QRect> wanted = place(anchor, size, position);
    if (!wanted || bounds.isEmpty())
        return wanted;
    QRect r = *wanted;
    const bool horizontalSide = position == 0 || position == 2;
    const bool fits = horizontalSide ? (r.left() >= bounds.left() && r.right() <= bounds.right())
                                     : (r.top() >= bounds.top() && r.bottom() <= bounds.bottom());
    if (!fits) {
        const QRect other = *place(anchor, size, (position + 2) % 4);
        const bool otherFits = horizontalSide
                                   ? (other.left() >= bounds.left() && other.right() <= bounds.right())
                                   : (other.top() >= bounds.top() && other.bottom() <= bounds.bottom());
        if (otherFits)
            r = other;
    }
    r.moveLeft(clampInto(r.left(), r.width(), bounds.left(), bounds.width()));
    r.moveTop(clampInto(r.top(), r.height(), bounds.top(), bounds.height()));
    return r;
}

void PopoverView::showAtView(QWidget *view, int position)
{
    if (!view || !view->window() || m_removed)
        return;
    m_atView = view;
    m_position = position;
    m_window = view->window();
    connect(view, &QObject::destroyed, this, [this] {
        m_atView = nullptr; // half destroyed already: not to be touched
        removePopover();
    });

    if (!m_mask) {
        m_mask = new QWidget(m_window);
        m_mask->setObjectName(QStringLiteral("popoverMask"));
        m_mask->setAutoFillBackground(true);
        m_mask->installEventFilter(this);
    }
    setShowMaskView(m_showMaskView);
    m_mask->setParent(m_window);
    setParent(m_window);
    m_window->installEventFilter(this);
    view->installEventFilter(this);
    layoutInWindow();
    m_mask->show();
    m_mask->raise();
    show();
    raise();
    m_table->setFocus(Qt::PopupFocusReason);
}

void PopoverView::setTitles(const QStringList &titles)
{
    m_titles = titles;
    m_popoverHeight = heightFor(int(titles.size()));
    m_model->clear();
    for (const QString &title : titles) {
        auto *item = new QStandardItem(title);
        item->setTextAlignment(Qt::AlignCenter);
        item->setEditable(false);
        m_model->appendRow(item);
    }
    setShowMaskView(m_showMaskView);
    layoutInWindow();
}

void PopoverView::setRowEnabled(int row, bool enabled)
{
    if (QStandardItem *item = m_model->item(row))
        item->setEnabled(enabled);
}

bool PopoverView::isRowEnabled(int row) const
{
    const QStandardItem *item = m_model->item(row);
    return item && item->isEnabled();
}

void PopoverView::setShowMaskView(bool on)
{
    m_showMaskView = on;
    if (m_mask) {
        QPalette palette = m_mask->palette();
        palette.setColor(QPalette::Window, maskColor(on));
        m_mask->setPalette(palette);
        m_mask->update();
    }
}

void PopoverView::layoutInWindow()
{
    resize(PopoverWidth, m_popoverHeight);
    m_table->setGeometry(rect().adjusted(1, 1, -1, -1));
    if (!m_window)
        return;
    if (m_mask)
        m_mask->setGeometry(m_window->rect());
    if (!m_atView)
        return;
    const QRect anchor(m_atView->mapTo(m_window, QPoint(0, 0)), m_atView->size());
    const std::optional<QRect> r = placement(anchor, size(), m_position, m_window->rect());
    if (r)
        setGeometry(*r);
    else
        hide(); // the list is not placed for an unknown side
}

void PopoverView::rowActivated(int row)
{
    if (m_removed || m_choicePending || row < 0 || row >= m_titles.size() || !isRowEnabled(row))
        return;
    // Told from the event loop, not from inside the list's mouse or key
    // handler: the owner may well close the window or delete the list.
    m_choicePending = true;
    QMetaObject::invokeMethod(
        this, [this, row] { choose(row); }, Qt::QueuedConnection);
}

void PopoverView::choose(int row)
{
    if (m_removed)
        return;
    QPointer<PopoverView> self(this);
    emit didSelectRowWithIndex(row);
    if (self)
        removePopover();
}

void PopoverView::removePopover()
{
    if (m_removed)
        return;
    m_removed = true;
    if (m_window)
        m_window->removeEventFilter(this);
    if (m_atView) {
        m_atView->removeEventFilter(this);
        if (m_table->hasFocus() && m_atView->isVisible())
            m_atView->setFocus(Qt::PopupFocusReason);
    }
    hide();
    if (m_mask) {
        m_mask->hide();
        m_mask->deleteLater();
    }
    deleteLater();
}

bool PopoverView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mask && event->type() == QEvent::MouseButtonPress) {
        removePopover();
        return true;
    }
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            removePopover();
            return true;
        }
    }
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Resize:
            layoutInWindow();
            break;
        case QEvent::Hide:
        case QEvent::Close:
            removePopover();
            break;
        default:
            break;
        }
    }
    if (watched == m_atView && event->type() == QEvent::Hide)
        removePopover();
    return QWidget::eventFilter(watched, event);
}

void PopoverView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0xE2, 0xE2, 0xE6));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
