#include "WebEngineAuthPage.h"

#include <QWebEngineCertificateError>

WebEngineAuthPage::WebEngineAuthPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
}

bool WebEngineAuthPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http");
}

QWebEnginePage *WebEngineAuthPage::createWindow(WebWindowType)
{
    return nullptr;
}
