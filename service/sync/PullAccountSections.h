#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class Context;
class UserInfo;

// The sections of a pull reply beside categories and notes: deletions of
// history and completion records, the profile, the settings with the skin they
// name, and the saved Wi-Fi networks.
class PullAccountSections
{
public:
    // "syncContentLogDelResult"."datas": a "delType" 2 entry deletes a history
    // record, 1 a completion record (by "indexId").
    static void deleteRecords(Context &ctx, const QJsonArray &entries);
    // "syncUserInfoResult", when "isChange".
    static void importProfile(Context &ctx, const QJsonObject &section, qint64 userId);
    // "syncUserSetResult", when "isChange"; the skin it names becomes the current one
    // when the user syncs settings.
    static void importSettings(Context &ctx, const QJsonObject &section, qint64 userId);
    // "syncUserWifiResult"."datas": a list with entries replaces the saved networks.
    static void importNetworks(Context &ctx, const QJsonArray &entries);

    // The current user's row (none for user 0), made when `create` and there is none.
    static UserInfo *currentUser(Context &ctx, qint64 userId, bool create);

private:
    static bool listHasElement(const QString &commaList, const QString &value);
};
