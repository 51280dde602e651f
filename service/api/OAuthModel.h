#pragma once

#include <QJsonObject>
#include <QString>

// The parameters of one WeChat/QQ authorisation exchange. Unset (null) fields
// are left out of the dictionary.
struct OAuthModel
{
    QString oauthtype; // "wx" or "qq"
    QString from;
    QString type; // "login" or "bind"
    QString clientId;
    QString clientVersion;

    QJsonObject toJson() const;
};
