#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QSslCertificate>
#include <QString>

#include <functional>
#include <memory>

class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;

// The HTTP side of the service client: one network access manager, TLS
// always verified, the time-outs and the size limit of every request, and
// the replies it owns until they end. Call on the main thread; `done` runs
// there, once, unless this transport is destroyed first.
class ApiTransport : public QObject
{
    Q_OBJECT
public:
    // Idle time-out: the request fails when no byte has moved for this long.
    static constexpr int DefaultIdleTimeoutMSecs = 60 * 1000;
    // Overall deadline: the request fails this long after it was sent, however
    // many bytes still trickle in, so a slow server cannot hold a sync for ever.
    static constexpr int DefaultDeadlineMSecs = 120 * 1000;
    static constexpr qint64 DefaultMaxReplyBytes = 64 * 1024 * 1024;

    // What a request ended with: the reply body, or the text of its failure.
    struct Result
    {
        bool ok = false;
        QByteArray bytes;
        QString errorText;
    };
    using Done = std::function<void(const Result &result)>;

    explicit ApiTransport(QObject *parent = nullptr);
    ~ApiTransport() override;

    // Certificates trusted in addition to the system ones (a test authority).
    // Verification itself is always on.
    void setExtraCaCertificates(const QList<QSslCertificate> &certificates);
    void setIdleTimeout(int msecs);
    int idleTimeout() const { return m_idleMSecs; }
    void setDeadline(int msecs);
    int deadline() const { return m_deadlineMSecs; }
    // Largest reply body accepted; a larger one fails before it fills the memory.
    void setMaxReplyBytes(qint64 bytes);
    qint64 maxReplyBytes() const { return m_maxReplyBytes; }

    void get(QNetworkRequest request, Done done);
    void post(QNetworkRequest request, const QByteArray &body, Done done);
    // The multipart body goes with the reply and is freed with it.
    void post(QNetworkRequest request, std::unique_ptr<QHttpMultiPart> body, Done done);

    static QString idleTimeoutText();
    static QString deadlineText();

private:
    struct Watch;
    void prepare(QNetworkRequest &request) const;
    void watch(QNetworkReply *reply, Done done);
    void finish(QNetworkReply *reply, const std::shared_ptr<Watch> &watch);

    QNetworkAccessManager *m_manager = nullptr;
    QList<QSslCertificate> m_extraCa;
    int m_idleMSecs = DefaultIdleTimeoutMSecs;
    int m_deadlineMSecs = DefaultDeadlineMSecs;
    qint64 m_maxReplyBytes = DefaultMaxReplyBytes;
    bool m_closing = false;
};
