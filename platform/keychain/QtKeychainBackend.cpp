#include "platform/keychain/QtKeychainBackend.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

namespace {
// A keychain daemon that never answers must not hang the program.
constexpr int JobTimeoutMSecs = 10000;

// Runs a job to its end in a local loop. False when it did not finish in time.
bool runJob(QKeychain::Job &job)
{
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(JobTimeoutMSecs, &loop, &QEventLoop::quit);
    job.start();
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done;
}
} // namespace

QtKeychainBackend::QtKeychainBackend() = default;

bool QtKeychainBackend::writeItem(const QString &key, const QByteArray &data)
{
    if (key.isEmpty() || data.isEmpty()) {
        m_lastError = QStringLiteral("empty key or value");
        return false;
    }
    QKeychain::WritePasswordJob job(key);
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    job.setBinaryData(data);
    if (!runJob(job)) {
        m_lastError = QStringLiteral("keychain did not answer");
        return false;
    }
    m_lastError = job.error() == QKeychain::NoError ? QString() : job.errorString();
    if (!m_lastError.isEmpty())
        qWarning().noquote() << "keychain: cannot store" << key << ":" << m_lastError;
    return job.error() == QKeychain::NoError;
}

std::optional<QByteArray> QtKeychainBackend::readItem(const QString &key)
{
    if (key.isEmpty())
        return std::nullopt;
    QKeychain::ReadPasswordJob job(key);
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    if (!runJob(job)) {
        m_lastError = QStringLiteral("keychain did not answer");
        return std::nullopt;
    }
    if (job.error() != QKeychain::NoError) {
        m_lastError = job.errorString();
        return std::nullopt;
    }
    m_lastError.clear();
    return job.binaryData();
}

bool QtKeychainBackend::deleteItem(const QString &key)
{
    if (key.isEmpty())
        return false;
    QKeychain::DeletePasswordJob job(key);
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    if (!runJob(job)) {
        m_lastError = QStringLiteral("keychain did not answer");
        return false;
    }
    const bool gone = job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
    m_lastError = gone ? QString() : job.errorString();
    return gone;
}
