#include "core/model/UserManager.h"

#include "core/model/UserInfo.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"

UserInfo *UserManager::getCurrentInfo() const
{
    if (!UserDefaults::contains(QStringLiteral("userId")))
        return nullptr;
    // The default may hold text or a number; both name the same integer id.
    bool ok = false;
    const qint64 id = UserDefaults::value(QStringLiteral("userId")).toString().trimmed().toLongLong(&ok);
    if (!ok)
        return nullptr;
    return m_store.findFirstByAttribute<UserInfo>(QStringLiteral("userId"), id);
}
