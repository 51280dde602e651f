#include "platform/keychain/QtKeychainBackend.h"

#include "platform/base/Scheduler.h"

#include <qt6keychain/keychain.h>

#include <QDebug>

struct QtKeychainBackend::Running
{
    Request request;
    QKeychain::Job *job = nullptr;
};

QtKeychainBackend::QtKeychainBackend(Scheduler &scheduler) : m_scheduler(scheduler) {}

QtKeychainBackend::~QtKeychainBackend() = default; // m_jobs takes the running job with it

void QtKeychainBackend::writeItem(const QString &key, const QByteArray &data, const QObject *owner, Done done)
{
    enqueue({Request::Kind::Write, key, data, const_cast<QObject *>(owner), std::move(done), {}});
}

void QtKeychainBackend::readItem(const QString &key, const QObject *owner, Read answer)
{
    enqueue({Request::Kind::Read, key, {}, const_cast<QObject *>(owner), {}, std::move(answer)});
}

void QtKeychainBackend::deleteItem(const QString &key, const QObject *owner, Done done)
{
    enqueue({Request::Kind::Delete, key, {}, const_cast<QObject *>(owner), std::move(done), {}});
}

void QtKeychainBackend::enqueue(Request request)
{
    m_queue.push_back(std::move(request));
    if (!m_running)
        // Never inside the call, even when the job could start and end at once.
        m_scheduler.schedule(0, &m_jobs, [this] {
            if (!m_running)
                startNext();
        });
}

void QtKeychainBackend::startNext()
{
    while (!m_queue.empty() && !m_running) {
        Request request = std::move(m_queue.front());
        m_queue.pop_front();
        // Refused before the keychain: an empty key, or an empty value to store.
        if (request.key.isEmpty() || (request.kind == Request::Kind::Write && request.data.isEmpty())) {
            m_running = std::make_unique<Running>(Running{std::move(request), nullptr});
            finish(std::nullopt, false, QStringLiteral("empty key or value"));
            continue;
        }
        QKeychain::Job *job = nullptr;
        switch (request.kind) {
        case Request::Kind::Write: {
            auto *write = new QKeychain::WritePasswordJob(request.key, &m_jobs);
            write->setBinaryData(request.data);
            job = write;
            break;
        }
        case Request::Kind::Read:
            job = new QKeychain::ReadPasswordJob(request.key, &m_jobs);
            break;
        case Request::Kind::Delete:
            job = new QKeychain::DeletePasswordJob(request.key, &m_jobs);
            break;
        }
        job->setAutoDelete(false);
        job->setInsecureFallback(false);
        job->setKey(request.key);
        m_running = std::make_unique<Running>(Running{std::move(request), job});
        QObject::connect(job, &QKeychain::Job::finished, &m_jobs, [this, job] {
            if (!m_running || m_running->job != job)
                return;
            const QKeychain::Error error = job->error();
            const Request::Kind kind = m_running->request.kind;
            const bool gone = kind == Request::Kind::Delete && error == QKeychain::EntryNotFound;
            const bool ok = error == QKeychain::NoError || gone;
            std::optional<QByteArray> data;
            if (kind == Request::Kind::Read && error == QKeychain::NoError)
                data = static_cast<QKeychain::ReadPasswordJob *>(job)->binaryData();
            finish(data, ok, ok ? QString() : job->errorString());
        });
        // The time-out's context is the job: it goes with the job once the job has answered.
        m_scheduler.schedule(JobTimeoutMSecs, job, [this, job] {
            if (m_running && m_running->job == job)
                finish(std::nullopt, false, QStringLiteral("keychain did not answer"));
        });
        job->start();
    }
}

void QtKeychainBackend::finish(const std::optional<QByteArray> &data, bool ok, const QString &error)
{
    std::unique_ptr<Running> done = std::move(m_running);
    if (done->job) {
        done->job->disconnect(&m_jobs);
        done->job->deleteLater();
    }
    m_lastError = error;
    Request &r = done->request;
    if (!ok && r.kind == Request::Kind::Write)
        qWarning().noquote() << "keychain: cannot store" << r.key << ":" << error;
    // Answered from the event loop, after the job's own signal has returned.
    if (r.owner) {
        if (r.kind == Request::Kind::Read)
            answerLater(r.owner, [answer = std::move(r.answer), data] {
                if (answer)
                    answer(data);
            });
        else
            answerLater(r.owner, [done = std::move(r.done), ok] {
                if (done)
                    done(ok);
            });
    }
    if (!m_queue.empty())
        m_scheduler.schedule(0, &m_jobs, [this] {
            if (!m_running)
                startNext();
        });
}
