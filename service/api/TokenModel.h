#pragma once

#include <QByteArray>
#include <QString>

// The content of the web auto-login token.
struct TokenModel
{
    QString userId;
    double timestamp = 0; // seconds since 1970, with fraction
    QString classesCount;
    QString teamCount;
    QString macAddress;
    QString returnUrl;

    QByteArray toCompactJson() const;
};
