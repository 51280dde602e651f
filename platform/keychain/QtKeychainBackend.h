#pragma once

#include "platform/keychain/KeychainBackend.h"

#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>

class Scheduler;

// The system keychain through QtKeychain (the Secret Service on Linux). One
// job runs at a time, so that requests are carried out and answered in the
// order they were made; a job that gets no answer within the time-out (a
// keychain daemon that never answers) fails and the next one starts. An
// item's service and account are both its key.
class QtKeychainBackend final : public KeychainBackend
{
public:
    static constexpr qint64 JobTimeoutMSecs = 10000;

    explicit QtKeychainBackend(Scheduler &scheduler);
    ~QtKeychainBackend() override;

    void writeItem(const QString &key, const QByteArray &data, const QObject *owner, Done done) override;
    void readItem(const QString &key, const QObject *owner, Read answer) override;
    void deleteItem(const QString &key, const QObject *owner, Done done) override;

    // The last finished job's error text (empty after success).
    QString lastError() const { return m_lastError; }

private:
    struct Request
    {
        enum class Kind
        {
            Write,
            Read,
            Delete
        };
        Kind kind = Kind::Read;
        QString key;
        QByteArray data;
        QPointer<QObject> owner;
        Done done;
        Read answer;
    };
    struct Running;

    void enqueue(Request request);
    void startNext();
    void finish(const std::optional<QByteArray> &data, bool ok, const QString &error);

    Scheduler &m_scheduler;
    QObject m_jobs; // parent of the running job, and the context of its time-out
    std::deque<Request> m_queue;
    std::unique_ptr<Running> m_running;
    QString m_lastError;
};
