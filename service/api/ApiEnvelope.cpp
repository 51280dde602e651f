#include "service/api/ApiEnvelope.h"

#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/text/StringHelpers.h"
#include "service/account/PlatformTool.h"
#include "service/account/SignInKeys.h"
#include "service/api/AES.h"

#include <QBuffer>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

QByteArray queryString(const QJsonObject &params)
{
    QByteArray out;
    for (auto it = params.begin(); it != params.end(); ++it) {
        if (!out.isEmpty())
            out += '&';
        out += QUrl::toPercentEncoding(it.key()) + '=' +
               QUrl::toPercentEncoding(ApiEnvelope::queryText(it.value()));
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
    if (ApiEnvelope::isDataStringWithUrlString(path))
        out.data = plain;
    else
        out.data = parseJson(plain.toUtf8());
    return out;
}

// The header frame of every request.
QNetworkRequest framed(const QUrl &url, qint64 timestamp)
{
    QNetworkRequest request(url);
    request.setRawHeader("appId", "plvmac");
    request.setRawHeader("timestamp", QByteArray::number(timestamp));
    request.setRawHeader("signature", "730518");
    request.setRawHeader("clientVersion", PlatformTool::appVersion().toUtf8());
    const QString token = UserDefaults::string(SignInKeys::AccessToken);
    if (!token.isEmpty())
        request.setRawHeader("accessToken", token.toUtf8());
    return request;
}

std::unique_ptr<QHttpMultiPart> multipartBody(const QJsonObject &params, const QList<QImage> &images)
{
    auto multi = std::make_unique<QHttpMultiPart>(QHttpMultiPart::FormDataType);
    for (auto it = params.begin(); it != params.end(); ++it) {
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=\"%1\"").arg(it.key()));
        part.setBody(ApiEnvelope::queryText(it.value()).toUtf8());
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
    return multi;
}

} // namespace

bool ApiEnvelope::isEncrypted(Variant variant)
{
    return variant == Variant::Get || variant == Variant::Post || variant == Variant::PostDecode;
}

ApiEnvelope::Request ApiEnvelope::make(Variant variant, const QUrl &base, const QString &path,
                                       const Params &params, const QList<QImage> &images, qint64 creationSecs)
{
    Request out;
    if (isEncrypted(variant) && getAesPwdWithUrl(path).isEmpty()) {
        out.problem = Request::Problem::NoKey;
        return out;
    }
    QUrl url(base.toString() + path);
    switch (variant) {
    case Variant::Get:
        if (!params.isEmpty())
            url.setQuery(QString::fromLatin1(queryString(params)), QUrl::StrictMode);
        out.isGet = true;
        out.request = framed(url, Clock::nowSecs());
        break;
    case Variant::Post:
    case Variant::PostDecode:
    case Variant::NoAesPost:
        out.request = framed(url, creationSecs);
        out.request.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArray("application/x-www-form-urlencoded"));
        if (variant != Variant::NoAesPost && !params.isEmpty()) {
            out.body = showAESWithParams(params, path).toLatin1();
            if (out.body.isEmpty())
                out.problem = Request::Problem::NoKey;
        }
        break;
    case Variant::Upload:
        out.request = framed(url, creationSecs);
        out.multipart = multipartBody(params, images);
        break;
    }
    return out;
}

// --- keys and bodies ------------------------------------------------------------

const QStringList &ApiEnvelope::publicPaths()
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

bool ApiEnvelope::isPublicPath(const QString &path)
{
    return publicPaths().contains(path);
}

QString ApiEnvelope::getMD5String(const QString &text)
{
    if (text.size() < 4)
        return {};
    const QString rearranged = text.right(2) + text.mid(2, text.size() - 4) + text.left(2);
    return stringToMD5(rearranged);
}

QString ApiEnvelope::getAesPwdWithUrl(const QString &path)
{
    if (isPublicPath(path))
        return getMD5String(PublicKeyText);
    const QVariant userKey = UserDefaults::value(SignInKeys::UserKey);
    if (userKey.typeId() != QMetaType::QString)
        return {};
    return getMD5String(userKey.toString());
}

QString ApiEnvelope::showAESWithParams(const Params &params, const QString &path)
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

bool ApiEnvelope::isDataStringWithUrlString(const QString &path)
{
    return path == QLatin1String("tool/oauthTempId") || path == QLatin1String("sys/oauthKey");
}

bool ApiEnvelope::isShowErrorMsgWithUrlString(const QString &path)
{
    return path != QLatin1String("tool/checkOAuthState");
}

QString ApiEnvelope::queryText(const QJsonValue &value)
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

// --- reply decoding -------------------------------------------------------------

BaseSuccessModel ApiEnvelope::showBackAESDataWithAesModel(const AesBaseModel &model, const QString &path)
{
    return decryptedModel(model, path, getAesPwdWithUrl(path));
}

BaseSuccessModel ApiEnvelope::decodeReply(const QByteArray &bytes, Variant variant, const QString &path,
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

BaseSuccessModel ApiEnvelope::decodeWithResponseObject(const QByteArray &bytes, const QString &path)
{
    return decodeReply(bytes, Variant::PostDecode, path, getAesPwdWithUrl(path));
}
