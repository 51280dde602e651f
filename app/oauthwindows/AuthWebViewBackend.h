#pragma once

#include <QUrl>
#include <QtPlugin>

#include <functional>

class QWidget;

// What the web view plugin (app/oauthweb) offers. Qt WebEngine lives in a
// plugin of its own, loaded when the authorisation window first opens, so
// that the program neither links nor loads it at start.
class AuthWebViewBackend
{
public:
    virtual ~AuthWebViewBackend() = default;
    // A view for the service's authorisation page: an off-the-record profile
    // of its own (no provider cookies kept), http and https only, no pop-up
    // windows, downloads or permission grants, certificate errors refused.
    // `loaded` runs after every finished load and every change of address.
    virtual QWidget *createView(QWidget *parent, std::function<void()> loaded) = 0;
    virtual void load(QWidget *view, const QUrl &url) = 0;
};

#define PRELVANE_AUTH_WEBVIEW_IID "org.prelvane.AuthWebViewBackend/1"
Q_DECLARE_INTERFACE(AuthWebViewBackend, PRELVANE_AUTH_WEBVIEW_IID)
