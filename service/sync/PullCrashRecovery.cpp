#include "service/sync/PullCrashRecovery.h"

#include "core/model/UserInfo.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"
#include "service/sync/PullAccountSections.h"

#include <QDebug>

bool PullCrashRecovery::recoverInterruptedPull(Context &ctx)
{
    if (!UserDefaults::contains(ApplyingVersionKey))
        return false;
    const QString applying = UserDefaults::string(ApplyingVersionKey);
    const qint64 userId = UserDefaults::string(SignInKeys::UserId).toLongLong();
    UserInfo *u = PullAccountSections::currentUser(ctx, userId, false);
    if (u && !applying.isEmpty() && u->version() == applying) {
        qWarning().noquote() << "sync: the last pull committed before the program stopped; version"
                             << applying;
        UserDefaults::setValue(SignInKeys::Version, applying);
    }
    UserDefaults::remove(ApplyingVersionKey);
    UserDefaults::sync();
    return true;
}
