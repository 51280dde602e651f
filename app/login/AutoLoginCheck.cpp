#include "app/login/AutoLoginCheck.h"

#include "core/model/LoginAccount.h"
#include "platform/base/Missing.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/AutoLoginModel.h"
#include "service/account/SignInKeys.h"

bool AutoLoginCheck::signsInAutomatically(Context *store)
{
    if (!store || !UserDefaults::boolValue(QStringLiteral("AgreeProtocolKey")))
        return false;
    bool ok = false;
    const qint64 userId = UserDefaults::value(SignInKeys::UserId).toString().trimmed().toLongLong(&ok);
    if (!ok || userId <= 0)
        return false;
    const LoginAccount *row = store->findFirstWhere<LoginAccount>(
        [userId](const LoginAccount *a) { return a->userId() == userId; });
    if (!row || !row->autoLogin() || Missing::isMissing(UserDefaults::value(SignInKeys::Account)))
        return false;
    const AutoLoginModel record = AutoLoginModel::stored();
    return record.type == AutoLoginModel::OAuthAutoLogin || record.type == AutoLoginModel::AccountLogin;
}
