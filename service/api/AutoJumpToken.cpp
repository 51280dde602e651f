#include "service/api/AutoJumpToken.h"

#include "core/model/Classify.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/text/StringHelpers.h"
#include "service/account/SignInKeys.h"
#include "service/account/UUIDTool.h"
#include "service/api/AES.h"
#include "service/api/ApiNetWorking.h"

#include <QUrl>

TokenModel AutoJumpToken::currentTokenModel(const QString &returnUrl, Context *store, const QString &deviceId)
{
    TokenModel model;
    model.userId = UserDefaults::string(SignInKeys::UserId);
    model.timestamp = double(Clock::nowMSecs()) / 1000.0;
    qint64 classes = 0;
    if (store)
        classes = store->count<Classify>();
    model.classesCount = QString::number(classes);
    model.teamCount = UserDefaults::string(SignInKeys::TeamCount);
    model.macAddress = deviceId;
    model.returnUrl = returnUrl;
    return model;
}

QString AutoJumpToken::encodeToPercentEscapeString(const QString &text)
{
    // Only the unreserved characters stay as they are: every other one is
    // either not legal in a URL or one of the delimiters that must be escaped.
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString AutoJumpToken::linkWithDeviceId(const QString &returnUrl, Context *store, const QString &deviceId)
{
    const QString web = ApiNetWorking::webBaseUrl();
    if (web.isEmpty())
        return {};
    const QString key = UserDefaults::string(SignInKeys::AutoJumpToken);
    QString token;
    if (!key.isEmpty()) {
        const QByteArray json = currentTokenModel(returnUrl, store, deviceId).toCompactJson();
        const QByteArray cipher = AES::encryptData(json, key);
        if (!cipher.isNull())
            token = base64StringFromData(cipher);
    }
    return web + QStringLiteral("/oauth/autoJump?from=mac&type=login&token=%1")
                     .arg(encodeToPercentEscapeString(token));
}

void AutoJumpToken::getAutoJumpTokenWithUrl(const QString &returnUrl, Context *store, UUIDTool &deviceId,
                                            const QObject *owner, Link link)
{
    // The store is read when the id is there: the owner (a presenter) outlives neither.
    deviceId.getUUIDInKeychain(owner, [returnUrl, store, link = std::move(link)](const QString &id) {
        if (link)
            link(linkWithDeviceId(returnUrl, store, id));
    });
}
