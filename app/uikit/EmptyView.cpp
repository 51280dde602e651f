#include "app/uikit/EmptyView.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/EdgePinner.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

EmptyView *EmptyView::showEmptyView()
{
    return new EmptyView;
}

EmptyView::EmptyView() : m_imageView(new QLabel), m_textLabel(new QLabel)
{
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_imageView, 0, Qt::AlignHCenter);
    layout->addWidget(m_textLabel, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setText(QStringLiteral("暂无数据"));
    m_textLabel->setStyleSheet(QStringLiteral("color:#999999;"));
    m_imageView->setFixedSize(DefaultImageSize);
    m_imageView->setAlignment(Qt::AlignCenter);
}

void EmptyView::attachTo(QWidget *listView)
{
    if (!listView)
        return;
    setParent(listView);
    EdgePinner::pin(this);
}

void EmptyView::show()
{
    if (!image.isNull()) {
        m_imageView->setFixedSize(image.size() / image.devicePixelRatio());
        m_imageView->setPixmap(QPixmap::fromImage(image));
    } else {
        // Drawn for the screen it shows on, so that it is sharp on a 2x desktop.
        m_imageView->setPixmap(
            AppImages::pixmap(QStringLiteral("list_empty"), DefaultImageSize, devicePixelRatioF()));
    }
    if (!text.isNull())
        m_textLabel->setText(text);
    raise();
    QWidget::show();
}

void EmptyView::hide()
{
    QWidget::hide();
    setParent(nullptr);
    deleteLater();
}
