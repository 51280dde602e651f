#include "app/shell/RememberedAccountsPopup.h"

#include "app/shell/AccountRowDelegate.h"

#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QPainterPath>

RememberedAccountsPopup::RememberedAccountsPopup(QAbstractItemModel *model, QWidget *window)
    : QWidget(window), m_list(new QListView(this))
{
    setObjectName(QStringLiteral("accountMask"));
    setGeometry(window->rect());
    m_list->setObjectName(QStringLiteral("accountList"));
    m_list->setModel(model);
    auto *delegate = new AccountRowDelegate(m_list);
    m_list->setItemDelegate(delegate);
    m_list->setUniformItemSizes(true);
    m_list->setMouseTracking(true);
    m_list->setAttribute(Qt::WA_Hover);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setStyleSheet(
        QStringLiteral("QListView{background:white;border:1px solid #E2E2E6;border-radius:3px;}"));
    m_list->installEventFilter(this);
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex &index) { emit chosen(index.row()); });
    connect(delegate, &AccountRowDelegate::removeClicked, this, &RememberedAccountsPopup::removeClicked);
    window->installEventFilter(this);
}

void RememberedAccountsPopup::placeUnder(const QRect &anchorInWindow, int left)
{
    setGeometry(parentWidget()->rect());
    m_list->setGeometry(left, anchorInWindow.bottom() + 1 + 9, anchorInWindow.right() - left + 1, ListHeight);
    raise();
}

void RememberedAccountsPopup::paintEvent(QPaintEvent *)
{
    // The mask follows the window's corners: rounded where it is translucent, square elsewhere.
    QPainter p(this);
    const QColor mask(0, 0, 0, 51);
    if (!window()->testAttribute(Qt::WA_TranslucentBackground)) {
        p.fillRect(rect(), mask);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 5, 5);
    p.fillPath(card, mask);
}

void RememberedAccountsPopup::mousePressEvent(QMouseEvent *)
{
    emit dismissed(); // a click on the mask only closes the list
}

bool RememberedAccountsPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            emit dismissed();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            m_list->currentIndex().isValid()) {
            emit chosen(m_list->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
