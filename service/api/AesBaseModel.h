#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

// The reply envelope as it arrives: {code, msg, data}, where data is the
// Base64 text of the encrypted payload.
struct AesBaseModel
{
    qint64 code = 0;
    QString msg;
    QString data;

    // Parses the reply bytes. Anything that is not a JSON object gives code 0
    // and no message.
    static AesBaseModel fromReply(const QByteArray &bytes);
    // A reply code given as a number or as decimal text; 0 when it is neither
    // or lies outside the 64-bit range.
    static qint64 codeOf(const QJsonValue &value);
};
