#pragma once

#include "app/oauthwindows/AuthWebViewBackend.h"

#include <QObject>

// The plugin's entry: makes the authorisation window's web views.
class WebEngineViewBackend final : public QObject, public AuthWebViewBackend
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PRELVANE_AUTH_WEBVIEW_IID)
    Q_INTERFACES(AuthWebViewBackend)
public:
    QWidget *createView(QWidget *parent, std::function<void()> loaded) override;
    void load(QWidget *view, const QUrl &url) override;
};
