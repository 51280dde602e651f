#pragma once

#include <QWebEnginePage>

class QWebEngineCertificateError;

// The authorisation page's rules: http and https only, no pop-up windows,
// no permission granted, certificate errors never accepted.
class WebEngineAuthPage final : public QWebEnginePage
{
    Q_OBJECT
public:
    WebEngineAuthPage(QWebEngineProfile *profile, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
};
