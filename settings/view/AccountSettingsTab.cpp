#include "settings/view/AccountSettingsTab.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/AvatarLoader.h"
#include "settings/presenter/AccountSettingsPresenter.h"
#include "settings/view/NickNameSheet.h"
#include "settings/view/SettingsTabStyle.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

using Provider = AccountSettingsPresenter::Provider;

QPushButton *linkButton(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;color:#2f7fd8;text-align:left;padding:0;}"
                                    "QPushButton:disabled{color:#bbbbbb;}"));
    return b;
}

QLabel *rowTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color:#666666;"));
    return label;
}

} // namespace

AccountSettingsTab::AccountSettingsTab(AccountSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("accountSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 16);
    layout->setSpacing(10);

    auto *head = new QHBoxLayout;
    head->setSpacing(16);
    m_avatar = new QPushButton(this);
    m_avatar->setObjectName(QStringLiteral("headImgButton"));
    m_avatar->setFixedSize(AvatarSide, AvatarSide);
    m_avatar->setIconSize({AvatarSide, AvatarSide});
    m_avatar->setFlat(true);
    m_avatar->setCursor(Qt::PointingHandCursor);
    m_avatar->setToolTip(QStringLiteral("更换头像"));
    m_avatar->setAccessibleName(QStringLiteral("更换头像"));
    m_avatar->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"));
    head->addWidget(m_avatar);
    auto *names = new QVBoxLayout;
    names->setSpacing(6);
    auto *nickRow = new QHBoxLayout;
    nickRow->setSpacing(10);
    m_nick = new QLabel(this);
    m_nick->setObjectName(QStringLiteral("nickNameLab"));
    QFont nickFont = m_nick->font();
    nickFont.setPixelSize(16);
    nickFont.setBold(true);
    m_nick->setFont(nickFont);
    m_nick->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_modifyNick = linkButton(QStringLiteral("修改昵称"), "modifyNickBtn", this);
    nickRow->addWidget(m_nick, 1);
    nickRow->addWidget(m_modifyNick);
    names->addLayout(nickRow);
    auto *accountRow = new QHBoxLayout;
    accountRow->setSpacing(6);
    accountRow->addWidget(rowTitle(QStringLiteral("账号："), this));
    m_account = new QLabel(this);
    m_account->setObjectName(QStringLiteral("accountLab"));
    m_account->setTextInteractionFlags(Qt::TextSelectableByMouse);
    accountRow->addWidget(m_account, 1);
    m_password = linkButton(QStringLiteral("修改密码"), "settingsUserPwdButton", this);
    accountRow->addWidget(m_password);
    names->addLayout(accountRow);
    head->addLayout(names, 1);
    layout->addLayout(head);

    layout->addSpacing(6);
    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("账号绑定"), this));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->setColumnMinimumWidth(0, 60);
    m_wechat = linkButton(QString(), "wechatBindStatusBtn", this);
    m_qq = linkButton(QString(), "qqBindStatusBtn", this);
    m_mobileButton = linkButton(QString(), "telBindStatusBtn", this);
    m_emailButton = linkButton(QString(), "emailBindStatusBtn", this);
    m_mobile = new QLabel(this);
    m_mobile->setObjectName(QStringLiteral("telLab"));
    m_email = new QLabel(this);
    m_email->setObjectName(QStringLiteral("emailLab"));
    m_email->setMinimumWidth(120);
    int row = 0;
    grid->addWidget(rowTitle(QStringLiteral("微信"), this), row, 0);
    grid->addWidget(m_wechat, row++, 2);
    grid->addWidget(rowTitle(QStringLiteral("QQ"), this), row, 0);
    grid->addWidget(m_qq, row++, 2);
    grid->addWidget(rowTitle(QStringLiteral("手机号"), this), row, 0);
    grid->addWidget(m_mobile, row, 1);
    grid->addWidget(m_mobileButton, row++, 2);
    grid->addWidget(rowTitle(QStringLiteral("邮箱"), this), row, 0);
    grid->addWidget(m_email, row, 1);
    grid->addWidget(m_emailButton, row++, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    layout->addSpacing(6);
    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("微信提醒"), this));
    auto *reminderRow = new QHBoxLayout;
    m_reminder = new QCheckBox(QStringLiteral("开启微信提醒"), this);
    m_reminder->setObjectName(QStringLiteral("wechatRemindCheck"));
    reminderRow->addWidget(m_reminder);
    reminderRow->addStretch(1);
    m_reminderPage = linkButton(QStringLiteral("设置微信提醒"), "bindWechatRemindButton", this);
    reminderRow->addWidget(m_reminderPage);
    layout->addLayout(reminderRow);
    layout->addWidget(SettingsTabStyle::hint(QStringLiteral("开启后，便签提醒会同时发送到微信"), this));
    layout->addStretch(1);

    m_loader = new AvatarLoader(this);
    connect(m_loader, &AvatarLoader::loaded, this, [this](const QString &address, const QPixmap &image) {
        if (m_presenter->avatarBusy())
            return;
        m_avatarShown = image.isNull() ? QString() : address;
        showAvatar(image);
    });
    connect(m_avatar, &QPushButton::clicked, this, &AccountSettingsTab::pickAvatar);
    connect(m_modifyNick, &QPushButton::clicked, this, &AccountSettingsTab::openNickSheet);
    connect(m_password, &QPushButton::clicked, m_presenter, &AccountSettingsPresenter::openAccountPage);
    connect(m_mobileButton, &QPushButton::clicked, m_presenter, &AccountSettingsPresenter::openAccountPage);
    connect(m_emailButton, &QPushButton::clicked, m_presenter, &AccountSettingsPresenter::openAccountPage);
    connect(m_wechat, &QPushButton::clicked, this, [this] { m_presenter->toggleBinding(Provider::WeChat); });
    connect(m_qq, &QPushButton::clicked, this, [this] { m_presenter->toggleBinding(Provider::QQ); });
    connect(m_reminder, &QCheckBox::clicked, m_presenter, &AccountSettingsPresenter::setWechatReminder);
    connect(m_reminderPage, &QPushButton::clicked, m_presenter,
            &AccountSettingsPresenter::openWechatReminderPage);
    connect(m_presenter, &AccountSettingsPresenter::changed, this, &AccountSettingsTab::render);
    showAvatar({});
    render();
}

void AccountSettingsTab::appear()
{
    render();
}

void AccountSettingsTab::showAvatar(const QPixmap &image)
{
    const qreal dpr = devicePixelRatioF();
    const QPixmap src =
        image.isNull() ? AppImages::pixmap(QStringLiteral("user_default_head"), {AvatarSide, AvatarSide}, dpr)
                       : image;
    m_avatar->setIcon(QIcon(AvatarLoader::round(src, AvatarSide, dpr)));
}

void AccountSettingsTab::render()
{
    const AccountSettingsPresenter &p = *m_presenter;
    m_nick->setText(p.nick());
    m_nick->setToolTip(p.nick());
    // An account label keeps its text while the profile has no account name.
    if (!p.account().isEmpty())
        m_account->setText(p.account());
    if (p.avatarBusy()) {
        if (!m_showingPicked) {
            m_showingPicked = true;
            m_avatarShown.clear();
            showAvatar(QPixmap::fromImage(p.pickedAvatar()));
            m_loader->load(QString()); // a later answer for the old address is not wanted
        }
    } else if (m_showingPicked || p.avatarUrl() != m_loader->address()) {
        // The stored avatar, the placeholder until it arrives; the same address is not fetched again.
        m_showingPicked = false;
        m_avatarShown.clear();
        showAvatar({});
        m_loader->load(p.avatarUrl());
    }
    m_avatar->setEnabled(!p.avatarBusy());
    const QList<QPair<QPushButton *, Provider>> providers{{m_wechat, Provider::WeChat}, {m_qq, Provider::QQ}};
    for (const auto &[button, provider] : providers) {
        const bool bound = p.isBound(provider);
        button->setText(bound ? AccountSettingsPresenter::BoundText : AccountSettingsPresenter::UnboundText);
        button->setToolTip(bound ? QStringLiteral("点击解除绑定") : QStringLiteral("点击绑定"));
        button->setEnabled(!p.bindingBusy(provider));
    }
    {
        const QSignalBlocker block(m_reminder);
        m_reminder->setChecked(p.wechatReminderOn());
        m_reminder->setEnabled(p.wechatReminderOn());
    }
    m_mobileButton->setText(p.mobileBound() ? AccountSettingsPresenter::BoundText
                                            : AccountSettingsPresenter::UnboundText);
    m_emailButton->setText(p.emailBound() ? AccountSettingsPresenter::BoundText
                                          : AccountSettingsPresenter::UnboundText);
    m_mobile->setText(p.mobileText());
    const QString email = p.emailText();
    m_email->setText(m_email->fontMetrics().elidedText(email, Qt::ElideMiddle, 260));
    m_email->setToolTip(email);
}

void AccountSettingsTab::pickAvatar()
{
    auto *dialog = new QFileDialog(this, QStringLiteral("选择头像"), QString(),
                                   QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.gif *.webp)"));
    dialog->setObjectName(QStringLiteral("avatarPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    connect(dialog, &QFileDialog::fileSelected, m_presenter, &AccountSettingsPresenter::chooseAvatarFile);
    dialog->open();
}

NickNameSheet *AccountSettingsTab::openNickSheet()
{
    if (!m_sheet) {
        m_sheet = new NickNameSheet(this);
        connect(m_sheet, &NickNameSheet::nickChosen, m_presenter, &AccountSettingsPresenter::saveNick);
    }
    m_sheet->showDatasWithNick(m_presenter->nickPanelText());
    return m_sheet;
}
