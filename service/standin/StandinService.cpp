#include "service/standin/StandinService.h"

#include "service/standin/StandinCrypto.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

struct StandinService::Connection
{
    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    bool done = false;
    QByteArray trickleLeft; // the body of a Trickle reply not sent yet
};

namespace {

QString tokenFor(StandinState &state)
{
    return QStringLiteral("tok-%1").arg(state.newId());
}

// JSON text of any value (objects, arrays and scalars alike).
QByteArray jsonText(const QJsonValue &value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QString param(const StandinRequest &req, const char *key)
{
    const QJsonValue v = req.params.value(QLatin1String(key));
    if (v.isDouble()) {
        // Outside the 64-bit range the conversion is undefined: such a number reads as none.
        const double d = v.toDouble();
        return d > -9.2e18 && d < 9.2e18 ? QString::number(qint64(d)) : QString();
    }
    return v.toString();
}

// The HTTP method each path takes; paths not listed (registered by tests) take any.
bool methodAllowed(const QString &path, const QByteArray &method)
{
    static const QSet<QString> getPaths{
        "sys/oauthKey",   "user/userInfo",      "user/sysSet",       "user/data/snapshot/list",
        "user/wifi/list", "note/log/completed", "note/log/timeAxis", "note/content/search"};
    static const QSet<QString> postPaths{"user/login",
                                         "user/login/oauth",
                                         "tool/oauthTempId",
                                         "tool/checkOAuthState",
                                         "tool/sendVCode",
                                         "user/userInfo/modify",
                                         "user/sysSet/modify",
                                         "user/sysSet/timePush/modify",
                                         "user/data/push/content",
                                         "user/data/snapshot/restore",
                                         "user/safe/oauth/bind",
                                         "user/safe/oauth/clearBind",
                                         "tool/upload/img",
                                         "sys/terminal/list",
                                         "user/wifi/add",
                                         "user/wifi/modify",
                                         "user/wifi/delete",
                                         "user/versionNums",
                                         "note/revokeCompleted",
                                         "note/logDel"};
    if (path == QLatin1String("note/sync"))
        return method == "GET" || method == "POST";
    if (getPaths.contains(path))
        return method == "GET";
    if (postPaths.contains(path))
        return method == "POST";
    return true;
}

qint64 bumpVersion(StandinAccount &user)
{
    return ++user.version;
}

QJsonObject versionData(StandinAccount &user)
{
    return QJsonObject{{"version", QString::number(bumpVersion(user))}};
}

// The contents of the multipart parts named "FileName".
QList<QByteArray> imagePartsOf(const QByteArray &body, const QByteArray &contentType)
{
    QList<QByteArray> parts;
    const qsizetype at = contentType.indexOf("boundary=");
    if (at < 0)
        return parts;
    QByteArray boundary = contentType.mid(at + 9).trimmed();
    if (boundary.startsWith('"') && boundary.endsWith('"') && boundary.size() >= 2)
        boundary = boundary.mid(1, boundary.size() - 2);
    if (boundary.isEmpty())
        return parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype from = body.indexOf(delimiter);
    while (from >= 0) {
        const qsizetype headStart = from + delimiter.size();
        if (body.mid(headStart, 2) == "--")
            break;
        const qsizetype next = body.indexOf("\r\n" + delimiter, headStart);
        if (next < 0)
            break;
        const qsizetype headEnd = body.indexOf("\r\n\r\n", headStart);
        if (headEnd >= 0 && headEnd < next) {
            const QByteArray head = body.mid(headStart, headEnd - headStart);
            if (head.contains("name=\"FileName\""))
                parts.append(body.mid(headEnd + 4, next - headEnd - 4));
        }
        from = next + 2;
    }
    return parts;
}

} // namespace

StandinReply StandinReply::ok(const QJsonValue &data, Form form)
{
    StandinReply r;
    r.data = data;
    r.form = form;
    return r;
}

StandinReply StandinReply::error(qint64 code, const QString &msg)
{
    StandinReply r;
    r.code = code;
    r.msg = msg;
    return r;
}

StandinService::StandinService(QObject *parent) : QObject(parent), m_state(StandinState::seeded())
{
    registerBuiltins();
}

StandinService::~StandinService()
{
    for (const auto &conn : std::as_const(m_connections))
        if (conn->socket)
            conn->socket->abort();
}

bool StandinService::listen(quint16 port)
{
    m_tls = false;
    m_server = std::make_unique<QTcpServer>();
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *s = m_server->nextPendingConnection())
            accept(s);
    });
    return m_server->listen(QHostAddress::LocalHost, port);
}

bool StandinService::listenTls(const QSslCertificate &certificate, const QSslKey &key,
                               const QList<QSslCertificate> &chain, quint16 port)
{
    m_tls = true;
    auto server = std::make_unique<QSslServer>();
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(certificate);
    config.setLocalCertificateChain(QList<QSslCertificate>{certificate} + chain);
    config.setPrivateKey(key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    server->setSslConfiguration(config);
    server->setHandshakeTimeout(5000);
    m_server = std::move(server);
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *s = m_server->nextPendingConnection())
            accept(s);
    });
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 StandinService::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QUrl StandinService::baseUrl() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? "https" : "http").arg(port()));
}

void StandinService::registerHandler(const QString &path, Handler handler)
{
    m_handlers.insert(path, std::move(handler));
}

void StandinService::setFault(const QString &path, const StandinFault &fault)
{
    m_faults.insert(path, fault);
}

void StandinService::clearFault(const QString &path)
{
    m_faults.remove(path);
}

void StandinService::clearFaults()
{
    m_faults.clear();
}

StandinRequest StandinService::lastRequest(const QString &path) const
{
    for (auto it = m_requests.crbegin(); it != m_requests.crend(); ++it)
        if (it->path == path)
            return *it;
    return {};
}

int StandinService::requestCount(const QString &path) const
{
    int n = 0;
    for (const StandinRequest &r : m_requests)
        n += r.path == path ? 1 : 0;
    return n;
}

int StandinService::heldConnections() const
{
    int n = 0;
    for (const auto &conn : m_connections)
        n += (conn->done && conn->trickleLeft.isEmpty() && conn->socket &&
              conn->socket->state() == QAbstractSocket::ConnectedState)
                 ? 1
                 : 0;
    return n;
}

int StandinService::trickle(int bytes)
{
    int fed = 0;
    const QList<std::shared_ptr<Connection>> connections = m_connections;
    for (const auto &conn : connections) {
        if (conn->trickleLeft.isEmpty() || !conn->socket)
            continue;
        conn->socket->write(conn->trickleLeft.left(bytes));
        conn->trickleLeft.remove(0, qMin<qsizetype>(bytes, conn->trickleLeft.size()));
        if (conn->trickleLeft.isEmpty())
            conn->socket->disconnectFromHost();
        ++fed;
    }
    return fed;
}

int StandinService::tricklingConnections() const
{
    int n = 0;
    for (const auto &conn : m_connections)
        n += (!conn->trickleLeft.isEmpty() && conn->socket &&
              conn->socket->state() == QAbstractSocket::ConnectedState)
                 ? 1
                 : 0;
    return n;
}

QByteArray StandinService::envelope(const StandinReply &reply, const QString &keyText)
{
    QJsonObject obj{{"code", reply.code}, {"msg", reply.msg}};
    if (!reply.data.isUndefined()) {
        switch (reply.form) {
        case StandinReply::Form::Plain:
            obj.insert("data", reply.data);
            break;
        case StandinReply::Form::Encrypted:
        case StandinReply::Form::EncryptedText: {
            const QByteArray plain = reply.form == StandinReply::Form::EncryptedText
                                         ? reply.data.toString().toUtf8()
                                         : jsonText(reply.data);
            obj.insert("data",
                       QString::fromLatin1(StandinCrypto::encrypt(plain, keyText.toLatin1()).toBase64()));
            break;
        }
        }
    }
    return QJsonDocument(obj).toJson(QJsonDocument::Compact);
}

void StandinService::accept(QTcpSocket *socket)
{
    auto conn = std::make_shared<Connection>();
    conn->socket = socket;
    m_connections.append(conn);
    connect(socket, &QTcpSocket::readyRead, this, [this, conn] { onReadable(conn); });
    connect(socket, &QTcpSocket::disconnected, this, [this, conn] {
        m_connections.removeAll(conn);
        if (conn->socket)
            conn->socket->deleteLater();
    });
    if (socket->bytesAvailable() > 0)
        onReadable(conn);
}

void StandinService::onReadable(const std::shared_ptr<Connection> &conn)
{
    if (!conn->socket || conn->done)
        return;
    conn->buffer += conn->socket->readAll();
    const qsizetype headerEnd = conn->buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;

    StandinRequest req;
    const QList<QByteArray> lines = conn->buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    req.method = requestLine.value(0);
    const QByteArray target = requestLine.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            req.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const qsizetype length = req.headers.value("content-length").toLongLong();
    if (conn->buffer.size() < headerEnd + 4 + length)
        return;
    req.body = conn->buffer.mid(headerEnd + 4, length);
    conn->done = true;

    const qsizetype q = target.indexOf('?');
    req.path = QUrl::fromPercentEncoding(target.left(q < 0 ? target.size() : q)).mid(1);
    if (q >= 0)
        req.query.setQuery(QString::fromLatin1(target.mid(q + 1)));
    handle(conn, std::move(req));
}

void StandinService::respond(QTcpSocket *socket, int status, const QByteArray &body,
                             const QByteArray &contentType, const QByteArray &location)
{
    if (!socket)
        return;
    const QByteArray reason = status == 200   ? "OK"
                              : status == 302 ? "Found"
                              : status == 400 ? "Bad Request"
                              : status == 403 ? "Forbidden"
                              : status == 404 ? "Not Found"
                              : status == 405 ? "Method Not Allowed"
                                              : "Internal Server Error";
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    head += "Content-Type: " + contentType + "\r\n";
    if (!location.isEmpty())
        head += "Location: " + location + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

void StandinService::handle(const std::shared_ptr<Connection> &conn, StandinRequest req)
{
    QTcpSocket *socket = conn->socket;
    StandinAccount *user = m_state.accountByToken(QString::fromUtf8(req.header("accessToken")));
    const bool isPublic = StandinCrypto::isPublicPath(req.path);
    const QString key = StandinCrypto::keyText(isPublic ? QString::fromLatin1(StandinCrypto::PublicKeySource)
                                                        : (user ? user->userKey : QString()));

    // Parameters: the query for GET, only the decrypted body for POST.
    if (req.method == "GET") {
        const QList<std::pair<QString, QString>> items = req.query.queryItems(QUrl::FullyDecoded);
        for (const auto &item : items)
            req.params.insert(item.first, item.second);
    }
    bool undecryptable = false;
    if (req.header("content-type").startsWith("multipart/form-data")) {
        req.images = imagePartsOf(req.body, req.header("content-type"));
        req.imageParts = int(req.images.size());
    } else if (!req.body.isEmpty()) {
        // Plain Base64: a line break or any other character outside its alphabet is refused.
        const QByteArray::FromBase64Result cipher =
            QByteArray::fromBase64Encoding(req.body, QByteArray::AbortOnBase64DecodingErrors);
        const QByteArray plain =
            key.isEmpty() || !cipher ? QByteArray() : StandinCrypto::decrypt(cipher.decoded, key.toLatin1());
        const QJsonDocument doc = QJsonDocument::fromJson(plain);
        if (doc.isObject()) {
            req.bodyDecrypted = true;
            req.decryptedBody = plain;
            const QJsonObject body = doc.object();
            for (auto it = body.begin(); it != body.end(); ++it)
                req.params.insert(it.key(), it.value());
        } else {
            undecryptable = true;
        }
    }
    m_requests.append(req);
    emit requestReceived(req.path);

    auto fault = m_faults.find(req.path);
    if (fault != m_faults.end() && fault->kind != StandinFault::Kind::None) {
        const StandinFault f = *fault;
        if (fault->times > 0 && --fault->times == 0)
            m_faults.erase(fault);
        switch (f.kind) {
        case StandinFault::Kind::ReplyCode:
            respond(socket, 200, envelope(StandinReply::error(f.code, f.msg), key));
            return;
        case StandinFault::Kind::NotJson:
            respond(socket, 200, "<html><body>502 Bad Gateway</body></html>", "text/html");
            return;
        case StandinFault::Kind::BadPayload:
            respond(
                socket, 200,
                QJsonDocument(QJsonObject{{"code", 200}, {"msg", "success"}, {"data", "bm90IGEgY2lwaGVy"}})
                    .toJson(QJsonDocument::Compact));
            return;
        case StandinFault::Kind::Http500:
            respond(socket, 500, "Internal Server Error", "text/plain");
            return;
        case StandinFault::Kind::Reset: {
            // Linger 0: the close sends a reset instead of an orderly end.
            struct linger lg
            {
                1, 0
            };
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
            socket->abort();
            return;
        }
        case StandinFault::Kind::NoAnswer:
            return; // held open until the client gives up
        case StandinFault::Kind::Trickle: {
            // A long body, so that a test feeding it byte by byte never ends it by accident.
            QByteArray body =
                envelope(StandinReply::error(f.code ? f.code : 503,
                                             f.msg.isEmpty() ? QStringLiteral("服务繁忙") : f.msg),
                         key);
            body += QByteArray(qMax<qsizetype>(0, 4096 - body.size()), ' ');
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
            conn->trickleLeft = body;
            return;
        }
        case StandinFault::Kind::None:
            break;
        }
    }

    // A browser's request (no API headers) for one of the web pages.
    if (req.header("appId").isEmpty()) {
        if (const std::optional<StandinWebPages::Page> page = m_pages.answer(req, m_state)) {
            respond(socket, page->status, page->body, "text/html;charset=UTF-8", page->location);
            return;
        }
    }
    if (req.method == "GET" && (servePage(socket, req) || serveImage(socket, req)))
        return;
    if (req.header("appId") != "plvmac" || req.header("signature") != "730518" ||
        req.header("timestamp").isEmpty()) {
        respond(socket, 200, envelope(StandinReply::error(403, QStringLiteral("非法请求")), key));
        return;
    }
    const auto handler = m_handlers.constFind(req.path);
    if (handler == m_handlers.constEnd()) {
        respond(socket, 404, "no such path", "text/plain");
        return;
    }
    if (!methodAllowed(req.path, req.method)) {
        respond(socket, 405, "method not allowed", "text/plain");
        return;
    }
    if (!isPublic && !user) {
        respond(socket, 200,
                envelope(StandinReply::error(410, QStringLiteral("登录已失效，请重新登录")), key));
        return;
    }
    if (undecryptable) {
        respond(socket, 200, envelope(StandinReply::error(400, QStringLiteral("请求数据无法解密")), key));
        return;
    }
    Context ctx{req, m_state, user};
    const StandinReply reply = (*handler)(ctx);
    respond(socket, 200, envelope(reply, key));
}

void StandinService::authorise(const QString &clientId, const QString &openId)
{
    m_state.oauthStates.insert(clientId, QJsonObject{{"status", "ok"}, {"openId", openId}});
}

bool StandinService::serveImage(QTcpSocket *socket, const StandinRequest &req)
{
    static const QRegularExpression path(QStringLiteral("^img/(\\d+)\\.png$"));
    const QRegularExpressionMatch m = path.match(req.path);
    if (!m.hasMatch())
        return false;
    const auto image = m_state.images.constFind(m.captured(1));
    if (image == m_state.images.constEnd())
        respond(socket, 404, "no such image", "text/plain");
    else
        respond(socket, 200, *image, image->startsWith("\xff\xd8\xff") ? "image/jpeg" : "image/png");
    return true;
}

QString StandinService::proofRefusal(Context &c)
{
    const QString type = param(c.request, "validateType");
    const QString proof = param(c.request, "vCode");
    if (type == QLatin1String("1")) {
        const bool hasPassword =
            !c.user->passWord.isEmpty() && !c.user->userInfo.value("isEmptyPassword").toBool();
        return hasPassword && proof == c.user->passWord ? QString() : QStringLiteral("密码错误");
    }
    if (type == QLatin1String("2")) {
        const QString code = c.state.vCodes.value(c.user->userId);
        if (code.isEmpty() || proof != code)
            return QStringLiteral("验证码错误");
        // A code proves one request.
        c.state.vCodes.remove(c.user->userId);
        return {};
    }
    return QStringLiteral("请先验证身份");
}

bool StandinService::servePage(QTcpSocket *socket, const StandinRequest &req)
{
    if (!req.path.startsWith(QLatin1String("oauth/jump")))
        return false;
    const QString clientId = req.query.queryItemValue(QStringLiteral("clientId"), QUrl::FullyDecoded);
    const QString provider = req.query.queryItemValue(QStringLiteral("oauthType"), QUrl::FullyDecoded);
    const QString type = req.query.queryItemValue(QStringLiteral("type"), QUrl::FullyDecoded);
    auto page = [&](const QString &body) {
        const QString html =
            QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>互联登录</title>"
                           "</head><body style=\"font-family:sans-serif;text-align:center\">%1"
                           "</body></html>")
                .arg(body);
        respond(socket, 200, html.toUtf8(), "text/html;charset=utf-8");
    };
    if (!m_state.oauthStates.contains(clientId)) {
        page(QStringLiteral("<p>授权信息已失效，请关闭窗口后重试</p>"));
        return true;
    }
    const bool qq = provider == QLatin1String("qq");
    const QString name = qq ? QStringLiteral("QQ") : QStringLiteral("微信");
    const QString escapedId = clientId.toHtmlEscaped();
    const QString query = QStringLiteral("clientId=%1&oauthType=%2&type=%3")
                              .arg(QString::fromLatin1(QUrl::toPercentEncoding(clientId)),
                                   QString::fromLatin1(QUrl::toPercentEncoding(provider)),
                                   QString::fromLatin1(QUrl::toPercentEncoding(type)));
    if (req.path == QLatin1String("oauth/jump")) {
        page(QStringLiteral("<h2>%1授权</h2><p>授权编号 %2</p>"
                            "<p><a id=\"grant\" href=\"/oauth/jump/grant?%3\">授权</a>　"
                            "<a id=\"deny\" href=\"/oauth/jump/deny?%3\">取消</a></p>")
                 .arg(name, escapedId, query.toHtmlEscaped()));
        return true;
    }
    if (req.path == QLatin1String("oauth/jump/grant")) {
        const QString bindType = qq ? QStringLiteral("1") : QStringLiteral("2");
        if (type == QLatin1String("bind")) {
            // A fresh identity, as if the user authorised another account of the provider.
            authorise(clientId,
                      (qq ? QStringLiteral("qq-open-") : QStringLiteral("wx-open-")) + m_state.newId());
        } else {
            QString openId;
            for (const StandinAccount &a : std::as_const(m_state.accounts))
                if (!a.openIds.value(bindType).isEmpty()) {
                    openId = a.openIds.value(bindType);
                    break;
                }
            if (openId.isEmpty())
                m_state.oauthStates.insert(clientId, QJsonObject{{"status", "unbound"}});
            else
                authorise(clientId, openId);
        }
        page(QStringLiteral("<p>已授权，请返回应用</p>"));
        return true;
    }
    if (req.path == QLatin1String("oauth/jump/deny")) {
        m_state.oauthStates.insert(clientId,
                                   QJsonObject{{"status", "unbound"}, {"code", 300}, {"msg", CancelledText}});
        page(QStringLiteral("<p>已取消授权</p>"));
        return true;
    }
    return false;
}

void StandinService::registerBuiltins()
{
    using R = StandinReply;
    auto signIn = [](StandinState &state, StandinAccount &a) {
        // Every sign-in is a session of its own; the earlier ones stay valid.
        a.accessToken = tokenFor(state);
        a.sessions.append(a.accessToken);
        return R::ok(
            QJsonObject{{"accessToken", a.accessToken}, {"userKey", a.userKey}, {"userId", a.userId}});
    };
    registerHandler("user/login", [signIn](Context &c) {
        StandinAccount *a = c.state.accountByName(param(c.request, "account"));
        if (!a || a->passWord != param(c.request, "passWord"))
            return R::error(301, QStringLiteral("账号或密码错误"));
        return signIn(c.state, *a);
    });
    registerHandler("user/login/oauth", [signIn](Context &c) {
        StandinAccount *a = c.state.accountByOpenId(param(c.request, "type"), param(c.request, "openId"));
        if (!a)
            return R::error(302, QStringLiteral("该账号尚未绑定"));
        return signIn(c.state, *a);
    });
    registerHandler("tool/oauthTempId", [](Context &c) {
        const QString id = QStringLiteral("tmp%1").arg(c.state.newId());
        c.state.oauthStates.insert(id, QJsonObject{{"status", "unauthorized"}});
        return R::ok(id, R::Form::EncryptedText);
    });
    registerHandler("tool/checkOAuthState", [](Context &c) {
        QJsonObject st =
            c.state.oauthStates.value(param(c.request, "clientId"), QJsonObject{{"status", "unauthorized"}});
        // Pending and refused states carry their code and message; the
        // status goes in the data whatever the code.
        R r = R::ok();
        if (st.contains("code")) {
            r.code = st.take("code").toInteger();
            r.msg = st.take("msg").toString();
        } else if (st.value("status").toString() == QLatin1String("unauthorized")) {
            r.code = 201;
            r.msg = PendingText;
        }
        r.data = st;
        return r;
    });
    registerHandler("sys/oauthKey",
                    [](Context &c) { return R::ok(c.state.autoJumpKey, R::Form::EncryptedText); });
    registerHandler("tool/sendVCode", [this](Context &c) {
        const QString mobile = param(c.request, "account");
        if (mobile.isEmpty())
            return R::error(300, QStringLiteral("账号不能为空"));
        StandinAccount *a = c.state.accountByMobile(mobile);
        if (!a)
            return R::error(300, QStringLiteral("该手机号未绑定"));
        const QString code =
            QStringLiteral("%1").arg(QRandomGenerator::global()->bounded(1000000), 6, 10, QLatin1Char('0'));
        c.state.vCodes.insert(a->userId, code);
        emit codeIssued(mobile, code);
        return R::ok();
    });
    registerHandler("user/userInfo", [](Context &c) { return R::ok(c.user->userInfo); });
    registerHandler("user/userInfo/modify", [](Context &c) {
        for (auto it = c.request.params.begin(); it != c.request.params.end(); ++it)
            if (it.key() != QLatin1String("version"))
                c.user->userInfo.insert(it.key(), it.value());
        const QJsonObject reply = versionData(*c.user);
        c.user->userInfoVersion = c.user->version;
        return R::ok(reply);
    });
    registerHandler("user/sysSet", [](Context &c) { return R::ok(c.user->sysSet); });
    auto modifySet = [](Context &c) {
        for (auto it = c.request.params.begin(); it != c.request.params.end(); ++it)
            if (it.key() != QLatin1String("version"))
                c.user->sysSet.insert(it.key(), it.value());
        const QJsonObject reply = versionData(*c.user);
        c.user->sysSetVersion = c.user->version;
        return R::ok(reply);
    };
    registerHandler("user/sysSet/modify", modifySet);
    registerHandler("user/sysSet/timePush/modify", [](Context &c) {
        if (const QString refusal = proofRefusal(c); !refusal.isEmpty())
            return R::error(300, refusal);
        const QString cycle = param(c.request, "timerPushCycle");
        static const QStringList cycles{"0", "1", "2", "3"};
        if (!cycles.contains(cycle))
            return R::error(300, QStringLiteral("推送周期不正确"));
        // Only the digest's own keys: the proof is never kept.
        c.user->sysSet.insert("timerPushCycle", cycle.toInt()); // a number, as the row is served
        for (const char *key : {"timerPushCTypes", "timerPushCycleTime", "timerPushEmail"})
            if (c.request.params.contains(QLatin1String(key)))
                c.user->sysSet.insert(QLatin1String(key), param(c.request, key));
        const QJsonObject reply = versionData(*c.user);
        c.user->sysSetVersion = c.user->version;
        return R::ok(reply);
    });
    registerHandler("user/data/push/content", [this](Context &c) {
        if (const QString refusal = proofRefusal(c); !refusal.isEmpty())
            return R::error(300, refusal);
        if (param(c.request, "address").trimmed().isEmpty())
            return R::error(300, QStringLiteral("邮箱不能为空"));
        const QString classIds = param(c.request, "classIds");
        if (c.request.params.contains(QLatin1String("classIds"))) {
            const QStringList ids = classIds.split(QLatin1Char(','), Qt::SkipEmptyParts);
            if (ids.isEmpty())
                return R::error(300, QStringLiteral("分类不存在"));
            for (const QString &id : ids)
                if (!categoryExists || !categoryExists(*c.user, id.trimmed()))
                    return R::error(300, QStringLiteral("分类不存在"));
        }
        c.user->sysSet.insert("pushEmailCount", c.user->sysSet.value("pushEmailCount").toInt() + 1);
        const QJsonObject reply = versionData(*c.user);
        c.user->sysSetVersion = c.user->version;
        return R::ok(reply);
    });
    registerHandler("user/data/snapshot/list", [](Context &c) { return R::ok(c.user->snapshots); });
    registerHandler("user/data/snapshot/restore", [](Context &c) {
        const QString date = param(c.request, "snapshotDate");
        for (const QJsonValue &s : std::as_const(c.user->snapshots))
            if (s.toObject().value("snapshotDate").toString() == date)
                return R::ok(versionData(*c.user));
        return R::error(404, QStringLiteral("没有这个快照"));
    });
    registerHandler("user/safe/oauth/bind", [](Context &c) {
        const QString type = param(c.request, "bindType");
        const QString openId = param(c.request, "openId");
        if ((type != QLatin1String("1") && type != QLatin1String("2")) || openId.isEmpty())
            return R::error(300, QStringLiteral("绑定失败"));
        StandinAccount *holder = c.state.accountByOpenId(type, openId);
        if (holder && holder->userId != c.user->userId)
            return R::error(300, QStringLiteral("该账号已绑定其他用户"));
        c.user->openIds.insert(type, openId);
        c.user->userInfo.insert(type == QLatin1String("1") ? "isOAuthQQ" : "isOAuthWeChat", true);
        bumpVersion(*c.user);
        c.user->userInfoVersion = c.user->version;
        R r = R::ok();
        r.msg = QStringLiteral("绑定成功");
        return r;
    });
    registerHandler("user/safe/oauth/clearBind", [](Context &c) {
        const QString type = param(c.request, "clearBindType");
        if (!c.user->openIds.contains(type))
            return R::error(300, QStringLiteral("尚未绑定"));
        // Another way to sign in must remain: the password or the other provider.
        const bool hasPassword =
            !c.user->passWord.isEmpty() && !c.user->userInfo.value("isEmptyPassword").toBool();
        bool otherIdentity = false;
        for (auto it = c.user->openIds.cbegin(); it != c.user->openIds.cend(); ++it)
            if (it.key() != type && !it.value().isEmpty())
                otherIdentity = true;
        if (!hasPassword && !otherIdentity)
            return R::error(300, QStringLiteral("请先设置登录密码，再解除绑定"));
        c.user->openIds.remove(type);
        c.user->userInfo.insert(type == QLatin1String("1") ? "isOAuthQQ" : "isOAuthWeChat", false);
        bumpVersion(*c.user);
        c.user->userInfoVersion = c.user->version;
        R r = R::ok();
        r.msg = QStringLiteral("解绑成功");
        return r;
    });
    registerHandler("tool/upload/img", [this](Context &c) {
        if (c.request.images.isEmpty())
            return R::error(400, QStringLiteral("没有收到图片"));
        // The client sends JPEG bytes under an image/png part; PNG is taken too.
        const QByteArray &bytes = c.request.images.constFirst();
        if (!bytes.startsWith("\x89PNG\r\n\x1a\n") && !bytes.startsWith("\xff\xd8\xff"))
            return R::error(400, QStringLiteral("图片格式不正确"));
        const QString id = c.state.newId();
        c.state.images.insert(id, c.request.images.constFirst());
        const QString address = baseUrl().resolved(QUrl(QStringLiteral("img/%1.png").arg(id))).toString();
        return R::ok(QJsonObject{{"filePath", address}}, R::Form::Plain);
    });
    registerHandler("sys/terminal/list", [](Context &c) { return R::ok(c.state.terminals); });
    registerHandler("user/wifi/list", [](Context &c) { return R::ok(c.user->wifis); });
    registerHandler("user/wifi/add", [](Context &c) {
        const QString id = c.state.newId();
        c.user->wifis.append(QJsonObject{
            {"wifiId", id}, {"name", param(c.request, "name")}, {"alias", param(c.request, "alias")}});
        return R::ok(QJsonObject{{"wifiId", id}});
    });
    registerHandler("user/wifi/modify", [](Context &c) {
        for (int i = 0; i < c.user->wifis.size(); ++i) {
            QJsonObject w = c.user->wifis[i].toObject();
            if (w.value("name").toString() == param(c.request, "name")) {
                w.insert("alias", param(c.request, "alias"));
                c.user->wifis[i] = w;
                return R::ok();
            }
        }
        return R::error(404, QStringLiteral("没有这个网络"));
    });
    registerHandler("user/wifi/delete", [](Context &c) {
        for (int i = 0; i < c.user->wifis.size(); ++i)
            if (c.user->wifis[i].toObject().value("name").toString() == param(c.request, "name")) {
                c.user->wifis.removeAt(i);
                return R::ok();
            }
        return R::error(404, QStringLiteral("没有这个网络"));
    });
    registerHandler("note/sync", [](Context &c) {
        const QString version = QString::number(c.user->version);
        if (c.request.method == "GET")
            return R::ok(QJsonObject{{"version", version},
                                     {"syncClassResult", QJsonObject{{"datas", QJsonArray()}}},
                                     {"syncContentResult", QJsonObject{{"datas", QJsonArray()}}}});
        return R::ok(QJsonObject{{"result", true},
                                 {"version", version},
                                 {"syncClassResult", QJsonArray()},
                                 {"syncContentResult", QJsonArray()}});
    });
    registerHandler("user/versionNums", [](Context &c) {
        return R::ok(QJsonObject{{"userVersion", QString::number(c.user->version)},
                                 {"teamVersions", c.user->teamVersions}},
                     R::Form::Plain);
    });
    registerHandler("note/revokeCompleted", [](Context &c) { return R::ok(versionData(*c.user)); });
    // Without the note handlers there are no records to page or delete.
    registerHandler("note/log/completed", [](Context &) {
        return R::ok(QJsonObject{{"datas", QJsonArray()}});
    });
    registerHandler("note/log/timeAxis", [](Context &) {
        return R::ok(QJsonObject{{"datas", QJsonArray()}});
    });
    registerHandler("note/logDel", [](Context &) { return R::ok(); });
    registerHandler("note/content/search", [](Context &) {
        return R::ok(QJsonObject{{"datas", QJsonArray()}});
    });
}
