#include "platform/base/Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <limits>

namespace {

class TimerScheduler final : public Scheduler
{
public:
    void schedule(qint64 msecs, QObject *context, Task task) override
    {
        // A Qt timer takes an int: longer waits are taken in steps.
        constexpr qint64 maxStep = std::numeric_limits<int>::max();
        const qint64 wait = std::max<qint64>(msecs, 0);
        QObject *receiver = context ? context : QCoreApplication::instance();
        if (wait > maxStep) {
            QTimer::singleShot(int(maxStep), Qt::PreciseTimer, receiver,
                               [this, rest = wait - maxStep, context, task = std::move(task)]() mutable {
                                   schedule(rest, context, std::move(task));
                               });
            return;
        }
        QTimer::singleShot(int(wait), Qt::PreciseTimer, receiver, std::move(task));
    }
};

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
