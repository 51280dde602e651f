#pragma once

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class Context;
class Scheduler;
class UserNotificationCenter;
struct StoreChanges;
struct UserNotification;

// Keeps every active reminder of one store scheduled in one notification
// centre. When more than LocalNotificationManager::maxPendingNotifications
// reminders are due, the nearest ones are scheduled; the others follow as earlier
// ones are delivered.
//
// It keeps, by row key (never by row object), what it planned for each note and
// the notes in the order they fall due, so that a saved change of one note costs
// work for that note only: start() follows the context's change sets and the
// centre's deliveries (a one-shot standing in for a repetition is followed by
// its next occurrence). reconcileAll() plans every note afresh, also with changes
// not saved yet. Main thread only.
class ReminderScheduler : public QObject
{
    Q_OBJECT
public:
    // On the main context of the open store; the pass after a delivery waits for `scheduler`.
    ReminderScheduler(Context &store, UserNotificationCenter &center, Clock &clock, Scheduler &scheduler,
                      QObject *parent = nullptr);
    ~ReminderScheduler() override;

    // Schedules what planWithNote() asks for every note of the store, leaving
    // identical pending notifications untouched, and withdraws pending
    // notifications of notes that should have none (also of rows that are gone).
    // A reminder whose fields did not change since the last pass is not planned
    // again until its planned date is reached.
    void reconcileAll();
    // Plans again only the notes a saved change set of the context touched (and
    // those whose planned date was reached), then brings the centre in step.
    // A change set that replaced the data or changed the settings, a first pass,
    // or a clock that went back, makes a full pass.
    void reconcileChanges(const StoreChanges &changes);
    // After saved changes that also withdrew notifications on their own (a push
    // or pull): while started, its change sets have planned them already, and
    // only the centre is brought in step again (what was taken back and is still
    // due is put back); otherwise a full pass.
    void reconcileSaved();

    // Follows the centre's deliveries and the context's change sets (call after the store is set up).
    void start();
    // At a start, once start() was called: every reminder that came due while the program was not running
    // (it was pending when the program last ran, and its note still has the reminder) is delivered once, its
    // text saying when it was due; then every reminder is scheduled (reconcileAll). The pending ones are kept
    // in PendingReminderJournal for the signed-in user ("userId").
    void deliverMissed();
    // Also puts a journal write still waiting for the scheduler on disk (so does the destructor).
    void stop();

private:
    struct Cache;

    void delivered(const UserNotification &notification);
    // After a pass: when the centre's pending set changed since the journal was
    // written, one write waits for the scheduler, however many passes come first.
    void journalMayHaveChanged();
    // Writes the centre's pending notifications now; `flush`: waits until on disk.
    void writeJournal(bool flush);

    Context &m_store;
    UserNotificationCenter &m_center;
    Clock &m_clock;
    Scheduler &m_scheduler;
    bool m_started = false;
    bool m_pending = false;
    // What the journal was last written from: the centre's revision and the user.
    bool m_journalWritten = false;
    bool m_journalDue = false;
    quint64 m_journalRevision = 0;
    QString m_journalUser;
    std::unique_ptr<Cache> m_cache;
};
