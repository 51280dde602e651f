#pragma once

#include "app/oauth/AuthWebPage.h"

#include <QPointer>

class AuthWebViewBackend;
#include <QDialog>
class QWidget;

// The authorisation window with the plugin's web view pinned to its edges,
// modal over the asking window.
class OAuthWebPage final : public AuthWebPage
{
    Q_OBJECT
public:
    OAuthWebPage(AuthWebViewBackend &backend, QWidget *parentWindow, const QString &title);
    ~OAuthWebPage() override;

    void load(const QUrl &url) override;
    void close() override;
    QDialog *dialog() const { return m_dialog; }

private:
    AuthWebViewBackend &m_backend;
    QPointer<QDialog> m_dialog;
    QWidget *m_view = nullptr;
    bool m_closing = false;
};
