#pragma once

#include <QtGlobal>

#include <functional>

class QObject;

// Every delay of the program (spinner forced hide, toast removal, countdown
// ticks, polls, debounces) goes through the scheduler handed to whoever waits,
// so that tests move time by hand. The program's scheduler (TimerScheduler)
// runs tasks on Qt timers on the main thread; tests hand on a ManualScheduler,
// which moves the clock along.
class Scheduler
{
public:
    using Task = std::function<void()>;

    virtual ~Scheduler();

    // Runs `task` once, `msecs` from now (at once for 0 or less, but never
    // inside this call), unless `context` is destroyed first. Without a
    // context it always runs. Tasks run on the main thread.
    virtual void schedule(qint64 msecs, QObject *context, Task task) = 0;
};
