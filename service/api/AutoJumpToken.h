#pragma once

#include "service/api/TokenModel.h"

#include <QString>

class Context;

// The signed-in link into the web site: its auto-login address with an
// encrypted token naming the user, the device and the page to return to.
class AutoJumpToken
{
public:
    // The link, for the browser. Ends in an empty token when no
    // "autoJumpToken" is stored; empty when no web address is set. The
    // categories are counted in `store` (none without one).
    static QString getAutoJumpTokenWithUrl(const QString &returnUrl, Context *store);
    // Percent-escapes every character outside the URL-legal set and each of
    // "!*'();:@&=+$,/?%#[]".
    static QString encodeToPercentEscapeString(const QString &text);
    // The token's content as it would be sent now.
    static TokenModel currentTokenModel(const QString &returnUrl, Context *store);
};
