#pragma once

#include "app/uikit/UiScheduler.h"

#include <QList>
#include <QPointer>

// Scheduler for tests: time stands still until advance() moves it; due tasks
// then run in order of their due time. Installs itself for its lifetime.
class ManualScheduler final : public UiScheduler
{
public:
    ManualScheduler();
    ~ManualScheduler() override;

    void schedule(int msecs, QObject *context, Task task) override;
    void advance(qint64 msecs);
    qint64 now() const { return m_now; }
    int pending() const;

private:
    struct Item
    {
        qint64 due;
        quint64 seq;
        QPointer<QObject> context;
        bool bound; // had a context: runs only while it lives (none: always, like the timers)
        Task task;
    };
    QList<Item> m_items;
    qint64 m_now = 0;
    quint64 m_seq = 0;
};
