#include "service/standin/StandinState.h"

#include <QUuid>

StandinState StandinState::seeded()
{
    StandinState state;
    StandinAccount &a = state.addAccount(QStringLiteral("tester"), QStringLiteral("secret1"));
    a.openIds.insert(QStringLiteral("2"), QStringLiteral("wx-open-tester"));
    a.userInfo.insert("isOAuthWeChat", true);
    a.userInfo.insert("mobile", "13800005678");
    a.userInfo.insert("mobileBindStatus", 1);
    state.terminals = QJsonArray{
        QJsonObject{{"id", 1}, {"version", "3.2.0"}, {"versionChangeRemarks", "iOS"}},
        QJsonObject{{"id", 7}, {"version", "1.0.0"}, {"versionChangeRemarks", "修复了若干问题"}},
    };
    return state;
}

StandinAccount *StandinState::accountByName(const QString &account)
{
    for (StandinAccount &a : accounts)
        if (a.account == account)
            return &a;
    return nullptr;
}

StandinAccount *StandinState::accountByToken(const QString &accessToken)
{
    if (accessToken.isEmpty())
        return nullptr;
    for (StandinAccount &a : accounts)
        if (a.accessToken == accessToken || a.sessions.contains(accessToken))
            return &a;
    return nullptr;
}

StandinAccount *StandinState::accountByOpenId(const QString &type, const QString &openId)
{
    if (openId.isEmpty())
        return nullptr;
    for (StandinAccount &a : accounts)
        if (a.openIds.value(type) == openId)
            return &a;
    return nullptr;
}

StandinAccount *StandinState::accountByMobile(const QString &mobile)
{
    if (mobile.isEmpty())
        return nullptr;
    for (StandinAccount &a : accounts)
        if (a.userInfo.value("mobileBindStatus").toInt() == 1 &&
            a.userInfo.value("mobile").toString() == mobile)
            return &a;
    return nullptr;
}

StandinAccount &StandinState::addAccount(const QString &account, const QString &passWord)
{
    StandinAccount a;
    a.userId = newId();
    a.account = account;
    a.passWord = passWord;
    a.userKey = QUuid::createUuid().toString(QUuid::Id128);
    // Every attribute the profile and the settings show, as the service sends them.
    a.userInfo = QJsonObject{{"userId", a.userId.toLongLong()},
                             {"account", account},
                             {"nick", account},
                             {"avatar", ""},
                             {"email", ""},
                             {"mobile", ""},
                             {"mobileBindStatus", 0},
                             {"emailBindStatus", 0},
                             {"isOAuthWeChat", false},
                             {"isOAuthQQ", false},
                             {"isOpenWeChatReminder", false},
                             {"isDefaultLockScreen", false},
                             {"lockScreenPassword", ""},
                             {"regType", 1},
                             {"syncSettings", "1,2,3"},
                             {"isEmptyPassword", false}};
    a.sysSet = QJsonObject{{"noteAddPositionType", 0},
                           {"noteCompleteActionType", 0},
                           {"hyperlinkDistinguish", 0},
                           {"remindTypes", "1"},
                           {"remindSoundName", QStringLiteral("标准铃声1")},
                           {"remindSoundPath", QStringLiteral("标准铃声1.wav")},
                           {"importantRemindInterval", 5},
                           {"wifiSilenceRemindInterval", 0}, // "无间隔", the first choice of the settings
                           {"newSkinColor", "#10b56c"},      // the default skin
                           {"skinType", 0},
                           {"timerPushCycle", 0},
                           {"timerPushCycleTime", ""},
                           {"timerPushCTypes", "1"},
                           {"timerPushEmail", ""},
                           {"pushEmailCount", 0}};
    a.snapshots = QJsonArray{QJsonObject{{"snapshotDate", "2026/12/1 0:00:00"}}};
    accounts.append(a);
    return accounts.last();
}
