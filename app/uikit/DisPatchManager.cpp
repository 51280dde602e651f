#include "app/uikit/DisPatchManager.h"

#include "app/uikit/DispatchTimer.h"
#include "platform/base/Scheduler.h"

#include <QCoreApplication>
#include <QPointer>

#include <memory>

namespace {

struct Countdown
{
    Scheduler &scheduler;
    unsigned remaining;
    std::function<void(int)> running;
    std::function<void()> complete;
    QPointer<QObject> owner;
    bool ownerless;
};

QObject *contextOf(const Countdown &c)
{
    return c.ownerless ? QCoreApplication::instance() : c.owner.data();
}

void tick(const std::shared_ptr<Countdown> &c)
{
    if (!contextOf(*c))
        return;
    if (c->remaining == 0) {
        if (c->complete)
            c->complete();
        return;
    }
    --c->remaining;
    if (c->running)
        c->running(int(c->remaining));
    // The running block may have destroyed the owner.
    if (QObject *context = contextOf(*c))
        c->scheduler.schedule(DisPatchManager::TickMsecs, context, [c] { tick(c); });
}

} // namespace

DisPatchManager::DisPatchManager(Scheduler &scheduler) : m_scheduler(scheduler) {}

void DisPatchManager::countDownWithTime(QObject *owner, unsigned count, std::function<void(int)> runningBlock,
                                        std::function<void()> completeBlock)
{
    auto c = std::make_shared<Countdown>(Countdown{m_scheduler, count, std::move(runningBlock),
                                                   std::move(completeBlock), owner, owner == nullptr});
    if (QObject *context = contextOf(*c))
        m_scheduler.schedule(0, context, [c] { tick(c); });
}

DispatchTimer *DisPatchManager::timingWithDuration(QObject *owner, qint64 count, double intervalSeconds,
                                                   std::function<void()> block)
{
    return new DispatchTimer(m_scheduler, count, intervalSeconds, std::move(block), owner);
}
