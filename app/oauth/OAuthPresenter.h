#pragma once

#include "app/oauth/AuthWebPage.h"
#include "app/services/Services.h"
#include "service/api/OAuthModel.h"

#include <QObject>
#include <QPointer>
#include <QString>

class AuthWebPageFactory;
struct BaseSuccessModel;

// One WeChat/QQ authorisation: the temporary client id, the service's
// "/oauth/jump" page in the authorisation window, and the status checks
// after every page load and every 3 seconds while the window is open (one
// check in flight). The window reports at most once; a reply after it closed
// is dropped. Used by the login window (type "login") and the account tab
// (type "bind").
class OAuthPresenter : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 PollMsecs = 3000;

    // Uses the bundle's api, feedback and scheduler; `pages` opens the window.
    OAuthPresenter(const Services &services, AuthWebPageFactory &pages, const QString &type,
                   const QString &oauthType, QObject *parent = nullptr);
    ~OAuthPresenter() override;

    // Asks for the temporary client id; the window opens on its reply.
    void start();
    bool isOpen() const { return m_page != nullptr; }
    bool checkInFlight() const { return m_checking; }
    const OAuthModel &model() const { return m_model; }

    static QString windowTitle();
    static QString noClientIdText();

signals:
    // The service's answer for the client id: "ok" (with an openId) or "unbound".
    void reported(const QString &status, const QString &openId, const QString &oauthType);
    // The authorisation is over: reported, refused, closed by the user, or
    // the window never opened.
    void finished();

private:
    void tempIdReplied(const BaseSuccessModel &reply);
    void open(const QString &url);
    void check();
    void checkReplied(const BaseSuccessModel &reply);
    void schedulePoll();
    void closeWindow();
    void end();

    Services m_services;
    AuthWebPageFactory &m_pages;
    OAuthModel m_model;
    QPointer<AuthWebPage> m_page;
    bool m_started = false;
    bool m_done = false;
    bool m_checking = false;
    // Each opening of the window; polls of an earlier one are dropped.
    quint64 m_generation = 0;
};
