#include "app/mainwindow/view/TitleBarView.h"

#include "app/mainwindow/presenter/TitleBarPresenter.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/AvatarLoader.h"
#include "app/uikit/TipButton.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

TipButton *barButton(const QString &image, const QString &tip, QWidget *parent)
{
    auto *b = new TipButton(parent);
    b->setTipTitle(tip);
    b->setPosition(1);
    b->setIcon(AppImages::icon(image));
    b->setIconSize({20, 20});
    b->setFixedSize(32, 32);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"
                                    "QPushButton:disabled{background:transparent;}"));
    b->setAccessibleName(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// The avatar as a circle: the placeholder until a loaded picture exists.
QIcon roundAvatar(const QPixmap &picture = {})
{
    const QPixmap src =
        picture.isNull() ? AppImages::pixmap(QStringLiteral("user_default_head"), {30, 30}, 2.0) : picture;
    return QIcon(AvatarLoader::round(src, 30, 2.0));
}

} // namespace

TitleBarView::TitleBarView(TitleBarPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("titleBar"));
    setFixedHeight(BarHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(8);
    m_head = new QPushButton(this);
    m_head->setObjectName(QStringLiteral("titleBarHead"));
    m_head->setFixedSize(30, 30);
    m_head->setIconSize({30, 30});
    m_head->setIcon(roundAvatar());
    m_head->setFlat(true);
    m_head->setFocusPolicy(Qt::NoFocus);
    m_head->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"));
    m_head->setCursor(Qt::PointingHandCursor);
    m_head->setAccessibleName(QStringLiteral("设置"));
    m_name = new QPushButton(this);
    m_name->setObjectName(QStringLiteral("titleBarName"));
    m_name->setFlat(true);
    m_name->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;color:white;"
                                         "font-size:14px;text-align:left;}"));
    m_name->setFocusPolicy(Qt::NoFocus);
    row->addWidget(m_head);
    row->addWidget(m_name);
    row->addStretch(1);
    m_records = barButton(QStringLiteral("title_records"), QStringLiteral("时间管理"), this);
    m_search = barButton(QStringLiteral("title_search"), QStringLiteral("搜索"), this);
    m_sync = barButton(QStringLiteral("title_sync"), QStringLiteral("同步"), this);
    row->addWidget(m_records);
    row->addWidget(m_search);
    row->addWidget(m_sync);
    connect(m_records, &QPushButton::clicked, this, &TitleBarView::recordsClicked);
    connect(m_search, &QPushButton::clicked, this, &TitleBarView::searchClicked);
    connect(m_sync, &QPushButton::clicked, this, &TitleBarView::syncClicked);
    m_avatarLoader = new AvatarLoader(this);
    connect(m_avatarLoader, &AvatarLoader::loaded, this,
            [this](const QString &address, const QPixmap &image) {
                m_avatarShown = image.isNull() ? QString() : address;
                m_head->setIcon(roundAvatar(image));
            });
    connect(m_presenter, &TitleBarPresenter::changed, this, &TitleBarView::render);
    render();
}

void TitleBarView::render()
{
    const QFontMetrics fm(m_name->font());
    m_name->setText(m_presenter->nick());
    m_name->setMaximumWidth(260);
    m_name->setToolTip(m_presenter->nick());
    // The same address is not fetched again.
    const QString avatar = m_presenter->avatarUrl();
    if (avatar != m_avatarLoader->address()) {
        if (avatar.isEmpty())
            m_head->setIcon(roundAvatar());
        m_avatarLoader->load(avatar);
    }
    update();
}

void TitleBarView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QColor bar(m_presenter->barColor());
    if (!bar.isValid())
        bar = QColor(0x10, 0xB5, 0x6C);
    p.fillRect(rect(), Qt::white);
    bar.setAlphaF(0.8f);
    p.fillRect(rect(), bar);
}
