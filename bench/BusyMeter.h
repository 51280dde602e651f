#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <ctime>

// The main thread's CPU time (what it spends working, not waiting) and the
// longest stretch in which it did not get back to its event loop, seen as the
// longest gap between ticks of a 1 ms timer.
class BusyMeter
{
public:
    BusyMeter()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] { note(m_gap.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_blocked = 0;
        m_gap.start();
        m_ticker.start();
        m_cpu = threadCpuNs();
    }
    void stop()
    {
        m_total = threadCpuNs() - m_cpu;
        note(m_gap.elapsed());
        m_ticker.stop();
    }
    double totalMs() const { return m_total / 1e6; }
    double longestMs() const { return double(m_longest); }
    // Wall time away from the event loop, summed over every stretch of 2 ms or more.
    double blockedMs() const { return double(m_blocked); }

private:
    void note(qint64 gap)
    {
        m_longest = qMax(m_longest, gap);
        if (gap >= 2)
            m_blocked += gap - 1;
    }
    static qint64 threadCpuNs()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    QTimer m_ticker;
    QElapsedTimer m_gap;
    qint64 m_cpu = 0;
    qint64 m_total = 0;
    qint64 m_longest = 0;
    qint64 m_blocked = 0;
};
