#include "notes/categories/presenter/CategoryDueCount.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/store/Context.h"

bool CategoryDueCount::isDue(const DateRemind *remind, const QDateTime &now)
{
    if (!remind || remind->remindActionType() == RemindAction::Cleared)
        return false;
    if (!remind->remindRealDateTime().isEmpty()) {
        if (NoteRemindManager::isDelayWithDelayTime(remind->remindDelayTime()))
            return false;
        const QDateTime at = DateManager::getDateFromString(remind->remindRealDateTime());
        return at.isValid() && DateManager::compareFromDate(now, at) >= 0;
    }
    return !remind->connectWifiIds().isEmpty() && remind->remindWifiStatus() == WiFiRemindStatus::Fired;
}

QHash<QString, int> CategoryDueCount::dueByCategory(Context *ctx, const QDateTime &now)
{
    QHash<QString, int> out;
    if (!ctx)
        return out;
    FetchRequest request;
    request.where = Predicate::notEquals(QStringLiteral("remindActionType"), RemindAction::Cleared);
    QList<DateRemind *> reminds = ctx->fetch<DateRemind>(request);
    reminds.removeIf([&now](const DateRemind *r) { return !isDue(r, now); });
    const QHash<DateRemind *, NoteDetail *> notes =
        ctx->fetchToOne<NoteDetail>(reminds, QStringLiteral("noteDetail"));
    for (auto it = notes.cbegin(); it != notes.cend(); ++it)
        if (it.value())
            ++out[it.value()->classId()];
    return out;
}
