#include "ManualScheduler.h"

ManualScheduler::ManualScheduler()
{
    UiScheduler::install(this);
}

ManualScheduler::~ManualScheduler()
{
    if (UiScheduler::current() == this)
        UiScheduler::install(nullptr);
}

void ManualScheduler::schedule(int msecs, QObject *context, Task task)
{
    m_items.append({m_now + std::max(msecs, 0), m_seq++, context, context != nullptr, std::move(task)});
}

void ManualScheduler::advance(qint64 msecs)
{
    const qint64 target = m_now + msecs;
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
        m_now = item.due;
        // Like a timer with a context object: gone context, no call.
        if (item.context || !item.bound)
            item.task();
    }
    m_now = target;
}

int ManualScheduler::pending() const
{
    int n = 0;
    for (const Item &it : m_items)
        n += it.context || !it.bound ? 1 : 0;
    return n;
}
