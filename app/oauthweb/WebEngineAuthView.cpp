#include "WebEngineAuthView.h"

#include "WebEngineAuthPage.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

WebEngineAuthView::WebEngineAuthView(QWidget *parent, std::function<void()> loaded)
    : QWebEngineView(parent), m_profile(new QWebEngineProfile(this))
{
    // A profile without a storage name is off the record.
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest *download) { download->cancel(); });
    setPage(new WebEngineAuthPage(m_profile, this));
    // Finished loads are the main frame's only: a change of address (a
    // frame's redirect, a page's script) is a reason to check as well.
    connect(this, &QWebEngineView::loadFinished, this, [loaded](bool) { loaded(); });
    connect(this, &QWebEngineView::urlChanged, this, [loaded](const QUrl &) { loaded(); });
}

WebEngineAuthView::~WebEngineAuthView()
{
    // The page goes before its profile.
    delete page();
}
