#include "app/mainwindow/presenter/LockPresenter.h"

#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserFeedback.h"
#include "service/account/QuitLoginManager.h"
#include "service/api/AutoJumpToken.h"

#include <QUrl>

LockPresenter::LockPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
}

QString LockPresenter::nick() const
{
    const UserInfo *info = m_services.users->getCurrentInfo();
    return info ? info->nick() : QString();
}

QString LockPresenter::avatarUrl() const
{
    const UserInfo *info = m_services.users->getCurrentInfo();
    return info ? info->avatar() : QString();
}

bool LockPresenter::unlock(const QString &typed)
{
    const UserInfo *info = m_services.users->getCurrentInfo();
    const QString password = info ? info->lockScreenPassword() : QString();
    if (password.isEmpty() || typed == password) {
        emit unlocked();
        return true;
    }
    if (!m_error) {
        m_error = true;
        emit errorShownChanged(true);
    }
    return false;
}

void LockPresenter::forgetPassword()
{
    AutoJumpToken::getAutoJumpTokenWithUrl(QStringLiteral("/searchPwd/step1"), m_services.store,
                                           *m_services.deviceId, this, [this](const QString &link) {
                                               if (!link.isEmpty())
                                                   m_services.urls->openUrl(QUrl(link));
                                           });
}

void LockPresenter::quitLogin()
{
    m_services.feedback->showConfirm(QStringLiteral("确定退出登录？"), UserFeedback::by(this),
                                     [logout = m_services.logout](bool ok) {
                                         if (ok)
                                             logout->showLoginWindow();
                                     });
}
