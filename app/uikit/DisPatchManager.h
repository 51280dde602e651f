#pragma once

#include <QtGlobal>

#include <functional>

class DispatchTimer;
class QObject;
class Scheduler;

// The one-second countdown behind the verification-code button, and repeating
// timers, timed by the scheduler it is given.
class DisPatchManager
{
public:
    explicit DisPatchManager(Scheduler &scheduler);

    // Calls `runningBlock` `count` times one second apart, the first at once,
    // with count - 1 down to 0, then `completeBlock` once a second after the
    // last. Everything runs on the main thread. It stops silently, with no
    // further call, as soon as `owner` is destroyed (a null owner: never).
    void countDownWithTime(QObject *owner, unsigned count, std::function<void(int)> runningBlock,
                           std::function<void()> completeBlock);

    // A timer that, once resumed, calls `block` `count` times `intervalSeconds`
    // apart, the first at once, then cancels itself. Returned unstarted
    // (resume() starts it) and owned by `owner`, with which it stops.
    DispatchTimer *timingWithDuration(QObject *owner, qint64 count, double intervalSeconds,
                                      std::function<void()> block);

    static constexpr int TickMsecs = 1000;

private:
    Scheduler &m_scheduler;
};
