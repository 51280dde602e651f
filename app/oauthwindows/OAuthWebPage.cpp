#include "app/oauthwindows/OAuthWebPage.h"

#include "app/oauthwindows/AuthWebViewBackend.h"

#include <QDialog>
#include <QVBoxLayout>

OAuthWebPage::OAuthWebPage(AuthWebViewBackend &backend, QWidget *parentWindow, const QString &title)
    : m_backend(backend), m_dialog(new QDialog(parentWindow))
{
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->resize(760, 600);
    auto *layout = new QVBoxLayout(m_dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    QPointer<OAuthWebPage> self(this);
    m_view = m_backend.createView(m_dialog, [self] {
        if (self)
            emit self->pageLoaded();
    });
    layout->addWidget(m_view);
    connect(m_dialog, &QDialog::finished, this, [this] {
        if (!m_closing)
            emit closedByUser();
    });
}

OAuthWebPage::~OAuthWebPage()
{
    m_closing = true;
    delete m_dialog.data();
}

void OAuthWebPage::load(const QUrl &url)
{
    m_backend.load(m_view, url);
    m_dialog->open();
}

void OAuthWebPage::close()
{
    m_closing = true;
    if (m_dialog)
        m_dialog->close();
}
