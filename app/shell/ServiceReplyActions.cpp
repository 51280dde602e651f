#include "app/shell/ServiceReplyActions.h"

#include "platform/base/UserFeedback.h"
#include "service/account/QuitLoginManager.h"
#include "service/api/ApiNetWorking.h"

#include <QPointer>

ServiceReplyActions::ServiceReplyActions(ApiNetWorking &api, UserFeedback &feedback, QuitLoginManager &logout,
                                         QObject *parent)
    : QObject(parent), m_feedback(feedback), m_logout(logout)
{
    // Direct: the logout happens before the reply reaches its caller, so the
    // next replies of the ended sign-in see it is over.
    connect(&api, &ApiNetWorking::signInRejected, this, &ServiceReplyActions::showLoginViewWithModel,
            Qt::DirectConnection);
    connect(&api, &ApiNetWorking::updateRequired, this, &ServiceReplyActions::uploadApp,
            Qt::DirectConnection);
}

void ServiceReplyActions::showLoginViewWithModel(const AesBaseModel &model)
{
    m_logout.showLoginWindow();
    m_feedback.showDefaultMessageAlertWithDetailText(
        model.msg.isEmpty() ? QStringLiteral("登录已失效，请重新登录") : model.msg);
}

void ServiceReplyActions::uploadApp()
{
    const quint64 generation = m_logout.signInGeneration();
    if (m_updateNoticeUnder == generation)
        return;
    m_updateNoticeUnder = generation;
    QPointer<ServiceReplyActions> self(this);
    m_feedback.showDefaultMessageAlertWithDetailText(
        QStringLiteral("请下载最新版本"), [self, generation](bool pressed) {
            if (self && self->m_updateNoticeUnder == generation)
                self->m_updateNoticeUnder.reset();
            if (pressed && self && generation == self->m_logout.signInGeneration())
                self->m_logout.showLoginWindow();
        });
}
