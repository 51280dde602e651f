#pragma once

#include <QString>
#include <QVariantMap>

// The auto-login record kept in the user default "account".
struct AutoLoginModel
{
    static inline const QString AccountLogin = QStringLiteral("AccountLogin");
    static inline const QString OAuthAutoLogin = QStringLiteral("OAuthAutoLogin");

    QString type;
    QString account;
    QString openId;
    QString oauthType;

    QVariantMap toMap() const;
    static AutoLoginModel fromMap(const QVariantMap &map);

    // The stored record (all empty when none), and storing one.
    static AutoLoginModel stored();
    void store() const;
};
