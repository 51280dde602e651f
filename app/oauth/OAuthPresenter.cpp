#include "app/oauth/OAuthPresenter.h"

#include "app/oauth/AuthWebPage.h"
#include "app/oauth/AuthWebPageFactory.h"
#include "platform/base/Scheduler.h"
#include "platform/base/UserFeedback.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/BaseSuccessModel.h"

#include <QUrl>

OAuthPresenter::OAuthPresenter(const Services &services, AuthWebPageFactory &pages, const QString &type,
                               const QString &oauthType, QObject *parent)
    : QObject(parent), m_services(services), m_pages(pages)
{
    m_model.type = type;
    m_model.oauthtype = oauthType;
}

OAuthPresenter::~OAuthPresenter()
{
    closeWindow();
}

QString OAuthPresenter::windowTitle()
{
    return QStringLiteral("互联登录");
}

QString OAuthPresenter::noClientIdText()
{
    return QStringLiteral("获取授权信息失败，请稍后重试");
}

void OAuthPresenter::start()
{
    if (m_started)
        return;
    m_started = true;
    OAuthModel ask;
    ask.type = m_model.type;
    ask.oauthtype = m_model.oauthtype;
    // The client shows the service's message for another code; a transport
    // failure ends quietly.
    m_services.api->loadAOuthTempIdWithParams(
        ask, this, [this](const BaseSuccessModel &reply) { tempIdReplied(reply); },
        [this](const BaseErrorModel &) { end(); });
}

void OAuthPresenter::tempIdReplied(const BaseSuccessModel &reply)
{
    if (!reply.isSuccess()) {
        end();
        return;
    }
    const QString clientId = reply.data.isString() ? reply.dataString().trimmed() : QString();
    if (clientId.isEmpty()) {
        m_services.feedback->showMessage(noClientIdText(), UserFeedback::Asker{});
        end();
        return;
    }
    m_model.clientId = clientId;
    const QString url = ApiNetWorking::loadOAuthUrlWithModel(m_model);
    if (url.isEmpty()) {
        m_services.feedback->showMessage(ApiNetWorking::noApiAddressText(), UserFeedback::Asker{});
        end();
        return;
    }
    open(url);
}

void OAuthPresenter::open(const QString &url)
{
    m_page = m_pages.openPage(windowTitle(), parent() ? parent() : this);
    if (!m_page) {
        end();
        return;
    }
    ++m_generation;
    connect(m_page, &AuthWebPage::pageLoaded, this, &OAuthPresenter::check);
    connect(m_page, &AuthWebPage::closedByUser, this, [this] {
        // Closing ends the authorisation without a report.
        m_done = true;
        closeWindow();
        end();
    });
    m_page->load(QUrl(url));
    schedulePoll();
}

void OAuthPresenter::schedulePoll()
{
    const quint64 generation = m_generation;
    m_services.scheduler->schedule(PollMsecs, this, [this, generation] {
        if (generation != m_generation || !m_page || m_done)
            return;
        check();
        schedulePoll();
    });
}

void OAuthPresenter::check()
{
    if (!m_page || m_done || m_checking)
        return;
    m_checking = true;
    m_services.api->checkOAuthStatusWithParamsModel(
        m_model, this, [this](const BaseSuccessModel &reply) { checkReplied(reply); },
        [this](const BaseErrorModel &) { m_checking = false; });
}

void OAuthPresenter::checkReplied(const BaseSuccessModel &reply)
{
    m_checking = false;
    if (!m_page || m_done)
        return; // the window closed meanwhile
    const QJsonObject data = reply.dataObject();
    const QString status = data.value(QStringLiteral("status")).toString();
    const QString openId = data.value(QStringLiteral("openId")).toString();
    // Pending (or a status we do not know) keeps the window open, whatever
    // the code: the user may not have finished yet.
    const bool ok = status == QLatin1String("ok") && !openId.isEmpty();
    const bool unbound = status == QLatin1String("unbound");
    if (reply.isSuccess()) {
        if (!ok && !unbound)
            return;
        m_done = true;
        closeWindow();
        emit reported(status, ok ? openId : QString(), m_model.oauthtype);
        end();
        return;
    }
    if (!ok && !unbound)
        return;
    m_done = true;
    closeWindow();
    m_services.feedback->showMessage(reply.msg, UserFeedback::Asker{});
    end();
}

void OAuthPresenter::closeWindow()
{
    ++m_generation;
    if (AuthWebPage *page = m_page) {
        m_page = nullptr;
        page->disconnect(this);
        page->close();
        page->deleteLater();
    }
}

void OAuthPresenter::end()
{
    closeWindow();
    m_done = true;
    emit finished();
}
