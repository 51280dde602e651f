#pragma once

#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinService.h"
#include "service/standin/StandinState.h"

#include <QAtomicInt>
#include <QThread>
#include <QUrl>

#include <functional>
#include <memory>

// The stand-in service on a thread of its own, so that a benchmark's main
// thread (or a child process it waits for) counts only the program's work.
class StandinThread : public QThread
{
public:
    ~StandinThread() override
    {
        quit();
        wait();
    }
    void startAndWait()
    {
        start();
        while (!m_ready.loadAcquire())
            QThread::msleep(1);
    }
    // Runs `work` on the service's thread, on the account "tester", and waits for it.
    void onService(const std::function<void(StandinService &, NoteSyncHandlers &, StandinAccount &)> &work)
    {
        QMetaObject::invokeMethod(
            m_service.get(), [&] { work(*m_service, *m_notes, *account()); }, Qt::BlockingQueuedConnection);
    }
    QUrl baseUrl() const { return m_url; }
    StandinAccount snapshotAccount()
    {
        StandinAccount copy;
        onService([&](StandinService &, NoteSyncHandlers &, StandinAccount &a) { copy = a; });
        return copy;
    }

protected:
    void run() override
    {
        m_service = std::make_unique<StandinService>();
        m_notes = std::make_unique<NoteSyncHandlers>(*m_service);
        if (!m_service->listen())
            qFatal("bench: the stand-in cannot listen");
        account()->accessToken = QStringLiteral("token-bench");
        m_url = m_service->baseUrl();
        m_ready.storeRelease(1);
        exec();
        m_notes.reset();
        m_service.reset();
    }

private:
    StandinAccount *account() { return m_service->state().accountByName(QStringLiteral("tester")); }

    std::unique_ptr<StandinService> m_service;
    std::unique_ptr<NoteSyncHandlers> m_notes;
    QUrl m_url;
    QAtomicInt m_ready;
};
