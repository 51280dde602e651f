#include "service/sync/SyncReminderHooks.h"

#include "platform/notifications/UserNotificationCenter.h"

namespace {
SyncReminderHooks::RemoveScheduled removeHook;
SyncReminderHooks::ScheduleNote scheduleHook;
SyncReminderHooks::Reconcile reconcileHook;
int reconciles = 0;
} // namespace

void SyncReminderHooks::setRemoveScheduled(RemoveScheduled hook)
{
    removeHook = std::move(hook);
}

void SyncReminderHooks::setScheduleNote(ScheduleNote hook)
{
    scheduleHook = std::move(hook);
}

void SyncReminderHooks::setReconcile(Reconcile hook)
{
    reconcileHook = std::move(hook);
}

void SyncReminderHooks::reset()
{
    removeHook = {};
    scheduleHook = {};
    reconcileHook = {};
    reconciles = 0;
}

void SyncReminderHooks::removeScheduled(const QStringList &identifiers)
{
    if (identifiers.isEmpty())
        return;
    if (removeHook) {
        removeHook(identifiers);
        return;
    }
    if (UserNotificationCenter *center = UserNotificationCenter::shared()) {
        for (const QString &id : identifiers)
            center->removeScheduledNotification(id);
    }
}

void SyncReminderHooks::scheduleNote(NoteDetail *note)
{
    if (note && scheduleHook)
        scheduleHook(note);
}

void SyncReminderHooks::reconcile()
{
    ++reconciles;
    if (reconcileHook)
        reconcileHook();
}

int SyncReminderHooks::reconcileCount()
{
    return reconciles;
}
