#include "platform/base/Scheduler.h"

#include "platform/base/TimerScheduler.h"

#include <atomic>

namespace {
TimerScheduler timerScheduler;
std::atomic<Scheduler *> installed{nullptr};
} // namespace

Scheduler::~Scheduler() = default;

Scheduler *Scheduler::current()
{
    Scheduler *s = installed.load();
    return s ? s : &timerScheduler;
}

void Scheduler::install(Scheduler *scheduler)
{
    installed.store(scheduler);
}
