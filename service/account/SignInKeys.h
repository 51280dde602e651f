#pragma once

#include <QString>

// User-defaults keys of the signed-in state.
namespace SignInKeys {
inline const QString AccessToken = QStringLiteral("accessToken");
inline const QString UserKey = QStringLiteral("userKey");
inline const QString UserId = QStringLiteral("userId");
inline const QString AutoJumpToken = QStringLiteral("autoJumpToken");
inline const QString Account = QStringLiteral("account");
inline const QString JpushId = QStringLiteral("jpushId");
inline const QString Version = QStringLiteral("version");
inline const QString FontSize = QStringLiteral("fontSize");
inline const QString TeamCount = QStringLiteral("teamCount");
} // namespace SignInKeys
