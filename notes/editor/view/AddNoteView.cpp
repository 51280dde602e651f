#include "notes/editor/view/AddNoteView.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/ButtonHelpers.h"
#include "app/uikit/ImageHelpers.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor quietText(0xAD, 0xAD, 0xAD);
}

AddNoteView::AddNoteView(QWidget *parent)
    : QWidget(parent), m_addNoteButton(new QPushButton(QStringLiteral("新建Prelvane"), this)),
      m_detailTextLab(new QLabel(QStringLiteral("选择左侧的一条Prelvane查看，或点这里新建一条"), this))
{
    setObjectName(QStringLiteral("addNoteView"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    m_addNoteButton->setObjectName(QStringLiteral("addNoteButton"));
    m_addNoteButton->setFlat(true);
    m_addNoteButton->setCursor(Qt::PointingHandCursor);
    const QImage plus = AppImages::pixmap(QStringLiteral("note_add"), QSize(40, 40), 2.0).toImage();
    QPixmap tinted = QPixmap::fromImage(lp_imageTintedWithColor(plus, quietText));
    tinted.setDevicePixelRatio(2.0);
    m_addNoteButton->setIcon(QIcon(tinted));
    m_addNoteButton->setIconSize(QSize(40, 40));
    QFont buttonFont = m_addNoteButton->font();
    buttonFont.setPixelSize(15);
    m_addNoteButton->setFont(buttonFont);
    lp_titleColor(m_addNoteButton, quietText);

    m_detailTextLab->setObjectName(QStringLiteral("addNoteText"));
    m_detailTextLab->setAlignment(Qt::AlignCenter);
    m_detailTextLab->setWordWrap(true);
    m_detailTextLab->setCursor(Qt::PointingHandCursor);
    QFont textFont = m_detailTextLab->font();
    textFont.setPixelSize(13);
    m_detailTextLab->setFont(textFont);
    QPalette lp = m_detailTextLab->palette();
    lp.setColor(QPalette::WindowText, quietText);
    m_detailTextLab->setPalette(lp);
    m_detailTextLab->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(8);
    layout->addStretch(1);
    layout->addWidget(m_addNoteButton, 0, Qt::AlignHCenter);
    layout->addWidget(m_detailTextLab);
    layout->addStretch(1);

    connect(m_addNoteButton, &QPushButton::clicked, this, &AddNoteView::addNoteClicked);
}

bool AddNoteView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_detailTextLab && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_detailTextLab->rect().contains(mouse->position().toPoint()))
            emit addNoteClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
