#include "settings/presenter/SettingsRows.h"

#include "app/services/Services.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"

qint64 SettingsRows::currentUserId(const Services &services)
{
    QString id = services.session ? services.session->userId() : QString();
    if (id.trimmed().isEmpty())
        id = UserDefaults::string(SignInKeys::UserId);
    bool ok = false;
    const qint64 value = id.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

UserInfo *SettingsRows::userInfo(const Services &services, bool create)
{
    if (!services.store)
        return nullptr;
    const qint64 id = currentUserId(services);
    if (id == 0)
        return nullptr;
    UserInfo *info = services.store->findFirstByAttribute<UserInfo>(QStringLiteral("userId"), id);
    if (!info && create) {
        info = services.store->create<UserInfo>();
        info->setValue(QStringLiteral("userId"), id);
    }
    return info;
}

UserSet *SettingsRows::userSet(Context &store, bool create)
{
    UserSet *set = store.findFirstWhere<UserSet>();
    if (!set && create)
        set = store.create<UserSet>();
    return set;
}
