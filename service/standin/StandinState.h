#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// One account of the stand-in service.
struct StandinAccount
{
    QString userId;
    QString account;
    QString passWord;
    QString userKey;                 // request/reply key source for the signed-in paths
    QString accessToken;             // the latest sign-in's token; empty until signed in
    QStringList sessions;            // every sign-in's token (one account, many devices)
    QHash<QString, QString> openIds; // oauth "type" ("1" QQ, "2" WeChat) -> openId
    qint64 version = 1;              // the account's data version
    QJsonObject userInfo;            // profile row
    QJsonObject sysSet;              // settings row
    qint64 userInfoVersion = 0;      // the data version of the last profile change
    qint64 sysSetVersion = 0;        // the data version of the last settings change
    QJsonArray wifis;                // saved networks {wifiId, name, alias}
    QJsonArray snapshots;            // {snapshotDate}
    QJsonArray teamVersions;
    // Free room for handlers registered by other tests (note data etc.).
    QJsonObject extra;
};

// The stand-in's whole in-memory state. Handlers read and change it freely;
// the service runs on one thread.
struct StandinState
{
    QList<StandinAccount> accounts;
    QString autoJumpKey = QStringLiteral("0123456789abcdef0123456789abcdef");
    QJsonArray terminals;
    // oauth temp client id -> {"status", "openId"} the authorisation page would leave.
    QHash<QString, QJsonObject> oauthStates;
    // Uploaded images by id, served at "img/<id>.png".
    QHash<QString, QByteArray> images;
    // The last text-message code issued per userId (not kept between runs).
    QHash<QString, QString> vCodes;
    qint64 nextId = 1000;

    // A fresh state with one account "tester" / "secret1" and the terminal list.
    static StandinState seeded();

    StandinAccount *accountByName(const QString &account);
    StandinAccount *accountByToken(const QString &accessToken);
    StandinAccount *accountByOpenId(const QString &type, const QString &openId);
    // The account whose profile holds this bound mobile number.
    StandinAccount *accountByMobile(const QString &mobile);
    StandinAccount &addAccount(const QString &account, const QString &passWord);
    QString newId() { return QString::number(++nextId); }
};
