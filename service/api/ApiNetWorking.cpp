#include "service/api/ApiNetWorking.h"

#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/network/NetworkMonitor.h"
#include "service/account/PlatformTool.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/SignInKeys.h"
#include "service/account/UUIDTool.h"
#include "platform/text/StringHelpers.h"
#include "service/api/AES.h"

#include <QBuffer>
#include <QHostAddress>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

#include <cmath>
#include <iterator>

namespace {

const QString VersionNumsPath = QStringLiteral("user/versionNums");

QString missingKeyText()
{
    return QStringLiteral("登录信息已失效，请重新登录");
}

// A value of the parameters as query text: numbers in decimal, booleans as 1/0.
QString queryText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::trunc(d) == d && std::fabs(d) < 9.0e18)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    default:
        return {};
    }
}

QByteArray queryString(const QJsonObject &params)
{
    QByteArray out;
    for (auto it = params.begin(); it != params.end(); ++it) {
        if (!out.isEmpty())
            out += '&';
        out += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(queryText(it.value()));
    }
    return out;
}

// The reply's JSON parsed leniently: nil (undefined) when the bytes are not JSON.
QJsonValue parseJson(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    QJsonParseError error;
    // Wrapping lets scalars ("12", "\"x\"") parse as well as objects and arrays.
    const QJsonDocument doc = QJsonDocument::fromJson("[" + bytes + "]", &error);
    if (error.error != QJsonParseError::NoError || doc.array().size() != 1)
        return QJsonValue(QJsonValue::Undefined);
    return doc.array().first();
}

// A plain-JSON reply mapped by key name.
BaseSuccessModel plainModel(const QByteArray &bytes)
{
    BaseSuccessModel model;
    const QJsonObject obj = QJsonDocument::fromJson(bytes).object();
    model.code = AesBaseModel::codeOf(obj.value(QStringLiteral("code")));
    model.msg = obj.value(QStringLiteral("msg")).toString();
    model.data = obj.value(QStringLiteral("data"));
    if (model.data.isNull())
        model.data = QJsonValue(QJsonValue::Undefined);
    model.showMsg = obj.value(QStringLiteral("showMsg")).toBool();
    return model;
}

// What the user is shown for a reply code the caller has to handle.
QString serverMessage(const BaseSuccessModel &model)
{
    if (!model.msg.isEmpty())
        return model.msg;
    return QStringLiteral("服务器返回了无法识别的结果（代码 %1），请稍后重试").arg(model.code);
}

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

std::optional<qint64> integerOf(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (!(std::fabs(d) < 9.0e18))
            return std::nullopt;
        return qint64(d);
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 v = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return v;
    }
    return std::nullopt;
}

} // namespace

struct ApiNetWorking::Call
{
    Variant variant;
    QString path;
    QPointer<const QObject> context;
    bool hasContext = false;
    Success success;
    Failure failure;
    bool silentTransport = false;
    bool timedOut = false;
    bool tooLarge = false;
    // The sign-in the request was sent under; a session-ending reply of an
    // older one must not end the present sign-in.
    quint64 generation = 0;
    QString sslError;

    bool alive() const { return !hasContext || !context.isNull(); }
};

ApiNetWorking *ApiNetWorking::instance()
{
    static ApiNetWorking *shared = new ApiNetWorking;
    return shared;
}

ApiNetWorking::ApiNetWorking(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_createdSecs(Clock::nowSecs())
{
    // One decode at a time is plenty: they are the rare large replies.
    m_decoder.setMaxThreadCount(1);
}

ApiNetWorking::~ApiNetWorking()
{
    // A decode still running posts its result to this object; let it end first.
    m_decoder.waitForDone();
}

struct ApiNetWorking::Delivery
{
    std::function<void()> run;
    bool ready = false;
};

std::shared_ptr<ApiNetWorking::Delivery> ApiNetWorking::reserveDelivery()
{
    auto delivery = std::make_shared<Delivery>();
    m_deliveries.push_back(delivery);
    return delivery;
}

void ApiNetWorking::settleDelivery(const std::shared_ptr<Delivery> &delivery, std::function<void()> run)
{
    delivery->run = std::move(run);
    delivery->ready = true;
    // A callback may end this client; nothing is touched after that.
    QPointer<ApiNetWorking> self(this);
    while (self && !m_deliveries.empty() && m_deliveries.front()->ready) {
        const std::shared_ptr<Delivery> next = m_deliveries.front();
        m_deliveries.pop_front();
        next->run();
    }
}

void ApiNetWorking::deliver(std::function<void()> run)
{
    if (m_deliveries.empty()) {
        run();
        return;
    }
    settleDelivery(reserveDelivery(), std::move(run));
}

// --- configuration ------------------------------------------------------------

// A base address from the settings, or empty when it is not usable: HTTPS,
// or plain HTTP to this machine only, with a host and no query or fragment.
static QUrl usableBaseUrl(const QString &key)
{
    QString text = UserDefaults::string(key).trimmed();
    if (text.isEmpty())
        return {};
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment())
        return {};
    const QString scheme = url.scheme().toLower();
    // Plain HTTP would carry the sign-in token in the clear; only the machine
    // itself may be spoken to that way.
    if (scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isLoopbackHost(url.host())))
        return url;
    return {};
}

QUrl ApiNetWorking::apiBaseUrl()
{
    return usableBaseUrl(ApiBaseUrlKey);
}

QString ApiNetWorking::webBaseUrl()
{
    QString text = usableBaseUrl(WebBaseUrlKey).toString();
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

QString ApiNetWorking::noApiAddressText()
{
    return QStringLiteral("尚未设置可用的服务地址，无法连接服务");
}

void ApiNetWorking::setExtraCaCertificates(const QList<QSslCertificate> &certificates)
{
    m_extraCa = certificates;
}

void ApiNetWorking::setRequestTimeout(int msecs)
{
    m_timeoutMSecs = qMax(1, msecs);
}

void ApiNetWorking::setMaxReplyBytes(qint64 bytes)
{
    m_maxReplyBytes = qMax<qint64>(1, bytes);
}

void ApiNetWorking::setWorkerDecodeBytes(qint64 bytes)
{
    m_workerDecodeBytes = qMax<qint64>(0, bytes);
}

// --- keys and bodies ------------------------------------------------------------

const QStringList &ApiNetWorking::publicPaths()
{
    static const QStringList paths = {
        QStringLiteral("user/isExist"),
        QStringLiteral("user/isExist/oauth"),
        QStringLiteral("user/userInfo/nologin"),
        QStringLiteral("user/register"),
        QStringLiteral("user/login"),
        QStringLiteral("user/login/oauth"),
        QStringLiteral("user/safe/pwd/find"),
        QStringLiteral("tool/sendVCode"),
        QStringLiteral("tool/valideVCode"),
        QStringLiteral("tool/oauthUnionIDByAccToken"),
        QStringLiteral("sys/notice"),
        QStringLiteral("sys/terminal/list"),
        QStringLiteral("team/isExistId"),
        QStringLiteral("ad/adInfo"),
        QStringLiteral("user/phonelogin"),
        QStringLiteral("user/check/oauth/findPwd"),
        QStringLiteral("tool/oauthTempId"),
        QStringLiteral("tool/checkOAuthState"),
        QStringLiteral("user/refreshAccessToken"),
    };
    return paths;
}

bool ApiNetWorking::isPublicPath(const QString &path)
{
    return publicPaths().contains(path);
}

QString ApiNetWorking::getMD5String(const QString &text)
{
    if (text.size() < 4)
        return {};
    const QString rearranged = text.right(2) + text.mid(2, text.size() - 4) + text.left(2);
    return stringToMD5(rearranged);
}

QString ApiNetWorking::getAesPwdWithUrl(const QString &path)
{
    if (isPublicPath(path))
        return getMD5String(PublicKeyText);
    const QVariant userKey = UserDefaults::value(SignInKeys::UserKey);
    if (userKey.typeId() != QMetaType::QString)
        return {};
    return getMD5String(userKey.toString());
}

QString ApiNetWorking::showAESWithParams(const Params &params, const QString &path)
{
    const QString key = getAesPwdWithUrl(path);
    if (key.isEmpty())
        return {};
    const QByteArray json = QJsonDocument(params).toJson(QJsonDocument::Indented);
    const QByteArray cipher = AES::AES256EncryptWithKey(json, key);
    if (cipher.isNull())
        return {};
    return base64StringFromData(cipher);
}

bool ApiNetWorking::isDataStringWithUrlString(const QString &path)
{
    return path == QLatin1String("tool/oauthTempId") || path == QLatin1String("sys/oauthKey");
}

bool ApiNetWorking::isShowErrorMsgWithUrlString(const QString &path)
{
    return path != QLatin1String("tool/checkOAuthState");
}

// --- reply decoding -------------------------------------------------------------

namespace {

// The decrypted payload of a code-200 envelope, read with the path's key text.
BaseSuccessModel decryptedModel(const AesBaseModel &aes, const QString &path, const QString &key)
{
    BaseSuccessModel out;
    out.code = aes.code;
    out.msg = aes.msg;
    if (aes.code != 200 || key.isEmpty())
        return out;
    const QString plain = AES::decrypt(aes.data, key);
    if (plain.isNull())
        return out;
    if (ApiNetWorking::isDataStringWithUrlString(path))
        out.data = plain;
    else
        out.data = parseJson(plain.toUtf8());
    return out;
}

} // namespace

BaseSuccessModel ApiNetWorking::showBackAESDataWithAesModel(const AesBaseModel &model, const QString &path)
{
    return decryptedModel(model, path, getAesPwdWithUrl(path));
}

BaseSuccessModel ApiNetWorking::decodeReply(const QByteArray &bytes, Variant variant, const QString &path,
                                            const QString &key)
{
    switch (variant) {
    case Variant::Get:
    case Variant::Post:
        return decryptedModel(AesBaseModel::fromReply(bytes), path, key);
    case Variant::PostDecode: {
        const AesBaseModel aes = AesBaseModel::fromReply(bytes);
        BaseSuccessModel model;
        model.code = aes.code;
        model.msg = aes.msg;
        if (key.isEmpty() || aes.data.isEmpty())
            return model;
        const QString plain = AES::decrypt(aes.data, key);
        if (plain.isNull())
            return model;
        const QJsonValue parsed = parseJson(plain.toUtf8());
        model.data = parsed.isUndefined() ? QJsonValue(plain) : parsed;
        return model;
    }
    case Variant::NoAesPost:
        return plainModel(bytes);
    case Variant::Upload: {
        BaseSuccessModel model = plainModel(bytes);
        // A reply that is not JSON tells the user nothing otherwise.
        if (!QJsonDocument::fromJson(bytes).isObject())
            model.showMsg = true;
        return model;
    }
    }
    return {};
}

BaseSuccessModel ApiNetWorking::returnLoadBaseModelWithResponseObject(const QByteArray &bytes,
                                                                      const QString &path)
{
    return decodeAndAct(bytes, path, QuitLoginManager::signInGeneration());
}

BaseSuccessModel ApiNetWorking::decodeAndAct(const QByteArray &bytes, const QString &path, quint64 generation)
{
    return actOnCode(decodeReply(bytes, Variant::Get, path, getAesPwdWithUrl(path)), generation);
}

BaseSuccessModel ApiNetWorking::actOnCode(BaseSuccessModel model, quint64 generation)
{
    // Several replies of one sign-in may end it together; the first logs out,
    // the rest (and any of a sign-in already over) only reach their callers.
    const bool current = generation == QuitLoginManager::signInGeneration();
    switch (model.code) {
    case 200:
        break;
    case 410:
    case 411:
    case 413:
        if (current) {
            AesBaseModel aes;
            aes.code = model.code;
            aes.msg = model.msg;
            showLoginViewWithModel(aes);
        }
        break;
    case 417:
        if (current)
            uploadApp();
        break;
    default:
        model.showMsg = true;
        break;
    }
    return model;
}

BaseSuccessModel ApiNetWorking::decodeWithResponseObject(const QByteArray &bytes, const QString &path)
{
    return decodeReply(bytes, Variant::PostDecode, path, getAesPwdWithUrl(path));
}

// --- reply-code actions -----------------------------------------------------------

void ApiNetWorking::uploadApp()
{
    // One notice at a time: replies that come while it is open add none.
    static std::optional<quint64> openUnder;
    const quint64 generation = QuitLoginManager::signInGeneration();
    if (openUnder == generation)
        return;
    openUnder = generation;
    UserFeedback::current()->showDefaultMessageAlertWithDetailText(
        QStringLiteral("请下载最新版本"), [generation](bool pressed) {
            if (openUnder == generation)
                openUnder.reset();
            if (pressed && generation == QuitLoginManager::signInGeneration())
                QuitLoginManager::showLoginWindow();
        });
}

void ApiNetWorking::showLoginViewWithModel(const AesBaseModel &model)
{
    QuitLoginManager::showLoginWindow();
    UserFeedback::current()->showDefaultMessageAlertWithDetailText(
        model.msg.isEmpty() ? QStringLiteral("登录已失效，请重新登录") : model.msg);
}

void ApiNetWorking::reachabilityStatus(std::function<void(int status)> handler)
{
    m_reachabilityHandler = std::move(handler);
    disconnect(m_reachabilityConnection);
    NetworkMonitor *monitor = NetworkMonitor::shared();
    m_reachabilityConnection = connect(monitor, &NetworkMonitor::statusChanged, this, [this](int status) {
        if (m_reachabilityHandler)
            m_reachabilityHandler(status);
    });
    // The first reading is reported like a change, as monitoring starts.
    QPointer<NetworkMonitor> guard(monitor);
    QTimer::singleShot(0, this, [this, guard] {
        if (guard && m_reachabilityHandler)
            m_reachabilityHandler(guard->status());
    });
}

// --- sending ----------------------------------------------------------------------

void ApiNetWorking::GETWithUrlString(const QString &path, const Params &params, const QObject *context,
                                     Success success, Failure failure)
{
    send(Variant::Get, path, params, {}, context, std::move(success), std::move(failure));
}

void ApiNetWorking::POSTWithUrlString(const QString &path, const Params &params, const QObject *context,
                                      Success success, Failure failure)
{
    send(Variant::Post, path, params, {}, context, std::move(success), std::move(failure));
}

void ApiNetWorking::postDecodeWithUrlString(const QString &path, const Params &params, const QObject *context,
                                            Success success, Failure failure)
{
    send(Variant::PostDecode, path, params, {}, context, std::move(success), std::move(failure));
}

void ApiNetWorking::noAesPostWithUrlString(const QString &path, const Params &params, const QObject *context,
                                           Success success, Failure failure)
{
    send(Variant::NoAesPost, path, params, {}, context, std::move(success), std::move(failure));
}

void ApiNetWorking::uploadPostWithUrlString(const QString &path, const Params &params,
                                            const QList<QImage> &images, const QObject *context,
                                            Success success, Failure failure)
{
    send(Variant::Upload, path, params, images, context, std::move(success), std::move(failure));
}

QNetworkRequest ApiNetWorking::makeRequest(const QUrl &url, bool currentTimestamp) const
{
    QNetworkRequest request(url);
    request.setRawHeader("appId", "plvmac");
    request.setRawHeader("timestamp",
                         QByteArray::number(currentTimestamp ? Clock::nowSecs() : m_createdSecs));
    request.setRawHeader("signature", "730518");
    request.setRawHeader("clientVersion", PlatformTool::appVersion().toUtf8());
    const QString token = UserDefaults::string(SignInKeys::AccessToken);
    if (!token.isEmpty())
        request.setRawHeader("accessToken", token.toUtf8());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    if (!m_extraCa.isEmpty())
        ssl.addCaCertificates(m_extraCa);
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    request.setSslConfiguration(ssl);
    return request;
}

void ApiNetWorking::send(Variant variant, const QString &path, const Params &params,
                         const QList<QImage> &images, const QObject *context, Success success,
                         Failure failure)
{
    auto call = std::make_shared<Call>();
    call->variant = variant;
    call->path = path;
    call->context = context;
    call->hasContext = context != nullptr;
    call->success = std::move(success);
    call->failure = std::move(failure);
    call->silentTransport = path == VersionNumsPath;
    call->generation = QuitLoginManager::signInGeneration();

    const QUrl base = apiBaseUrl();
    if (base.isEmpty()) {
        QTimer::singleShot(0, this, [this, call] { fail(call, noApiAddressText(), true); });
        return;
    }
    // Requests whose body or reply is encrypted need their key before they go.
    const bool needsKey =
        variant == Variant::Get || variant == Variant::Post || variant == Variant::PostDecode;
    if (needsKey && getAesPwdWithUrl(path).isEmpty()) {
        QTimer::singleShot(0, this, [this, call] { fail(call, missingKeyText(), false); });
        return;
    }

    QUrl url(base.toString() + path);
    QNetworkReply *reply = nullptr;
    switch (variant) {
    case Variant::Get: {
        if (!params.isEmpty())
            url.setQuery(QString::fromLatin1(queryString(params)), QUrl::StrictMode);
        reply = m_manager->get(makeRequest(url, true));
        break;
    }
    case Variant::Post:
    case Variant::PostDecode:
    case Variant::NoAesPost: {
        QNetworkRequest request = makeRequest(url, false);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArray("application/x-www-form-urlencoded"));
        QByteArray body;
        if (variant != Variant::NoAesPost && !params.isEmpty()) {
            body = showAESWithParams(params, path).toLatin1();
            if (body.isEmpty()) {
                QTimer::singleShot(0, this, [this, call] { fail(call, missingKeyText(), false); });
                return;
            }
        }
        reply = m_manager->post(request, body);
        break;
    }
    case Variant::Upload: {
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        for (auto it = params.begin(); it != params.end(); ++it) {
            QHttpPart part;
            part.setHeader(QNetworkRequest::ContentDispositionHeader,
                           QStringLiteral("form-data; name=\"%1\"").arg(it.key()));
            part.setBody(queryText(it.value()).toUtf8());
            multi->append(part);
        }
        for (const QImage &image : images) {
            const QString fileName =
                QStringLiteral("%1.png").arg(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "JPEG", 85);
            QHttpPart part;
            part.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("image/png"));
            part.setHeader(QNetworkRequest::ContentDispositionHeader,
                           QStringLiteral("form-data; name=\"FileName\"; filename=\"%1\"").arg(fileName));
            part.setBody(bytes);
            multi->append(part);
        }
        reply = m_manager->post(makeRequest(url, false), multi);
        multi->setParent(reply);
        break;
    }
    }

    // Idle time-out: restarted whenever bytes move.
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setInterval(m_timeoutMSecs);
    connect(timer, &QTimer::timeout, reply, [call, reply] {
        call->timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, timer, qOverload<>(&QTimer::start));
    // A reply larger than any the service sends is cut off before it fills the memory.
    const qint64 maxBytes = m_maxReplyBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [call, reply, maxBytes](qint64 got, qint64 total) {
                if ((got > maxBytes || total > maxBytes) && !call->tooLarge) {
                    call->tooLarge = true;
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::uploadProgress, timer, qOverload<>(&QTimer::start));
    connect(reply, &QNetworkReply::sslErrors, reply, [call](const QList<QSslError> &errors) {
        if (!errors.isEmpty())
            call->sslError = errors.first().errorString();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, call] { finish(reply, call); });
    timer->start();
}

void ApiNetWorking::fail(const std::shared_ptr<Call> &call, const QString &text, bool showSheet)
{
    if (!call->alive())
        return;
    BaseErrorModel error{text};
    if (showSheet && !call->silentTransport)
        UserFeedback::current()->showDefaultMessageAlertWithDetailText(text);
    if (call->failure)
        call->failure(error);
}

void ApiNetWorking::finish(QNetworkReply *reply, const std::shared_ptr<Call> &call)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    // The whole reply may have arrived before any progress was reported.
    if (reply->bytesAvailable() > m_maxReplyBytes)
        call->tooLarge = true;

    if (call->tooLarge || error != QNetworkReply::NoError ||
        (status != 0 && (status < 200 || status >= 300))) {
        QString text;
        if (call->tooLarge) {
            text = QStringLiteral("服务器返回的数据过大，无法读取");
        } else if (call->timedOut) {
            text = QStringLiteral("请求超时，请检查网络后重试");
        } else if (status >= 300) {
            text = QStringLiteral("服务器出错（HTTP %1），请稍后重试").arg(status);
        } else {
            switch (error) {
            case QNetworkReply::SslHandshakeFailedError:
                text = QStringLiteral("无法建立安全连接：服务器证书不受信任");
                if (!call->sslError.isEmpty())
                    text += QStringLiteral("（%1）").arg(call->sslError);
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
                text = QStringLiteral("请求超时，请检查网络后重试");
                break;
            case QNetworkReply::OperationCanceledError:
                text = QStringLiteral("请求已取消");
                break;
            default:
                text = QStringLiteral("网络错误：%1").arg(reply->errorString());
                break;
            }
        }
        deliver([this, call, text] { fail(call, text, true); });
        return;
    }

    const QByteArray bytes = reply->readAll();
    if (!bytes.isEmpty()) {
        const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader)
                                    .toByteArray()
                                    .split(';')
                                    .first()
                                    .trimmed()
                                    .toLower();
        if (!type.isEmpty() && type != "application/json" && type != "text/html") {
            const QString text =
                QStringLiteral("服务器返回了无法识别的内容（%1）").arg(QString::fromLatin1(type));
            deliver([this, call, text] { fail(call, text, true); });
            return;
        }
    }

    const Variant variant = call->variant;
    const QString path = call->path;
    const bool encrypted = variant == Variant::Get || variant == Variant::Post || variant == Variant::PostDecode;
    // The key is read here, on the main thread, as the reply arrives.
    const QString key = encrypted ? getAesPwdWithUrl(path) : QString();
    if (encrypted && bytes.size() >= m_workerDecodeBytes) {
        const std::shared_ptr<Delivery> slot = reserveDelivery();
        m_decoder.start([this, slot, call, bytes, variant, path, key] {
            BaseSuccessModel model = decodeReply(bytes, variant, path, key);
            QMetaObject::invokeMethod(
                this,
                [this, slot, call, model = std::move(model)] {
                    settleDelivery(slot, [this, call, model] { complete(call, model); });
                },
                Qt::QueuedConnection);
        });
        return;
    }
    BaseSuccessModel model = decodeReply(bytes, variant, path, key);
    deliver([this, call, model = std::move(model)] { complete(call, model); });
}

void ApiNetWorking::complete(const std::shared_ptr<Call> &call, BaseSuccessModel model)
{
    bool showAlert = false;
    switch (call->variant) {
    case Variant::Get:
    case Variant::Post:
        // Reply-code actions (logout, update notice) happen even when the caller is gone.
        model = actOnCode(std::move(model), call->generation);
        showAlert =
            model.showMsg && (call->variant == Variant::Get || isShowErrorMsgWithUrlString(call->path));
        break;
    case Variant::Upload:
        showAlert = model.showMsg;
        break;
    case Variant::PostDecode:
    case Variant::NoAesPost:
        break;
    }
    if (!call->alive())
        return;
    if (showAlert)
        UserFeedback::current()->showDefaultMessageAlertWithDetailText(serverMessage(model));
    if (call->success)
        call->success(model);
}

// --- endpoints ----------------------------------------------------------------------

// Where each plain endpoint goes and how: one path, one request variant, the
// caller's parameters unchanged.
struct ApiNetWorking::Route
{
    const char *path;
    Variant variant;
};

const ApiNetWorking::Route &ApiNetWorking::route(Endpoint endpoint)
{
    static const Route routes[] = {
        {"sys/oauthKey", Variant::Get},                 // AutoJumpKey
        {"tool/sendVCode", Variant::Post},              // SendVCode
        {"user/userInfo", Variant::Get},                // UserInfo
        {"user/sysSet", Variant::Get},                  // SystemSettings
        {"user/sysSet/timePush/modify", Variant::Post}, // TimePush
        {"user/data/push/content", Variant::Post},      // NotePush
        {"user/data/snapshot/list", Variant::Get},      // SnapshotList
        {"user/data/snapshot/restore", Variant::Post},  // SnapshotRestore
        {"user/safe/oauth/bind", Variant::Post},        // BindOAuth
        {"user/safe/oauth/clearBind", Variant::Post},   // ClearBindOAuth
        {"sys/terminal/list", Variant::Post},           // Terminals
        {"user/wifi/list", Variant::Get},               // WiFiList
        {"user/wifi/add", Variant::Post},               // WiFiAdd
        {"user/wifi/modify", Variant::Post},            // WiFiModify
        {"user/wifi/delete", Variant::Post},            // WiFiDelete
        {"note/sync", Variant::Post},                   // SyncPush
        {"user/versionNums", Variant::NoAesPost},       // Versions
        {"note/revokeCompleted", Variant::Post},        // RevokeCompleted
        {"note/log/completed", Variant::Get},           // CompletedLog
        {"note/log/timeAxis", Variant::Get},            // TimeAxisLog
        {"note/logDel", Variant::Post},                 // DeleteLog
        {"note/content/search", Variant::Get},          // Search
    };
    static_assert(std::size(routes) == size_t(Endpoint::Count));
    return routes[size_t(endpoint)];
}

void ApiNetWorking::callRoute(Endpoint endpoint, const Params &params, const QObject *context,
                              Success success, Failure failed)
{
    const Route &r = route(endpoint);
    send(r.variant, QString::fromLatin1(r.path), params, {}, context, std::move(success), std::move(failed));
}

void ApiNetWorking::login(const QString &path, const Params &param, const QObject *context, Success success,
                          Failure failed)
{
    Params params = param;
    const QString jpushId = UserDefaults::string(SignInKeys::JpushId);
    if (!jpushId.isEmpty())
        params.insert(QStringLiteral("jpushId"), jpushId);
    params.insert(QStringLiteral("clientVersion"), PlatformTool::appVersion());
    params.insert(QStringLiteral("deviceCode"), UUIDTool::getUUIDInKeychain());
    params.insert(QStringLiteral("deviceModel"), PlatformTool::deviceModel());
    POSTWithUrlString(
        path, params, context,
        [success](const BaseSuccessModel &model) {
            if (model.code == 200 && model.hasObjectData()) {
                const QJsonObject data = model.dataObject();
                const QString token = queryText(data.value(QStringLiteral("accessToken")));
                const QString userKey = queryText(data.value(QStringLiteral("userKey")));
                if (!token.isEmpty())
                    UserDefaults::setValue(SignInKeys::AccessToken, token);
                if (!userKey.isEmpty())
                    UserDefaults::setValue(SignInKeys::UserKey, userKey);
                UserDefaults::sync();
            }
            if (success)
                success(model);
        },
        std::move(failed));
}

void ApiNetWorking::storeVersionIfNext(const QJsonValue &replyVersion)
{
    const std::optional<qint64> next = integerOf(replyVersion);
    if (!next)
        return;
    if (*next != UserDefaults::integer(SignInKeys::Version) + 1)
        return;
    UserDefaults::setValue(SignInKeys::Version, QString::number(*next));
    UserDefaults::sync();
}

void ApiNetWorking::modifyWithVersion(const QString &path, const Params &params, const QObject *context,
                                      Success success, Failure failed)
{
    POSTWithUrlString(
        path, params, context,
        [success](const BaseSuccessModel &model) {
            if (model.code == 200 && model.hasObjectData())
                storeVersionIfNext(model.dataObject().value(QStringLiteral("version")));
            if (success)
                success(model);
        },
        std::move(failed));
}

void ApiNetWorking::loginWithParam(const Params &param, const QObject *context, Success success,
                                   Failure failed)
{
    login(QStringLiteral("user/login"), param, context, std::move(success), std::move(failed));
}

void ApiNetWorking::oauthloginWithParam(const Params &param, const QObject *context, Success success,
                                        Failure failed)
{
    login(QStringLiteral("user/login/oauth"), param, context, std::move(success), std::move(failed));
}

void ApiNetWorking::loadAOuthTempIdWithParams(OAuthModel &model, const QObject *context, Success success,
                                              Failure failed)
{
    model.clientVersion = PlatformTool::appVersion();
    POSTWithUrlString(QStringLiteral("tool/oauthTempId"), model.toJson(), context, std::move(success),
                      std::move(failed));
}

void ApiNetWorking::checkOAuthStatusWithParamsModel(const OAuthModel &model, const QObject *context,
                                                    Success success, Failure failed)
{
    postDecodeWithUrlString(QStringLiteral("tool/checkOAuthState"), model.toJson(), context,
                            std::move(success), std::move(failed));
}

void ApiNetWorking::modifyUserInfoWithParams(const Params &params, const QObject *context, Success success,
                                             Failure failed)
{
    modifyWithVersion(QStringLiteral("user/userInfo/modify"), params, context, std::move(success),
                      std::move(failed));
}

void ApiNetWorking::modifySystemSettingsWithParams(const Params &params, const QObject *context,
                                                   Success success, Failure failed)
{
    modifyWithVersion(QStringLiteral("user/sysSet/modify"), params, context, std::move(success),
                      std::move(failed));
}

void ApiNetWorking::uploadImgWithUploadImages(const QList<QImage> &images, const QObject *context,
                                              Success success, Failure failed)
{
    uploadPostWithUrlString(QStringLiteral("tool/upload/img"), {}, images, context, std::move(success),
                            std::move(failed));
}

void ApiNetWorking::syncPullDatasFromNoteWithParam(const Params &param, const QObject *context,
                                                   Success success, Failure failed)
{
    Params params = param;
    params.insert(QStringLiteral("isDetail"), QStringLiteral("1"));
    GETWithUrlString(QStringLiteral("note/sync"), params, context, std::move(success), std::move(failed));
}

// The plain endpoints, each a route of the table above.
void ApiNetWorking::loadAutoJumpKeyWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::AutoJumpKey, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::sendVCodeWithParam(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::SendVCode, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadUserInfoWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::UserInfo, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadSystemSettingsWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::SystemSettings, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::timePushWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::TimePush, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::notePushWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::NotePush, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadRecoverDateListForNoteDatasWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::SnapshotList, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::recoverNoteDatasWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::SnapshotRestore, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::bindOAuthWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::BindOAuth, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::clearBindOAuthWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::ClearBindOAuth, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadTerminalsWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::Terminals, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadWiFiListWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::WiFiList, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::addWiFiWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::WiFiAdd, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::modifyWiFiWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::WiFiModify, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::deleteWiFiWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::WiFiDelete, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::syncPushDatasFromParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::SyncPush, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadMyVersionsWithSuccess(const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::Versions, {}, c, std::move(s), std::move(f));
}
void ApiNetWorking::revokeAlreadyCompleteNoteFromParams(const Params &p, const QObject *c, Success s,
                                                        Failure f)
{
    callRoute(Endpoint::RevokeCompleted, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadCompleteNoteListWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::CompletedLog, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::loadLogNoteListWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::TimeAxisLog, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::deleteNoteLogWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::DeleteLog, p, c, std::move(s), std::move(f));
}
void ApiNetWorking::searchNoteWithParams(const Params &p, const QObject *c, Success s, Failure f)
{
    callRoute(Endpoint::Search, p, c, std::move(s), std::move(f));
}

QString ApiNetWorking::loadOAuthUrlWithModel(const OAuthModel &model)
{
    const QString web = webBaseUrl();
    if (web.isEmpty())
        return {};
    auto enc = [](const QString &value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); };
    const qint64 seconds = qRound64(double(Clock::nowMSecs()) / 1000.0);
    return web +
           QStringLiteral("/oauth/jump?oauthType=%1&from=mac&type=%2&clientId=%3&time=%4")
               .arg(enc(model.oauthtype), enc(model.type), enc(model.clientId), QString::number(seconds));
}
