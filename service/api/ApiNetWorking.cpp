#include "service/api/ApiNetWorking.h"

#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/network/NetworkMonitor.h"
#include "service/account/PlatformTool.h"
#include "service/account/SignInKeys.h"
#include "service/account/UUIDTool.h"
#include "service/api/ApiReplyQueue.h"
#include "service/api/ApiTransport.h"

#include <QDebug>
#include <QHostAddress>
#include <QHttpMultiPart>
#include <QPointer>
#include <QTimer>

#include <cmath>
#include <iterator>
#include <optional>

namespace {

const QString VersionNumsPath = QStringLiteral("user/versionNums");

QString missingKeyText()
{
    return QStringLiteral("登录信息已失效，请重新登录");
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
    // The sign-in the request was sent under; a session-ending reply of an
    // older one must not end the present sign-in.
    quint64 generation = 0;

    bool alive() const { return !hasContext || !context.isNull(); }
};

ApiNetWorking::ApiNetWorking(QObject *parent)
    : QObject(parent), m_transport(new ApiTransport(this)), m_replies(new ApiReplyQueue(this)),
      m_createdSecs(Clock::nowSecs())
{
}

ApiNetWorking::ApiNetWorking(UserFeedback &feedback, QObject *parent) : ApiNetWorking(parent)
{
    m_feedback = &feedback;
}

ApiNetWorking::~ApiNetWorking()
{
    // Replies still decoding or in flight reach nobody: the queue waits for a
    // running decode and drops the rest, the transport ends its replies.
    delete m_transport;
    delete m_replies;
}

void ApiNetWorking::setFeedback(UserFeedback *feedback)
{
    m_feedback = feedback;
}

void ApiNetWorking::setSession(const Session *session)
{
    m_session = session;
}

quint64 ApiNetWorking::signInGeneration() const
{
    return m_session ? m_session->generation() : 0;
}

void ApiNetWorking::setDeviceId(UUIDTool *deviceId)
{
    m_deviceId = deviceId;
}

void ApiNetWorking::setNetworkMonitor(NetworkMonitor *monitor)
{
    m_monitor = monitor;
}

void ApiNetWorking::tell(const QString &text)
{
    if (m_feedback)
        m_feedback->showDefaultMessageAlertWithDetailText(text);
    else
        qInfo().noquote() << "service:" << text;
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
    m_transport->setExtraCaCertificates(certificates);
}

void ApiNetWorking::setRequestTimeout(int msecs)
{
    m_transport->setIdleTimeout(msecs);
}

int ApiNetWorking::requestTimeout() const
{
    return m_transport->idleTimeout();
}

void ApiNetWorking::setRequestDeadline(int msecs)
{
    m_transport->setDeadline(msecs);
}

int ApiNetWorking::requestDeadline() const
{
    return m_transport->deadline();
}

void ApiNetWorking::setMaxReplyBytes(qint64 bytes)
{
    m_transport->setMaxReplyBytes(bytes);
}

qint64 ApiNetWorking::maxReplyBytes() const
{
    return m_transport->maxReplyBytes();
}

void ApiNetWorking::setWorkerDecodeBytes(qint64 bytes)
{
    m_workerDecodeBytes = qMax<qint64>(0, bytes);
}

// --- reply codes ------------------------------------------------------------------

BaseSuccessModel ApiNetWorking::returnLoadBaseModelWithResponseObject(const QByteArray &bytes,
                                                                      const QString &path)
{
    return actOnCode(ApiEnvelope::decodeReply(bytes, Variant::Get, path, ApiEnvelope::getAesPwdWithUrl(path)),
                     signInGeneration());
}

BaseSuccessModel ApiNetWorking::actOnCode(BaseSuccessModel model, quint64 generation)
{
    // Several replies of one sign-in may end it together; the first is told,
    // the rest (and any of a sign-in already over) only reach their callers.
    const bool current = generation == signInGeneration();
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
            emit signInRejected(aes);
        }
        break;
    case 417:
        if (current)
            emit updateRequired();
        break;
    default:
        model.showMsg = true;
        break;
    }
    return model;
}

void ApiNetWorking::reachabilityStatus(std::function<void(int status)> handler)
{
    m_reachabilityHandler = std::move(handler);
    disconnect(m_reachabilityConnection);
    QPointer<NetworkMonitor> monitor = m_monitor;
    if (monitor)
        m_reachabilityConnection = connect(monitor, &NetworkMonitor::statusChanged, this, [this](int status) {
            if (m_reachabilityHandler)
                m_reachabilityHandler(status);
        });
    // The first reading is reported like a change, as monitoring starts;
    // without a monitor the status is unknown.
    QTimer::singleShot(0, this, [this, monitor] {
        if (m_reachabilityHandler)
            m_reachabilityHandler(monitor ? monitor->status() : -1);
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
    call->generation = signInGeneration();

    const QUrl base = apiBaseUrl();
    if (base.isEmpty()) {
        QTimer::singleShot(0, this, [this, call] { fail(call, noApiAddressText(), true); });
        return;
    }
    ApiEnvelope::Request request = ApiEnvelope::make(variant, base, path, params, images, m_createdSecs);
    if (request.problem == ApiEnvelope::Request::Problem::NoKey) {
        // Requests whose body or reply is encrypted need their key before they go.
        QTimer::singleShot(0, this, [this, call] { fail(call, missingKeyText(), false); });
        return;
    }
    auto done = [this, call](const ApiTransport::Result &result) {
        if (!result.ok) {
            const QString text = result.errorText;
            m_replies->deliver([this, call, text] { fail(call, text, true); });
            return;
        }
        received(call, result.bytes);
    };
    if (request.multipart)
        m_transport->post(request.request, std::move(request.multipart), std::move(done));
    else if (request.isGet)
        m_transport->get(request.request, std::move(done));
    else
        m_transport->post(request.request, request.body, std::move(done));
}

void ApiNetWorking::received(const std::shared_ptr<Call> &call, const QByteArray &bytes)
{
    const Variant variant = call->variant;
    const QString path = call->path;
    const bool encrypted = ApiEnvelope::isEncrypted(variant);
    // The key is read here, on the main thread, as the reply arrives.
    const QString key = encrypted ? ApiEnvelope::getAesPwdWithUrl(path) : QString();
    if (encrypted && bytes.size() >= m_workerDecodeBytes) {
        m_replies->decodeOnWorker(
            [bytes, variant, path, key] { return ApiEnvelope::decodeReply(bytes, variant, path, key); },
            [this, call](const BaseSuccessModel &model) { complete(call, model); });
        return;
    }
    BaseSuccessModel model = ApiEnvelope::decodeReply(bytes, variant, path, key);
    m_replies->deliver([this, call, model = std::move(model)] { complete(call, model); });
}

void ApiNetWorking::fail(const std::shared_ptr<Call> &call, const QString &text, bool showSheet)
{
    if (!call->alive())
        return;
    BaseErrorModel error{text};
    if (showSheet && !call->silentTransport)
        tell(text);
    if (call->failure)
        call->failure(error);
}

void ApiNetWorking::complete(const std::shared_ptr<Call> &call, BaseSuccessModel model)
{
    bool showAlert = false;
    switch (call->variant) {
    case Variant::Get:
    case Variant::Post:
        // Reply-code actions (logout, update notice) happen even when the caller is gone.
        model = actOnCode(std::move(model), call->generation);
        showAlert = model.showMsg &&
                    (call->variant == Variant::Get || ApiEnvelope::isShowErrorMsgWithUrlString(call->path));
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
        tell(serverMessage(model));
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

namespace {
// A sign-in's reply: on 200 "accessToken" and "userKey" are stored before the caller hears of it.
ApiNetWorking::Success signedIn(ApiNetWorking::Success success)
{
    return [success = std::move(success)](const BaseSuccessModel &model) {
        if (model.code == 200 && model.hasObjectData()) {
            const QJsonObject data = model.dataObject();
            const QString token = ApiEnvelope::queryText(data.value(QStringLiteral("accessToken")));
            const QString userKey = ApiEnvelope::queryText(data.value(QStringLiteral("userKey")));
            if (!token.isEmpty())
                UserDefaults::setValue(SignInKeys::AccessToken, token);
            if (!userKey.isEmpty())
                UserDefaults::setValue(SignInKeys::UserKey, userKey);
            UserDefaults::sync();
        }
        if (success)
            success(model);
    };
}
} // namespace

void ApiNetWorking::login(const QString &path, const Params &param, const QObject *context, Success success,
                          Failure failed)
{
    Params params = param;
    const QString jpushId = UserDefaults::string(SignInKeys::JpushId);
    if (!jpushId.isEmpty())
        params.insert(QStringLiteral("jpushId"), jpushId);
    params.insert(QStringLiteral("clientVersion"), PlatformTool::appVersion());
    params.insert(QStringLiteral("deviceModel"), PlatformTool::deviceModel());
    if (!m_deviceId) {
        qWarning("sign-in without a device id");
        POSTWithUrlString(path, params, context, signedIn(std::move(success)), std::move(failed));
        return;
    }
    // The id comes from the keychain; the request goes once it is there, unless its context went first.
    const QPointer<QObject> guard = const_cast<QObject *>(context);
    m_deviceId->getUUIDInKeychain(this, [this, path, params, context, guard, success = std::move(success),
                                         failed = std::move(failed)](const QString &deviceCode) mutable {
        if (context && !guard)
            return;
        Params withId = params;
        withId.insert(QStringLiteral("deviceCode"), deviceCode);
        POSTWithUrlString(path, withId, context, signedIn(std::move(success)), std::move(failed));
    });
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
