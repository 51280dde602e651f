#include "service/api/ApiTransport.h"

#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

struct ApiTransport::Watch
{
    Done done;
    bool idleTimedOut = false;
    bool deadlinePassed = false;
    bool tooLarge = false;
    QString sslError;
};

ApiTransport::ApiTransport(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {}

ApiTransport::~ApiTransport()
{
    // Replies torn down with the manager end no caller's request.
    m_closing = true;
    delete m_manager;
}

QString ApiTransport::idleTimeoutText()
{
    return QStringLiteral("请求超时，请检查网络后重试");
}

QString ApiTransport::deadlineText()
{
    return QStringLiteral("请求超时：服务器应答过慢，请稍后重试");
}

void ApiTransport::setExtraCaCertificates(const QList<QSslCertificate> &certificates)
{
    m_extraCa = certificates;
}

void ApiTransport::setIdleTimeout(int msecs)
{
    m_idleMSecs = qMax(1, msecs);
}

void ApiTransport::setDeadline(int msecs)
{
    m_deadlineMSecs = qMax(1, msecs);
}

void ApiTransport::setMaxReplyBytes(qint64 bytes)
{
    m_maxReplyBytes = qMax<qint64>(1, bytes);
}

void ApiTransport::prepare(QNetworkRequest &request) const
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    if (!m_extraCa.isEmpty())
        ssl.addCaCertificates(m_extraCa);
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    request.setSslConfiguration(ssl);
}

void ApiTransport::get(QNetworkRequest request, Done done)
{
    prepare(request);
    watch(m_manager->get(request), std::move(done));
}

void ApiTransport::post(QNetworkRequest request, const QByteArray &body, Done done)
{
    prepare(request);
    watch(m_manager->post(request, body), std::move(done));
}

void ApiTransport::post(QNetworkRequest request, std::unique_ptr<QHttpMultiPart> body, Done done)
{
    prepare(request);
    QNetworkReply *reply = m_manager->post(request, body.get());
    body.release()->setParent(reply);
    watch(reply, std::move(done));
}

void ApiTransport::watch(QNetworkReply *reply, Done done)
{
    auto w = std::make_shared<Watch>();
    w->done = std::move(done);

    // Idle time-out: restarted whenever bytes move.
    auto *idle = new QTimer(reply);
    idle->setSingleShot(true);
    idle->setInterval(m_idleMSecs);
    connect(idle, &QTimer::timeout, reply, [w, reply] {
        w->idleTimedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, idle, qOverload<>(&QTimer::start));
    connect(reply, &QNetworkReply::uploadProgress, idle, qOverload<>(&QTimer::start));
    // The deadline is never restarted: a byte now and then does not keep a request alive.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    deadline->setInterval(m_deadlineMSecs);
    connect(deadline, &QTimer::timeout, reply, [w, reply] {
        w->deadlinePassed = true;
        reply->abort();
    });
    // A reply larger than any the service sends is cut off before it fills the memory.
    const qint64 maxBytes = m_maxReplyBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply, [w, reply, maxBytes](qint64 got, qint64 total) {
        if ((got > maxBytes || total > maxBytes) && !w->tooLarge) {
            w->tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::sslErrors, reply, [w](const QList<QSslError> &errors) {
        if (!errors.isEmpty())
            w->sslError = errors.first().errorString();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, w] { finish(reply, w); });
    idle->start();
    deadline->start();
}

void ApiTransport::finish(QNetworkReply *reply, const std::shared_ptr<Watch> &w)
{
    if (m_closing)
        return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    // The whole reply may have arrived before any progress was reported.
    if (reply->bytesAvailable() > m_maxReplyBytes)
        w->tooLarge = true;

    Result result;
    if (w->tooLarge || error != QNetworkReply::NoError || (status != 0 && (status < 200 || status >= 300))) {
        QString text;
        if (w->tooLarge) {
            text = QStringLiteral("服务器返回的数据过大，无法读取");
        } else if (w->deadlinePassed) {
            text = deadlineText();
        } else if (w->idleTimedOut) {
            text = idleTimeoutText();
        } else if (status >= 300) {
            text = QStringLiteral("服务器出错（HTTP %1），请稍后重试").arg(status);
        } else {
            switch (error) {
            case QNetworkReply::SslHandshakeFailedError:
                text = QStringLiteral("无法建立安全连接：服务器证书不受信任");
                if (!w->sslError.isEmpty())
                    text += QStringLiteral("（%1）").arg(w->sslError);
                break;
            case QNetworkReply::ConnectionRefusedError:
                text = QStringLiteral("无法连接服务器，请检查网络后重试");
                break;
            case QNetworkReply::RemoteHostClosedError:
                text = QStringLiteral("服务器意外断开了连接，请稍后重试");
                break;
            case QNetworkReply::HostNotFoundError:
                text = QStringLiteral("找不到服务器，请检查网络或服务地址");
                break;
            case QNetworkReply::TimeoutError:
                text = idleTimeoutText();
                break;
            case QNetworkReply::OperationCanceledError:
                text = QStringLiteral("请求已取消");
                break;
            default:
                text = QStringLiteral("网络错误：%1").arg(reply->errorString());
                break;
            }
        }
        result.errorText = text;
        w->done(result);
        return;
    }

    result.bytes = reply->readAll();
    if (!result.bytes.isEmpty()) {
        // The replies the service sends; anything else is not read.
        const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader)
                                    .toByteArray()
                                    .split(';')
                                    .first()
                                    .trimmed()
                                    .toLower();
        if (!type.isEmpty() && type != "application/json" && type != "text/html") {
            result.errorText =
                QStringLiteral("服务器返回了无法识别的内容（%1）").arg(QString::fromLatin1(type));
            result.bytes.clear();
            w->done(result);
            return;
        }
    }
    result.ok = true;
    w->done(result);
}
