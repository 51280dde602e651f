#include "settings/view/AboutSettingsTab.h"

#include "app/agreementwindows/AgreementPageWindow.h"
#include "app/uikit/AppImages.h"
#include "settings/presenter/AboutPresenter.h"
#include "settings/view/SettingsTabStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutSettingsTab::AboutSettingsTab(AboutPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("aboutSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 30, 30, 24);
    layout->setSpacing(10);

    auto *icon = new QLabel(this);
    icon->setPixmap(AppImages::pixmap(QStringLiteral("app_icon"), {64, 64}, devicePixelRatioF()));
    icon->setFixedSize(64, 64);
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto *name = SettingsTabStyle::sectionTitle(QStringLiteral("Prelvane"), this);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    m_appVersion = new QLabel(this);
    m_appVersion->setObjectName(QStringLiteral("appVersionLab"));
    m_serviceVersion = new QLabel(this);
    m_serviceVersion->setObjectName(QStringLiteral("serverVersionLab"));
    layout->addWidget(m_appVersion, 0, Qt::AlignHCenter);
    layout->addWidget(m_serviceVersion, 0, Qt::AlignHCenter);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    m_download = new QPushButton(QStringLiteral("其他客户端下载"), this);
    m_download->setObjectName(QStringLiteral("appServiceButton"));
    m_clientPage = new QPushButton(QStringLiteral("本客户端主页"), this);
    m_clientPage->setObjectName(QStringLiteral("updateMsgButton"));
    buttons->addWidget(m_download);
    buttons->addWidget(m_clientPage);
    buttons->addStretch(1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addStretch(1);

    m_protocol = new QLabel(this);
    m_protocol->setObjectName(QStringLiteral("protocolTextView"));
    m_protocol->setTextFormat(Qt::RichText);
    m_protocol->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    const QString link =
        QStringLiteral("<a href=\"%1\" style=\"color:#2d8cf0;text-decoration:none;\">%2</a>");
    m_protocol->setText(QStringLiteral("<span style=\"color:#999999;\">使用前请阅读%1和%2</span>")
                            .arg(link.arg(AboutPresenter::AgreementLink, AboutPresenter::AgreementTitle),
                                 link.arg(AboutPresenter::PrivacyLink, AboutPresenter::PrivacyTitle)));
    layout->addWidget(m_protocol, 0, Qt::AlignHCenter);

    connect(m_protocol, &QLabel::linkActivated, m_presenter, &AboutPresenter::openLink);
    connect(m_download, &QPushButton::clicked, m_presenter, &AboutPresenter::openDownloadPage);
    connect(m_clientPage, &QPushButton::clicked, m_presenter, &AboutPresenter::openClientPage);
    connect(m_presenter, &AboutPresenter::changed, this, &AboutSettingsTab::render);
    connect(m_presenter, &AboutPresenter::pageWanted, this,
            [this](const QString &page) { AgreementPageWindow::open(page, window()); });
    render();
}

void AboutSettingsTab::appear()
{
    m_presenter->loadTerminals();
}

void AboutSettingsTab::render()
{
    m_appVersion->setText(QStringLiteral("当前版本：%1").arg(m_presenter->appVersion()));
    const QString service = m_presenter->serviceVersion();
    m_serviceVersion->setText(
        QStringLiteral("最新版本：%1").arg(service.isEmpty() ? QStringLiteral("—") : service));
}
