#pragma once

#include "platform/base/Scheduler.h"

// The program's scheduler: tasks run on Qt timers on the main thread.
class TimerScheduler final : public Scheduler
{
public:
    void schedule(qint64 msecs, QObject *context, Task task) override;
};
