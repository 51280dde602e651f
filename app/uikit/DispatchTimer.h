#pragma once

#include <QObject>

#include <functional>

class Scheduler;

// A repeating timer made by DisPatchManager::timingWithDuration: once resumed it
// fires every interval, starting at once; each firing while the count is above 0
// lowers it and calls the block on the main thread, the firing at 0 cancels it.
// It belongs to its parent and stops when the parent goes.
class DispatchTimer : public QObject
{
    Q_OBJECT
public:
    DispatchTimer(Scheduler &scheduler, qint64 count, double intervalSeconds, std::function<void()> block,
                  QObject *parent = nullptr);

    void resume(); // starts it; later calls do nothing
    void cancel(); // no further firing
    bool isCancelled() const { return m_cancelled; }
    qint64 remaining() const { return m_count; }
    int intervalMsecs() const { return m_intervalMsecs; }

private:
    void fire();

    Scheduler &m_scheduler;
    qint64 m_count;
    int m_intervalMsecs;
    std::function<void()> m_block;
    bool m_resumed = false;
    bool m_cancelled = false;
};
