#include "app/uikit/DispatchTimer.h"

#include "platform/base/Scheduler.h"

#include <QPointer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Whole milliseconds, at least 1 so that a zero or unusable interval never spins.
int toMsecs(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 1;
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                         : std::max(1, int(ms));
}
} // namespace

DispatchTimer::DispatchTimer(Scheduler &scheduler, qint64 count, double intervalSeconds,
                             std::function<void()> block, QObject *parent)
    : QObject(parent), m_scheduler(scheduler), m_count(count), m_intervalMsecs(toMsecs(intervalSeconds)),
      m_block(std::move(block))
{
}

void DispatchTimer::resume()
{
    if (m_resumed || m_cancelled)
        return;
    m_resumed = true;
    m_scheduler.schedule(0, this, [this] { fire(); });
}

void DispatchTimer::cancel()
{
    m_cancelled = true;
}

void DispatchTimer::fire()
{
    if (m_cancelled)
        return;
    if (m_count <= 0) {
        cancel();
        return;
    }
    --m_count;
    QPointer<DispatchTimer> self(this);
    if (m_block)
        m_block();
    // The block may have cancelled or destroyed the timer.
    if (self && !m_cancelled)
        m_scheduler.schedule(m_intervalMsecs, this, [this] { fire(); });
}
