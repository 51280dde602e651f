#pragma once

#include "service/standin/StandinState.h"
#include "service/standin/StandinWebPages.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

// One request as the stand-in saw it.
struct StandinRequest
{
    QByteArray method;
    QString path; // without the leading "/"
    QUrlQuery query;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    // The parameters: the query for GET, the decrypted JSON body for POST.
    QJsonObject params;
    bool bodyDecrypted = false; // a non-empty body that decrypted to JSON
    QByteArray decryptedBody;   // the plain JSON text as it arrived
    int imageParts = 0;         // multipart parts named "FileName"
    QList<QByteArray> images;   // the contents of those parts

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};

// What a handler answers.
struct StandinReply
{
    enum class Form
    {
        Encrypted,     // data = Base64 of the encrypted JSON of `data`
        EncryptedText, // data = Base64 of the encrypted text `data.toString()`
        Plain,         // data goes as it is (plain JSON reply)
    };
    qint64 code = 200;
    QString msg = QStringLiteral("success");
    QJsonValue data = QJsonValue(QJsonValue::Undefined);
    Form form = Form::Encrypted;

    static StandinReply ok(const QJsonValue &data = QJsonObject(), Form form = Form::Encrypted);
    static StandinReply error(qint64 code, const QString &msg);
};

// A fault a test sets for one path.
struct StandinFault
{
    enum class Kind
    {
        None,
        ReplyCode,  // envelope with `code` and `msg`, no data
        NotJson,    // HTTP 200 whose body is not JSON
        BadPayload, // code 200, data that does not decrypt
        Http500,    // HTTP status 500
        Reset,      // connection reset after the request was read
        NoAnswer,   // the request is read and never answered
        Trickle,    // the head of a reply at once, its body only as the test feeds it (trickle())
    };
    Kind kind = Kind::None;
    qint64 code = 0;
    QString msg;
    int times = -1; // how many requests it applies to; -1 = until cleared

    static StandinFault replyCode(qint64 code, const QString &msg) { return {Kind::ReplyCode, code, msg}; }
    static StandinFault of(Kind kind) { return {kind, 0, {}}; }
};

// The stand-in of the service's HTTP side on 127.0.0.1: HTTP/1.1 (one request
// per connection), plain or TLS, with the same envelope and crypto as the
// client, the endpoints with in-memory state, and per-path faults.
class StandinService : public QObject
{
    Q_OBJECT
public:
    // Everything a handler gets. `user` is the account of the request's
    // "accessToken" (null on the public paths).
    struct Context
    {
        const StandinRequest &request;
        StandinState &state;
        StandinAccount *user;
    };
    using Handler = std::function<StandinReply(Context &ctx)>;

    explicit StandinService(QObject *parent = nullptr);
    ~StandinService() override;

    // Listens on 127.0.0.1 (port 0: any free port). With a certificate and key
    // it speaks TLS only.
    bool listen(quint16 port = 0);
    bool listenTls(const QSslCertificate &certificate, const QSslKey &key,
                   const QList<QSslCertificate> &chain = {}, quint16 port = 0);
    quint16 port() const;
    // "http(s)://127.0.0.1:<port>/" (the API base address) and the same
    // without the trailing "/" (the web base address).
    QUrl baseUrl() const;

    StandinState &state() { return m_state; }

    // Adds or replaces the handler of a path. Signed-in paths reject a
    // request without a known token with code 410 before the handler runs.
    void registerHandler(const QString &path, Handler handler);
    bool hasHandler(const QString &path) const { return m_handlers.contains(path); }

    void setFault(const QString &path, const StandinFault &fault);
    void clearFault(const QString &path);
    void clearFaults();

    // Every request seen, oldest first.
    const QList<StandinRequest> &requests() const { return m_requests; }
    StandinRequest lastRequest(const QString &path) const;
    int requestCount(const QString &path) const;
    void clearRequests() { m_requests.clear(); }

    // Connections that got NoAnswer and are still held open.
    int heldConnections() const;
    // Sends the next `bytes` bytes of every Trickle reply still going (the
    // connection closes after its last byte); gives how many were fed.
    int trickle(int bytes = 1);
    // Trickle replies whose body is not all sent yet.
    int tricklingConnections() const;

    // What the authorisation page's "授权" does: the client id's check
    // answers "ok" with this openId from now on.
    void authorise(const QString &clientId, const QString &openId);
    // The authorisation page's state of a client id, as the checks answer it.
    static inline const QString PendingText = QStringLiteral("尚未授权");
    static inline const QString CancelledText = QStringLiteral("用户取消了授权");

    // Whether the account has this category (not deleted); the note handlers
    // set it. Without it no category is known.
    std::function<bool(const StandinAccount &account, const QString &classId)> categoryExists;

    // Reply building, for handlers that answer by hand.
    static QByteArray envelope(const StandinReply &reply, const QString &keyText);

signals:
    void requestReceived(const QString &path);
    // "tool/sendVCode" issued a code for the account's mobile number.
    void codeIssued(const QString &mobile, const QString &code);

private:
    struct Connection;

    void accept(QTcpSocket *socket);
    void onReadable(const std::shared_ptr<Connection> &conn);
    void handle(const std::shared_ptr<Connection> &conn, StandinRequest request);
    void respond(QTcpSocket *socket, int status, const QByteArray &body,
                 const QByteArray &contentType = "application/json;charset=UTF-8",
                 const QByteArray &location = {});
    void registerBuiltins();
    // The web site's pages ("oauth/jump" and its two links); false for other paths.
    bool servePage(QTcpSocket *socket, const StandinRequest &request);
    // An uploaded image ("img/<id>.png"); false for other paths.
    bool serveImage(QTcpSocket *socket, const StandinRequest &request);
    // The proof of a push ("validateType" 1: the login password, 2: the last
    // code sent); empty when it holds, else the refusal's text.
    static QString proofRefusal(Context &c);

    std::unique_ptr<QTcpServer> m_server;
    bool m_tls = false;
    StandinState m_state;
    StandinWebPages m_pages;
    QHash<QString, Handler> m_handlers;
    QHash<QString, StandinFault> m_faults;
    QList<StandinRequest> m_requests;
    QList<std::shared_ptr<Connection>> m_connections;
};
