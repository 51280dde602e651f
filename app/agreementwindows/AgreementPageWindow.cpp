#include "app/agreementwindows/AgreementPageWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

AgreementPageWindow *AgreementPageWindow::open(const QString &page, QWidget *parent)
{
    auto *window = new AgreementPageWindow(pageUrl(page), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QUrl AgreementPageWindow::pageUrl(const QString &page)
{
    const QString name = page == QLatin1String("protocol") ? page : QStringLiteral("secret");
    return QUrl(QStringLiteral("qrc:/pages/%1.html").arg(name));
}

AgreementPageWindow::AgreementPageWindow(const QUrl &url, QWidget *parent)
    : QDialog(parent), m_url(url), m_view(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("agreementPage"));
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setOpenLinks(false);
    // Links to the service's site leave the window for the browser.
    connect(m_view, &QTextBrowser::anchorClicked, this, [this](const QUrl &target) {
        if (target.scheme() == QLatin1String("https") || target.scheme() == QLatin1String("http"))
            QDesktopServices::openUrl(target);
        else if (target.hasFragment() && target.path().isEmpty())
            m_view->scrollToAnchor(target.fragment());
    });
    m_view->setSource(url, QTextDocument::HtmlResource);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setWindowTitle(m_view->documentTitle());
    resize(560, 600);
}
