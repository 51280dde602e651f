#include "service/account/QuitLoginManager.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/LoginAccount.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"

#include <QDebug>

QuitLoginManager::QuitLoginManager(Session &session, UserNotificationCenter &notifications, Context *store)
    : m_session(session), m_notifications(notifications), m_store(store)
{
}

void QuitLoginManager::showLoginWindow()
{
    m_session.signOut([this] { switchOffAutoLoginAndWipe(); });
    // A copy: the hook may replace itself while it runs.
    if (const WindowHook hook = m_windowHook)
        hook();
}

void QuitLoginManager::switchOffAutoLoginAndWipe()
{
    if (Context *ctx = m_store) {
        const QVariant storedId = UserDefaults::value(SignInKeys::UserId);
        bool ok = false;
        const qint64 userId = storedId.toString().trimmed().toLongLong(&ok);
        if (ok) {
            const QList<LoginAccount *> accounts = ctx->findAllWhere<LoginAccount>(
                [userId](const LoginAccount *a) { return a->userId() == userId; });
            for (LoginAccount *account : accounts)
                account->setAutoLogin(false);
            if (!accounts.isEmpty() && !ctx->saveAndWait())
                qWarning() << "logout: auto-login could not be switched off";
        }
    }
    delectLocalDatas();
}

void QuitLoginManager::delectLocalDatas()
{
    // A background import still running would commit after the wipe and bring
    // the rows back: it ends first, and the wipe takes its rows too.
    if (Context *ctx = m_store) {
        if (Store *store = ctx->store())
            store->waitForBackgroundSaves();
        ctx->deleteAll<Classify>();
        ctx->deleteAll<NoteDetail>();
        ctx->deleteAll<DateRemind>();
        ctx->deleteAll<WiFiRemind>();
        ctx->deleteAll<UserSet>();
        ctx->deleteAll<NoteComplete>();
        ctx->deleteAll<NoteLog>();
        if (SaveResult result = ctx->saveAndWait(); !result)
            qWarning() << "logout: the local data could not be wiped";
    }

    m_notifications.removeAllDeliveredNotifications();
    m_notifications.removeAllScheduledNotifications();

    for (const QString &key : {SignInKeys::Version, SignInKeys::FontSize, SignInKeys::JpushId,
                               SignInKeys::AccessToken, SignInKeys::UserKey, SignInKeys::Account}) {
        UserDefaults::remove(key);
        UserDefaults::sync();
    }
}

void QuitLoginManager::setWindowHook(WindowHook hook)
{
    m_windowHook = std::move(hook);
}

quint64 QuitLoginManager::signInGeneration() const
{
    return m_session.generation();
}
