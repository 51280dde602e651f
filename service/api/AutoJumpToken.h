#pragma once

#include "service/api/TokenModel.h"

#include <QString>

#include <functional>

class Context;
class QObject;
class UUIDTool;

// The signed-in link into the web site: its auto-login address with an
// encrypted token naming the user, the device and the page to return to.
class AutoJumpToken
{
public:
    using Link = std::function<void(const QString &link)>;

    // The link, for the browser, handed to `owner` once the device id is read
    // (dropped when the owner is gone). Ends in an empty token when no
    // "autoJumpToken" is stored; empty when no web address is set. The
    // categories are counted in `store` (none without one).
    static void getAutoJumpTokenWithUrl(const QString &returnUrl, Context *store, UUIDTool &deviceId,
                                        const QObject *owner, Link link);
    // The same with the device id at hand.
    static QString linkWithDeviceId(const QString &returnUrl, Context *store, const QString &deviceId);
    // Percent-escapes every character outside the URL-legal set and each of
    // "!*'();:@&=+$,/?%#[]".
    static QString encodeToPercentEscapeString(const QString &text);
    // The token's content as it would be sent now.
    static TokenModel currentTokenModel(const QString &returnUrl, Context *store, const QString &deviceId);
};
