#include "app/shell/LoginWindow.h"

#include "app/login/LoginPresenter.h"
#include "app/login/RememberedAccountsModel.h"
#include "app/shell/RememberedAccountsPopup.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/AvatarLoader.h"
#include "app/uikit/Compositing.h"
#include "app/uikit/PopoverView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const char *kStyle = R"(
QLineEdit { border: 1px solid #DCDCE0; border-radius: 3px; padding: 0 8px; font-size: 14px;
            background: white; color: #333333; min-height: 34px; }
QLineEdit:focus { border-color: #10B56C; }
QCheckBox, QPushButton#link { color: #808080; font-size: 12px; }
QPushButton#link { border: 0; background: transparent; padding: 0; }
QPushButton#link:hover { color: #10B56C; }
QPushButton#login { background: rgba(16,181,108,204); color: white; border: 0; border-radius: 3px;
                    font-size: 15px; min-height: 36px; }
QPushButton#login:hover { background: rgba(16,181,108,235); }
QPushButton#login:pressed { background: #AAAAAA; }
QPushButton#login:disabled { background: rgba(16,181,108,110); }
QPushButton#oauth { border: 1px solid #E2E2E6; border-radius: 3px; background: white; color: #AAAAAA;
                    font-size: 12px; min-height: 26px; padding: 0 10px; }
QToolButton#close, QToolButton#accountDrop { border: 0; background: transparent; color: #AAAAAA;
                                             font-size: 16px; }
QToolButton#close:hover { color: #555555; }
QLabel#agreement { color: #AAAAAA; font-size: 11px; }
QLabel#otherWays { color: #AAAAAA; font-size: 11px; }
)";
} // namespace

LoginWindow::LoginWindow(LoginPresenter *presenter, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_presenter(presenter),
      m_compositing(&compositingAvailable)
{
    setObjectName(QStringLiteral("loginWindow"));
    presenter->setParent(this);
    setWindowTitle(QStringLiteral("Prelvane 登录"));
    setFixedSize(defaultSize());
    build();
    m_avatarLoader = new AvatarLoader(this);
    connect(m_avatarLoader, &AvatarLoader::loaded, this,
            [this](const QString &, const QPixmap &image) { showAvatar(image); });
    connect(m_presenter, &LoginPresenter::stateChanged, this, &LoginWindow::render);
    render();
    applyCompositing();
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::setAgreementPageOpener(std::function<void(const QString &)> opener)
{
    m_openAgreementPage = std::move(opener);
}

void LoginWindow::build()
{
    setStyleSheet(QString::fromLatin1(kStyle));

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setText(QStringLiteral("✕"));
    m_close->setToolTip(QStringLiteral("关闭"));
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setGeometry(width() - 34, 8, 26, 26);
    connect(m_close, &QToolButton::clicked, this, &QWidget::close);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 40, 32, 18);
    column->setSpacing(0);

    m_avatar = new QLabel(this);
    m_avatar->setObjectName(QStringLiteral("avatar"));
    m_avatar->setFixedSize(76, 76);
    m_avatar->setPixmap(AppImages::pixmap(QStringLiteral("login_logo"), QSize(76, 76), devicePixelRatioF()));
    column->addWidget(m_avatar, 0, Qt::AlignHCenter);
    auto *title = new QLabel(QStringLiteral("Prelvane 便签"), this);
    title->setStyleSheet(QStringLiteral("color:#333333;font-size:16px;"));
    column->addSpacing(10);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addSpacing(24);

    m_account = new QLineEdit(this);
    m_account->setObjectName(QStringLiteral("account"));
    m_account->setPlaceholderText(QStringLiteral("请输入账号"));
    m_account->setTextMargins(0, 0, 22, 0);
    m_accountList = new QToolButton(m_account);
    m_accountList->setObjectName(QStringLiteral("accountDrop"));
    m_accountList->setText(QStringLiteral("▾"));
    m_accountList->setToolTip(QStringLiteral("已登录过的账号"));
    m_accountList->setCursor(Qt::PointingHandCursor);
    m_accountList->setFocusPolicy(Qt::NoFocus);
    column->addWidget(m_account);
    column->addSpacing(12);

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setPlaceholderText(QStringLiteral("请输入密码"));
    m_password->setEchoMode(QLineEdit::Password);
    column->addWidget(m_password);
    column->addSpacing(10);

    auto *boxes = new QHBoxLayout;
    boxes->setSpacing(14);
    m_savePassword = new QCheckBox(QStringLiteral("记住密码"), this);
    m_savePassword->setObjectName(QStringLiteral("savePassword"));
    m_autoLogin = new QCheckBox(QStringLiteral("自动登录"), this);
    m_autoLogin->setObjectName(QStringLiteral("autoLogin"));
    m_forgot = new QPushButton(QStringLiteral("忘记密码"), this);
    m_forgot->setObjectName(QStringLiteral("link"));
    m_forgot->setCursor(Qt::PointingHandCursor);
    boxes->addWidget(m_savePassword);
    boxes->addWidget(m_autoLogin);
    boxes->addStretch();
    boxes->addWidget(m_forgot);
    column->addLayout(boxes);
    column->addSpacing(18);

    m_login = new QPushButton(QStringLiteral("登录"), this);
    m_login->setObjectName(QStringLiteral("login"));
    m_login->setDefault(true);
    m_login->setCursor(Qt::PointingHandCursor);
    column->addWidget(m_login);
    column->addSpacing(8);

    m_register = new QPushButton(QStringLiteral("注册账号"), this);
    m_register->setObjectName(QStringLiteral("link"));
    m_register->setCursor(Qt::PointingHandCursor);
    column->addWidget(m_register, 0, Qt::AlignRight);
    column->addStretch();

    auto *other = new QLabel(QStringLiteral("其他登录方式"), this);
    other->setObjectName(QStringLiteral("otherWays"));
    column->addWidget(other, 0, Qt::AlignHCenter);
    column->addSpacing(6);
    auto *oauth = new QHBoxLayout;
    oauth->setSpacing(12);
    m_weChat = new QPushButton(QStringLiteral("微信"), this);
    m_qq = new QPushButton(QStringLiteral("QQ"), this);
    m_weChat->setObjectName(QStringLiteral("oauth"));
    m_qq->setObjectName(QStringLiteral("oauth"));
    m_weChat->setProperty("oauthType", QStringLiteral("wx"));
    m_qq->setProperty("oauthType", QStringLiteral("qq"));
    oauth->addStretch();
    oauth->addWidget(m_weChat);
    oauth->addWidget(m_qq);
    oauth->addStretch();
    column->addLayout(oauth);
    column->addSpacing(12);

    m_agreement = new QLabel(this);
    m_agreement->setObjectName(QStringLiteral("agreement"));
    m_agreement->setTextFormat(Qt::RichText);
    m_agreement->setText(QStringLiteral(
        "登录即表示您同意<a href=\"protocol\" style=\"color:#10B56C;text-decoration:none\">《用户协议》</a>"
        "和<a href=\"secret\" style=\"color:#10B56C;text-decoration:none\">《隐私政策》</a>"));
    column->addWidget(m_agreement, 0, Qt::AlignHCenter);

    setTabOrder(m_account, m_password);
    setTabOrder(m_password, m_savePassword);
    setTabOrder(m_savePassword, m_autoLogin);
    setTabOrder(m_autoLogin, m_login);

    // User actions only; programmatic fills run under signal blockers.
    connect(m_account, &QLineEdit::textEdited, m_presenter, &LoginPresenter::accountEdited);
    connect(m_password, &QLineEdit::textEdited, m_presenter, &LoginPresenter::passwordEdited);
    connect(m_account, &QLineEdit::returnPressed, m_password, qOverload<>(&QWidget::setFocus));
    connect(m_password, &QLineEdit::returnPressed, m_presenter, &LoginPresenter::loginClicked);
    connect(m_login, &QPushButton::clicked, m_presenter, &LoginPresenter::loginClicked);
    connect(m_presenter, &LoginPresenter::passwordWanted, m_password, [this] {
        activateWindow();
        m_password->setFocus(Qt::OtherFocusReason);
    });
    connect(m_autoLogin, &QCheckBox::clicked, m_presenter, &LoginPresenter::autoLoginClicked);
    connect(m_savePassword, &QCheckBox::clicked, m_presenter, &LoginPresenter::savePasswordClicked);
    connect(m_forgot, &QPushButton::clicked, m_presenter, &LoginPresenter::forgotPasswordClicked);
    connect(m_register, &QPushButton::clicked, m_presenter, &LoginPresenter::registerClicked);
    connect(m_accountList, &QToolButton::clicked, m_presenter, &LoginPresenter::accountListClicked);
    connect(m_weChat, &QPushButton::clicked, this, [this] { showOAuthChoices(m_weChat); });
    connect(m_qq, &QPushButton::clicked, this, [this] { showOAuthChoices(m_qq); });
    connect(m_agreement, &QLabel::linkActivated, this, [this](const QString &page) {
        if (m_openAgreementPage)
            m_openAgreementPage(page);
    });
    m_account->installEventFilter(this);
}

void LoginWindow::showOAuthChoices(QPushButton *button)
{
    // Under the button; a click elsewhere closes it without a choice.
    PopoverView *choices = PopoverView::shareView();
    choices->setTitles(LoginPresenter::oauthChoiceTitles());
    const QString oauthType = button->property("oauthType").toString();
    connect(choices, &PopoverView::didSelectRowWithIndex, m_presenter,
            [this, oauthType](int row) { m_presenter->oauthChoiceMade(2 - row, oauthType); });
    choices->showAtView(button, 1);
    m_oauthChoices = choices;
}

void LoginWindow::render()
{
    {
        const QSignalBlocker a(m_account), p(m_password);
        if (m_account->text() != m_presenter->account())
            m_account->setText(m_presenter->account());
        if (m_password->text() != m_presenter->password())
            m_password->setText(m_presenter->password());
    }
    m_savePassword->setChecked(m_presenter->savePassword());
    m_autoLogin->setChecked(m_presenter->autoLogin());
    m_login->setEnabled(m_presenter->loginEnabled());
    m_login->setText(m_presenter->signingIn() ? QStringLiteral("登录中…") : QStringLiteral("登录"));
    m_account->setReadOnly(m_presenter->signingIn());
    m_password->setReadOnly(m_presenter->signingIn());

    if (m_presenter->avatarUrl() != m_avatarLoader->address())
        m_avatarLoader->load(m_presenter->avatarUrl());

    if (m_presenter->accountListOpen()) {
        if (!m_popup) {
            m_popup = new RememberedAccountsPopup(m_presenter->accounts(), this);
            connect(m_popup, &RememberedAccountsPopup::chosen, m_presenter, &LoginPresenter::accountChosen);
            connect(m_popup, &RememberedAccountsPopup::removeClicked, m_presenter,
                    &LoginPresenter::accountRemoveClicked);
            connect(m_popup, &RememberedAccountsPopup::dismissed, m_presenter,
                    &LoginPresenter::closeAccountList);
        }
        placeAccountList();
        m_popup->show();
        m_popup->list()->setFocus();
    } else if (m_popup) {
        m_popup->hide();
        m_popup->deleteLater();
        m_popup = nullptr;
    }
}

void LoginWindow::showAvatar(const QPixmap &image)
{
    const int side = m_avatar->width();
    const qreal dpr = devicePixelRatioF();
    if (image.isNull()) {
        m_avatar->setPixmap(AppImages::pixmap(QStringLiteral("login_logo"), QSize(side, side), dpr));
        return;
    }
    QPixmap round(QSize(side, side) * dpr);
    round.setDevicePixelRatio(dpr);
    round.fill(Qt::transparent);
    QPainter p(&round);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, side, side));
    p.setClipPath(circle);
    const QPixmap scaled =
        image.scaled(QSize(side, side) * dpr, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    p.drawPixmap(QRectF(0, 0, side, side), scaled,
                 QRectF((scaled.width() - side * dpr) / 2, (scaled.height() - side * dpr) / 2, side * dpr,
                        side * dpr));
    p.end();
    m_avatar->setPixmap(round);
}

void LoginWindow::setCompositingCheck(std::function<bool()> check)
{
    m_compositing = std::move(check);
    applyCompositing();
}

void LoginWindow::setVisible(bool visible)
{
    if (visible)
        applyCompositing();
    QWidget::setVisible(visible);
    QWindow *window = windowHandle();
    if (visible && window && window != m_watchedWindow) {
        // A compositing manager that stops unredirects the windows, which exposes them.
        m_watchedWindow = window;
        window->installEventFilter(this);
        connect(window, &QWindow::screenChanged, this, &LoginWindow::applyCompositing);
    }
}

// Translucency only where something blends it: on a plain X server the alpha
// is dropped and transparent corners show black. The window's visual is fixed
// when it is made, so a hidden window is remade to gain an alpha channel; a
// shown one stays square until its next showing.
void LoginWindow::applyCompositing()
{
    const bool composited = m_compositing && m_compositing();
    const bool translucent = testAttribute(Qt::WA_TranslucentBackground);
    if (composited && !translucent && !isVisible()) {
        if (testAttribute(Qt::WA_WState_Created))
            destroy();
        setAttribute(Qt::WA_TranslucentBackground, true);
    } else if (!composited && translucent) {
        setAttribute(Qt::WA_TranslucentBackground, false);
        setAttribute(Qt::WA_NoSystemBackground, false); // set along with translucency, not cleared with it
    }
    const bool rounded = composited && testAttribute(Qt::WA_TranslucentBackground);
    if (rounded != m_rounded) {
        m_rounded = rounded;
        update();
    }
}

void LoginWindow::placeAccountList()
{
    const QRect field(m_account->mapTo(this, QPoint(0, 0)), m_account->size());
    m_popup->placeUnder(field, field.left());
}

void LoginWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor border(0xDC, 0xDC, 0xE0);
    if (!m_rounded) {
        p.fillRect(rect(), Qt::white);
        p.setPen(border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.fillPath(path, Qt::white);
    p.setPen(border);
    p.drawPath(path);
}

void LoginWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // un-minimising is not a new showing
    // Let the window appear before a prompt or an auto-login starts.
    QMetaObject::invokeMethod(m_presenter, &LoginPresenter::windowShown, Qt::QueuedConnection);
}

void LoginWindow::mousePressEvent(QMouseEvent *event)
{
    // A click on the background ends editing, closes the list and moves the window.
    if (QWidget *focus = focusWidget())
        focus->clearFocus();
    m_presenter->closeAccountList();
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
}

void LoginWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_presenter->accountListOpen()) {
        m_presenter->closeAccountList();
        return;
    }
    // A check box leaves Enter to its window: it presses the default button, as in a dialog. (The fields
    // answer Enter themselves.)
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && qobject_cast<QCheckBox *>(focusWidget())) {
        if (m_login->isEnabled())
            m_login->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool LoginWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::Expose)
        applyCompositing();
    if (watched == m_account && event->type() == QEvent::Resize)
        m_accountList->setGeometry(m_account->width() - 28, 0, 26, m_account->height());
    return QWidget::eventFilter(watched, event);
}
