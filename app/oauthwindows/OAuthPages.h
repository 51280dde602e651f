#pragma once

#include "app/oauth/AuthWebPageFactory.h"

#include <QString>
#include <QStringList>

class AuthWebViewBackend;
class QPluginLoader;
class UrlOpener;

// The program's authorisation pages: the web view plugin is loaded when the
// first window opens, from lib/prelvane beside the program's folder
// (installed) or from the build's plugin folder; where it cannot be loaded,
// every window is the browser with the waiting dialog.
class OAuthPages final : public AuthWebPageFactory
{
public:
    static inline const QString PluginName = QStringLiteral("prelvane_oauth_webengine");

    explicit OAuthPages(UrlOpener &urls);
    // Pages that look for the plugin only in these folders (none: always the browser).
    OAuthPages(UrlOpener &urls, const QStringList &folders);
    ~OAuthPages() override;
    OAuthPages(const OAuthPages &) = delete;
    OAuthPages &operator=(const OAuthPages &) = delete;

    AuthWebPage *openPage(const QString &title, const QObject *anchor) override;
    bool hasWebView();
    static QStringList defaultFolders();

private:
    AuthWebViewBackend *backend();

    UrlOpener &m_urls;
    QStringList m_folders;
    QPluginLoader *m_loader = nullptr;
    AuthWebViewBackend *m_backend = nullptr;
    bool m_tried = false;
};
