#pragma once

#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"

#include <QList>
#include <QPointer>

// The scheduler of tests, tied to the clock: time stands still until the test
// moves it. advance() moves the clock and runs every task that falls due on
// the way, in order of due time, with the clock set to each task's due time;
// moving the clock directly (Clock::advance, Clock::setNow) runs what fell
// due as well. Hand it to what schedules (the test graph's parts, a centre).
class ManualScheduler final : public Scheduler
{
public:
    ManualScheduler();
    ~ManualScheduler() override;
    ManualScheduler(const ManualScheduler &) = delete;
    ManualScheduler &operator=(const ManualScheduler &) = delete;

    void schedule(qint64 msecs, QObject *context, Task task) override;

    // Moves the clock by `msecs`, running what falls due.
    void advance(qint64 msecs);
    // Runs what is due now (tasks scheduled with no delay).
    void runDue() { advance(0); }
    // Tasks still to run (those of destroyed contexts not counted).
    int pending() const;
    // Milliseconds from now to the next task to run, or -1 when none.
    qint64 nextDelay() const;

private:
    struct Item
    {
        qint64 due;
        quint64 seq;
        QPointer<QObject> context;
        bool bound;
        Task task;
    };
    bool live(const Item &item) const { return item.context || !item.bound; }
    void runUntil(qint64 target);

    QList<Item> m_items;
    quint64 m_seq = 0;
    bool m_running = false;
    Clock m_clock; // hears the clock moved directly
};
