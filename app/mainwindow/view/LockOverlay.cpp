#include "app/mainwindow/view/LockOverlay.h"

#include "app/mainwindow/presenter/LockPresenter.h"
#include "app/uikit/AppImages.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *linkButton(const QString &title, QWidget *parent)
{
    auto *b = new QPushButton(title, parent);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;color:#ADADAD;"
                                    "font-size:12px;text-decoration:underline;}"));
    return b;
}

} // namespace

LockOverlay::LockOverlay(LockPresenter *presenter, const QList<QWidget *> &covered, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("lockOverlay"));
    m_presenter->setParent(this);
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("lockPanel"));
    m_panel->setAutoFillBackground(true);
    QPalette pal = m_panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_panel->setPalette(pal);

    auto *col = new QVBoxLayout(m_panel);
    col->setAlignment(Qt::AlignCenter);
    col->setSpacing(12);
    auto *avatar = new QLabel(m_panel);
    avatar->setPixmap(AppImages::pixmap(QStringLiteral("user_default_head"), {60, 60}, devicePixelRatioF()));
    avatar->setFixedSize(60, 60);
    auto *nick = new QLabel(m_presenter->nick(), m_panel);
    nick->setObjectName(QStringLiteral("lockNick"));
    nick->setStyleSheet(QStringLiteral("color:#333333;font-size:14px;"));
    m_password = new QLineEdit(m_panel);
    m_password->setObjectName(QStringLiteral("lockPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAlignment(Qt::AlignCenter);
    m_password->setFixedSize(220, 32);
    m_password->setPlaceholderText(QStringLiteral("请输入锁屏密码"));
    m_password->setStyleSheet(QStringLiteral("QLineEdit{border:0.5px solid #666666;font-size:13px;}"));
    m_error = new QLabel(QStringLiteral("密码错误，请重新输入"), m_panel);
    m_error->setObjectName(QStringLiteral("lockError"));
    m_error->setStyleSheet(QStringLiteral("color:#ff3300;font-size:12px;"));
    m_error->setVisible(false);
    auto *links = new QHBoxLayout;
    m_forget = linkButton(QStringLiteral("忘记密码"), m_panel);
    m_quit = linkButton(QStringLiteral("退出登录"), m_panel);
    links->addStretch(1);
    links->addWidget(m_forget);
    links->addSpacing(24);
    links->addWidget(m_quit);
    links->addStretch(1);
    col->addWidget(avatar, 0, Qt::AlignHCenter);
    col->addWidget(nick, 0, Qt::AlignHCenter);
    col->addWidget(m_password, 0, Qt::AlignHCenter);
    col->addWidget(m_error, 0, Qt::AlignHCenter);
    col->addLayout(links);

    connect(m_password, &QLineEdit::returnPressed, this, [this] {
        if (m_presenter->unlock(m_password->text()))
            release();
    });
    connect(m_presenter, &LockPresenter::errorShownChanged, m_error, &QWidget::setVisible);
    connect(m_forget, &QPushButton::clicked, m_presenter, &LockPresenter::forgetPassword);
    connect(m_quit, &QPushButton::clicked, m_presenter, &LockPresenter::quitLogin);

    for (QWidget *w : covered) {
        m_covered << w;
        w->setEnabled(false);
    }
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
    raise();
    show();
    m_password->setFocus();
}

LockOverlay::~LockOverlay()
{
    for (const QPointer<QWidget> &w : std::as_const(m_covered))
        if (w)
            w->setEnabled(true);
}

void LockOverlay::release()
{
    hide();
    deleteLater();
}

void LockOverlay::setBarHeight(int height)
{
    m_barHeight = height;
    m_panel->setGeometry(0, m_barHeight, width(), height < this->height() ? this->height() - m_barHeight : 0);
    update();
}

bool LockOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        setBarHeight(m_barHeight);
    }
    return QWidget::eventFilter(watched, event);
}

void LockOverlay::mousePressEvent(QMouseEvent *event)
{
    // Clicks anywhere on the overlay stop here.
    event->accept();
    m_password->setFocus();
}

void LockOverlay::paintEvent(QPaintEvent *)
{
    // The top strip is clear: the title bar shows through.
}
