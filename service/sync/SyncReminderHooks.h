#pragma once

#include <QStringList>

#include <functional>

class NoteDetail;

// How sync reaches the reminder scheduler. The shell wires these to the
// notification managers and the reconciler at start-up; until then a removal
// goes straight to the notification centre and the rest does nothing.
class SyncReminderHooks
{
public:
    using RemoveScheduled = std::function<void(const QStringList &identifiers)>;
    using ScheduleNote = std::function<void(NoteDetail *note)>;
    using Reconcile = std::function<void()>;

    static void setRemoveScheduled(RemoveScheduled hook);
    static void setScheduleNote(ScheduleNote hook);
    static void setReconcile(Reconcile hook);
    static void reset();

    // Withdraws the pending notifications with these identifiers (note ids).
    static void removeScheduled(const QStringList &identifiers);
    // Schedules the date notification of one note afresh (after its id changed).
    static void scheduleNote(NoteDetail *note);
    // Brings the whole schedule in line with the store (after every push and pull).
    static void reconcile();
    // How often reconcile() ran (tests).
    static int reconcileCount();
};
