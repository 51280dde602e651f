#pragma once

#include "app/oauth/AuthWebPage.h"

#include <QPointer>

#include <QDialog>
class QLabel;
class QWidget;
class UrlOpener;

// Where the web view plugin is missing: the page opens in the desktop's
// browser and a small dialog waits (the presenter checks every 3 seconds)
// until the authorisation is over or the user cancels.
class OAuthWaitingPage final : public AuthWebPage
{
    Q_OBJECT
public:
    OAuthWaitingPage(UrlOpener &urls, QWidget *parentWindow, const QString &title);
    ~OAuthWaitingPage() override;

    void load(const QUrl &url) override;
    void close() override;
    QDialog *dialog() const { return m_dialog; }

    static QString waitingText();
    static QString noBrowserText();

private:
    UrlOpener &m_urls;
    QPointer<QDialog> m_dialog;
    QLabel *m_text = nullptr;
    bool m_closing = false;
};
