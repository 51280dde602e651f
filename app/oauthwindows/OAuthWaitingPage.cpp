#include "app/oauthwindows/OAuthWaitingPage.h"

#include "platform/base/UrlOpener.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OAuthWaitingPage::OAuthWaitingPage(UrlOpener &urls, QWidget *parentWindow, const QString &title)
    : m_urls(urls), m_dialog(new QDialog(parentWindow))
{
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumWidth(360);
    auto *layout = new QVBoxLayout(m_dialog);
    layout->setContentsMargins(24, 24, 24, 18);
    layout->setSpacing(18);
    m_text = new QLabel(waitingText(), m_dialog);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_text);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *cancel = new QPushButton(QStringLiteral("取消"), m_dialog);
    cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, m_dialog, &QDialog::reject);
    connect(m_dialog, &QDialog::finished, this, [this] {
        if (!m_closing)
            emit closedByUser();
    });
}

OAuthWaitingPage::~OAuthWaitingPage()
{
    m_closing = true;
    delete m_dialog.data();
}

QString OAuthWaitingPage::waitingText()
{
    return QStringLiteral("请在浏览器中完成授权，完成后本窗口会自动关闭");
}

QString OAuthWaitingPage::noBrowserText()
{
    return QStringLiteral("无法打开浏览器，请稍后重试");
}

void OAuthWaitingPage::load(const QUrl &url)
{
    if (!m_urls.openUrl(url))
        m_text->setText(noBrowserText());
    m_dialog->open();
}

void OAuthWaitingPage::close()
{
    m_closing = true;
    if (m_dialog)
        m_dialog->close();
}
