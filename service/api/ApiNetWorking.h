#pragma once

#include "service/api/AesBaseModel.h"
#include "service/api/ApiEnvelope.h"
#include "service/api/BaseErrorModel.h"
#include "service/api/BaseSuccessModel.h"
#include "service/api/OAuthModel.h"

#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class ApiReplyQueue;
class ApiTransport;
class NetworkMonitor;
class Session;
class UserFeedback;
class UUIDTool;

// The endpoint catalogue of the service: every endpoint is one operation that
// takes its parameters, a context object and two callbacks, and goes through
// one of the five request variants (framed by ApiEnvelope, sent by
// ApiTransport, handed on in order by ApiReplyQueue). Call on the main thread;
// callbacks run on the main thread, and are dropped (never called) when the
// context object has been destroyed before the reply arrived. A null context
// means the callbacks always run.
//
// Every reply code reaches `success`; the caller acts on code 200 only.
// Transport failures and the server's messages go to the feedback given
// (to the log without one) and reach `failure`. Reply codes that end the
// sign-in or ask for a newer program are signals for the shell: this layer
// opens nothing itself.
class ApiNetWorking : public QObject
{
    Q_OBJECT
public:
    using Success = std::function<void(const BaseSuccessModel &model)>;
    using Failure = std::function<void(const BaseErrorModel &error)>;
    using Params = QJsonObject;

    // Its "timestamp" for POST requests is the time of this construction.
    explicit ApiNetWorking(QObject *parent = nullptr);
    explicit ApiNetWorking(UserFeedback &feedback, QObject *parent = nullptr);
    ~ApiNetWorking() override;

    // Where the server's messages and transport failures are shown (not
    // owned; nullptr: to the log).
    void setFeedback(UserFeedback *feedback);
    // The monitor reachabilityStatus() listens to (not owned).
    void setNetworkMonitor(NetworkMonitor *monitor);
    // Where the sign-ins' "deviceCode" comes from (not owned; nullptr: none is sent).
    void setDeviceId(UUIDTool *deviceId);
    // The session whose sign-ins the replies belong to (not owned; nullptr:
    // one sign-in that never ends, generation 0).
    void setSession(const Session *session);
    // The session's generation now: a reply that began under an older one is
    // of an ended sign-in and only reaches its caller.
    quint64 signInGeneration() const;

    // --- configuration ----------------------------------------------------
    // User-defaults keys holding the base addresses. There is no default:
    // without an API address every call fails with noApiAddressText().
    static inline const QString ApiBaseUrlKey = QStringLiteral("apiBaseUrl");
    static inline const QString WebBaseUrlKey = QStringLiteral("webBaseUrl");
    // The API base address, ending in "/"; empty when none is set or it is
    // not usable (https, or http on the loopback address only).
    static QUrl apiBaseUrl();
    // The web site's base address without a trailing "/"; empty when none is
    // set or it is not usable (the same rule as the API address).
    static QString webBaseUrl();
    static QString noApiAddressText();

    // Certificates trusted in addition to the system ones (a test authority).
    // Verification itself is always on.
    void setExtraCaCertificates(const QList<QSslCertificate> &certificates);
    // Idle time-out of one request (default 60 s).
    void setRequestTimeout(int msecs);
    int requestTimeout() const;
    // Overall deadline of one request (default 120 s), however slowly its
    // bytes still come; it fails like a time-out.
    void setRequestDeadline(int msecs);
    int requestDeadline() const;
    // Largest reply body accepted (default 64 MiB); a larger one is refused
    // as a transport failure before it fills the memory.
    void setMaxReplyBytes(qint64 bytes);
    qint64 maxReplyBytes() const;
    // Encrypted replies of at least this many bytes are decoded on the worker
    // (default 64 KiB; 0 sends every one there).
    void setWorkerDecodeBytes(qint64 bytes);
    qint64 workerDecodeBytes() const { return m_workerDecodeBytes; }
    // Seconds since 1970 when this client was made: the "timestamp" of every
    // request but GET.
    qint64 creationTimestamp() const { return m_createdSecs; }

    // --- request variants -------------------------------------------------
    // GET: query-string parameters, encrypted reply, reply-code handling; the
    // server's message is shown for codes other than 200/41x.
    void GETWithUrlString(const QString &path, const Params &params, const QObject *context, Success success,
                          Failure failure);
    // POST: encrypted body and reply, reply-code handling; the message is not
    // shown for "tool/checkOAuthState".
    void POSTWithUrlString(const QString &path, const Params &params, const QObject *context, Success success,
                           Failure failure);
    // POST whose reply is decrypted whatever its code; no reply-code handling, no alert.
    void postDecodeWithUrlString(const QString &path, const Params &params, const QObject *context,
                                 Success success, Failure failure);
    // POST with an empty body and a plain-JSON reply; no reply-code handling, no alert.
    void noAesPostWithUrlString(const QString &path, const Params &params, const QObject *context,
                                Success success, Failure failure);
    // Multipart POST, one part per image; plain-JSON reply.
    void uploadPostWithUrlString(const QString &path, const Params &params, const QList<QImage> &images,
                                 const QObject *context, Success success, Failure failure);

    // --- reply decoding ---------------------------------------------------
    // Decodes a reply of GET/POST and carries out its reply-code action
    // (41x: signInRejected, 417: updateRequired, others showMsg).
    BaseSuccessModel returnLoadBaseModelWithResponseObject(const QByteArray &bytes, const QString &path);

    // Hands the network status changes (-1 unknown, 0 not reachable,
    // 1 reachable not over Wi-Fi, 2 Wi-Fi) to the handler. Replaces any
    // earlier handler.
    void reachabilityStatus(std::function<void(int status)> handler);

    // --- endpoints ----------------------------------------------------------
    // "user/login" {"account", "passWord"} + jpushId, clientVersion, deviceCode,
    // deviceModel. On 200 "accessToken" and "userKey" are stored first.
    void loginWithParam(const Params &param, const QObject *context, Success success, Failure failed);
    // "user/login/oauth" {"type", "openId"} + the same four fields.
    void oauthloginWithParam(const Params &param, const QObject *context, Success success, Failure failed);
    // "tool/oauthTempId": sets the model's clientVersion first; data is text.
    void loadAOuthTempIdWithParams(OAuthModel &model, const QObject *context, Success success,
                                   Failure failed);
    // "tool/checkOAuthState" (postDecode, silent).
    void checkOAuthStatusWithParamsModel(const OAuthModel &model, const QObject *context, Success success,
                                         Failure failed);
    // "sys/oauthKey" (GET); data is text.
    void loadAutoJumpKeyWithSuccess(const QObject *context, Success success, Failure failed);
    // "tool/sendVCode".
    void sendVCodeWithParam(const Params &param, const QObject *context, Success success, Failure failed);
    // "user/userInfo" (GET).
    void loadUserInfoWithSuccess(const QObject *context, Success success, Failure failed);
    // "user/userInfo/modify": on 200 the reply's "version" is stored when it is
    // the stored version + 1.
    void modifyUserInfoWithParams(const Params &params, const QObject *context, Success success,
                                  Failure failed);
    // "user/sysSet" (GET).
    void loadSystemSettingsWithSuccess(const QObject *context, Success success, Failure failed);
    // "user/sysSet/modify": "version" as for modifyUserInfoWithParams.
    void modifySystemSettingsWithParams(const Params &params, const QObject *context, Success success,
                                        Failure failed);
    // "user/sysSet/timePush/modify".
    void timePushWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    // "user/data/push/content".
    void notePushWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    // "user/data/snapshot/list" (GET).
    void loadRecoverDateListForNoteDatasWithSuccess(const QObject *context, Success success, Failure failed);
    // "user/data/snapshot/restore".
    void recoverNoteDatasWithParams(const Params &params, const QObject *context, Success success,
                                    Failure failed);
    // "user/safe/oauth/bind".
    void bindOAuthWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    // "user/safe/oauth/clearBind".
    void clearBindOAuthWithParams(const Params &params, const QObject *context, Success success,
                                  Failure failed);
    // "tool/upload/img" (multipart).
    void uploadImgWithUploadImages(const QList<QImage> &images, const QObject *context, Success success,
                                   Failure failed);
    // "sys/terminal/list" (public POST, empty body).
    void loadTerminalsWithSuccess(const QObject *context, Success success, Failure failed);
    // "user/wifi/list" (GET), "user/wifi/add", "user/wifi/modify", "user/wifi/delete".
    void loadWiFiListWithSuccess(const QObject *context, Success success, Failure failed);
    void addWiFiWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    void modifyWiFiWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    void deleteWiFiWithParams(const Params &params, const QObject *context, Success success, Failure failed);
    // "note/sync" GET: {"version"} and always "isDetail" "1".
    void syncPullDatasFromNoteWithParam(const Params &param, const QObject *context, Success success,
                                        Failure failed);
    // "note/sync" POST: the push body with "version".
    void syncPushDatasFromParams(const Params &params, const QObject *context, Success success,
                                 Failure failed);
    // "user/versionNums" (plain POST, empty body). Its transport failures show
    // no alert (it is the background poll).
    void loadMyVersionsWithSuccess(const QObject *context, Success success, Failure failed);
    // "note/revokeCompleted".
    void revokeAlreadyCompleteNoteFromParams(const Params &params, const QObject *context, Success success,
                                             Failure failed);
    // "note/log/completed" (GET), "note/log/timeAxis" (GET), "note/logDel".
    void loadCompleteNoteListWithParams(const Params &params, const QObject *context, Success success,
                                        Failure failed);
    void loadLogNoteListWithParams(const Params &params, const QObject *context, Success success,
                                   Failure failed);
    void deleteNoteLogWithParams(const Params &params, const QObject *context, Success success,
                                 Failure failed);
    // "note/content/search" (GET).
    void searchNoteWithParams(const Params &params, const QObject *context, Success success, Failure failed);

    // The web authorisation page for the model, values percent-encoded.
    // Empty when no web address is set.
    static QString loadOAuthUrlWithModel(const OAuthModel &model);

    // Stores a "version" from a reply outside a pull only when it is exactly
    // the stored version + 1; any other value is left for the next poll.
    static void storeVersionIfNext(const QJsonValue &replyVersion);

signals:
    // The service ended the present sign-in (codes 410, 411, 413): the shell
    // logs out and shows the message. Once per sign-in however many replies
    // say so, and never for a reply of a sign-in already over.
    void signInRejected(const AesBaseModel &model);
    // The service wants a newer program (code 417) under the present sign-in.
    void updateRequired();

private:
    using Variant = ApiEnvelope::Variant;
    struct Call;
    // The endpoints that pass the caller's parameters straight to one path,
    // in the order of the route table.
    enum class Endpoint
    {
        AutoJumpKey,
        SendVCode,
        UserInfo,
        SystemSettings,
        TimePush,
        NotePush,
        SnapshotList,
        SnapshotRestore,
        BindOAuth,
        ClearBindOAuth,
        Terminals,
        WiFiList,
        WiFiAdd,
        WiFiModify,
        WiFiDelete,
        SyncPush,
        Versions,
        RevokeCompleted,
        CompletedLog,
        TimeAxisLog,
        DeleteLog,
        Search,
        Count
    };
    struct Route;
    static const Route &route(Endpoint endpoint);
    void callRoute(Endpoint endpoint, const Params &params, const QObject *context, Success success,
                   Failure failed);

    void send(Variant variant, const QString &path, const Params &params, const QList<QImage> &images,
              const QObject *context, Success success, Failure failure);
    void received(const std::shared_ptr<Call> &call, const QByteArray &bytes);
    // The reply-code actions of GET/POST (main thread); gives the model with showMsg set.
    BaseSuccessModel actOnCode(BaseSuccessModel model, quint64 generation);
    void complete(const std::shared_ptr<Call> &call, BaseSuccessModel model);
    void fail(const std::shared_ptr<Call> &call, const QString &text, bool showSheet);
    void tell(const QString &text);
    void login(const QString &path, const Params &param, const QObject *context, Success success,
               Failure failed);
    void modifyWithVersion(const QString &path, const Params &params, const QObject *context, Success success,
                           Failure failed);

    ApiTransport *m_transport;
    ApiReplyQueue *m_replies;
    QPointer<NetworkMonitor> m_monitor;
    UserFeedback *m_feedback = nullptr;
    UUIDTool *m_deviceId = nullptr;
    const Session *m_session = nullptr;
    qint64 m_workerDecodeBytes = 64 * 1024;
    qint64 m_createdSecs = 0;
    std::function<void(int)> m_reachabilityHandler;
    QMetaObject::Connection m_reachabilityConnection;
};
