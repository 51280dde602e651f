#include "tests/support/doubles/ManualScheduler.h"

ManualScheduler::ManualScheduler()
{
    QObject::connect(&m_clock, &Clock::jumped, &m_clock, [this] {
        if (!m_running)
            runUntil(Clock::nowMSecs());
    });
}

ManualScheduler::~ManualScheduler() = default;

void ManualScheduler::schedule(qint64 msecs, QObject *context, Task task)
{
    m_items.append({Clock::nowMSecs() + std::max<qint64>(msecs, 0), m_seq++, context, context != nullptr,
                    std::move(task)});
}

void ManualScheduler::advance(qint64 msecs)
{
    runUntil(Clock::nowMSecs() + std::max<qint64>(msecs, 0));
}

void ManualScheduler::runUntil(qint64 target)
{
    if (m_running)
        return;
    m_running = true;
    for (;;) {
        qsizetype next = -1;
        for (qsizetype i = 0; i < m_items.size(); ++i) {
            const Item &it = m_items.at(i);
            if (it.due > target)
                continue;
            if (next < 0 || it.due < m_items.at(next).due ||
                (it.due == m_items.at(next).due && it.seq < m_items.at(next).seq))
                next = i;
        }
        if (next < 0)
            break;
        Item item = m_items.takeAt(next);
        if (item.due > Clock::nowMSecs())
            Clock::advance(item.due - Clock::nowMSecs());
        // Like a timer with a context object: gone context, no call.
        if (live(item))
            item.task();
    }
    if (target > Clock::nowMSecs())
        Clock::advance(target - Clock::nowMSecs());
    m_running = false;
}

int ManualScheduler::pending() const
{
    int n = 0;
    for (const Item &it : m_items)
        n += live(it) ? 1 : 0;
    return n;
}

qint64 ManualScheduler::nextDelay() const
{
    qint64 best = -1;
    for (const Item &it : m_items)
        if (live(it) && (best < 0 || it.due < best))
            best = it.due;
    return best < 0 ? -1 : std::max<qint64>(best - Clock::nowMSecs(), 0);
}
