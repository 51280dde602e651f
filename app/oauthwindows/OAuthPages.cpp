#include "app/oauthwindows/OAuthPages.h"

#include "app/oauthwindows/AuthWebViewBackend.h"
#include "app/oauthwindows/OAuthWaitingPage.h"
#include "app/oauthwindows/OAuthWebPage.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QWidget>

OAuthPages::OAuthPages(UrlOpener &urls) : OAuthPages(urls, defaultFolders()) {}

OAuthPages::OAuthPages(UrlOpener &urls, const QStringList &folders) : m_urls(urls), m_folders(folders) {}

OAuthPages::~OAuthPages()
{
    // The plugin stays loaded until the program ends (its engine does not unload).
    delete m_loader;
}

QStringList OAuthPages::defaultFolders()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QDir(QCoreApplication::applicationDirPath())
                       .absoluteFilePath(QStringLiteral("../lib/prelvane"));
    folders << QStringLiteral(PRELVANE_BUILD_PLUGIN_DIR);
    return folders;
}

bool OAuthPages::hasWebView()
{
    return backend() != nullptr;
}

AuthWebViewBackend *OAuthPages::backend()
{
    if (m_tried)
        return m_backend;
    m_tried = true;
    QString error;
    for (const QString &folder : std::as_const(m_folders)) {
        const QString file =
            QDir(folder).absoluteFilePath(QStringLiteral("lib") + PluginName + QStringLiteral(".so"));
        if (!QFileInfo::exists(file))
            continue;
        auto *loader = new QPluginLoader(file);
        if (auto *b = qobject_cast<AuthWebViewBackend *>(loader->instance())) {
            m_loader = loader;
            m_backend = b;
            return m_backend;
        }
        error = loader->errorString();
        delete loader;
    }
    if (!m_folders.isEmpty())
        qWarning() << "no web view for the authorisation window, the browser is used:"
                   << (error.isEmpty()
                           ? QStringLiteral("no plugin in ") + m_folders.join(QStringLiteral(", "))
                           : error);
    return nullptr;
}

AuthWebPage *OAuthPages::openPage(const QString &title, const QObject *anchor)
{
    QWidget *window = nullptr;
    if (auto *w = qobject_cast<const QWidget *>(anchor))
        window = w->window();
    if (!window)
        window = QApplication::activeWindow();
    if (AuthWebViewBackend *b = backend())
        return new OAuthWebPage(*b, window, title);
    return new OAuthWaitingPage(m_urls, window, title);
}
