#pragma once

#include <functional>

class QObject;

// Delayed work of the feedback kit (spinner forced hide, toast removal,
// countdown ticks). Runs on the main thread through Qt timers; tests install
// their own scheduler to move time by hand.
class UiScheduler
{
public:
    using Task = std::function<void()>;

    virtual ~UiScheduler();

    // Runs `task` once, `msecs` from now, unless `context` is destroyed first.
    virtual void schedule(int msecs, QObject *context, Task task) = 0;

    static UiScheduler *current();
    // Installs a scheduler (not owned); nullptr restores the timer-based one.
    static void install(UiScheduler *scheduler);
};
