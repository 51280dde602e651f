#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// A user's profile and account state.
class UserInfo : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotUserId = 0,
        SlotAccount,
        SlotNick,
        SlotAvatar,
        SlotMobile,
        SlotEmail,
        SlotWeChat,
        SlotMobileBindStatus,
        SlotEmailBindStatus,
        SlotWeChatBindStatus,
        SlotIsOAuthQQ,
        SlotIsOAuthWeChat,
        SlotIsOpenWeChatReminder,
        SlotIsEmptyPassword,
        SlotIsDefaultLockScreen,
        SlotLockScreenPassword,
        SlotLockScreenType,
        SlotSyncSettings,
        SlotRegType,
        SlotUserState,
        SlotActivatedTime,
        SlotIsRealAuthentication,
        SlotBelongerRealName,
        SlotBelongerIDCardNumber,
        SlotUserKey,
        SlotVersion,
    };

    qint32 userId() const { return int32At(SlotUserId); }
    void setUserId(qint32 value) { setSlotValue(SlotUserId, value); }
    QString account() const { return textAt(SlotAccount); }
    void setAccount(const QString &value) { setSlotValue(SlotAccount, value); }
    QString nick() const { return textAt(SlotNick); }
    void setNick(const QString &value) { setSlotValue(SlotNick, value); }
    QString avatar() const { return textAt(SlotAvatar); }
    void setAvatar(const QString &value) { setSlotValue(SlotAvatar, value); }
    QString mobile() const { return textAt(SlotMobile); }
    void setMobile(const QString &value) { setSlotValue(SlotMobile, value); }
    QString email() const { return textAt(SlotEmail); }
    void setEmail(const QString &value) { setSlotValue(SlotEmail, value); }
    QString weChat() const { return textAt(SlotWeChat); }
    void setWeChat(const QString &value) { setSlotValue(SlotWeChat, value); }
    qint16 mobileBindStatus() const { return int16At(SlotMobileBindStatus); }
    void setMobileBindStatus(qint16 value) { setSlotValue(SlotMobileBindStatus, value); }
    qint16 emailBindStatus() const { return int16At(SlotEmailBindStatus); }
    void setEmailBindStatus(qint16 value) { setSlotValue(SlotEmailBindStatus, value); }
    qint16 weChatBindStatus() const { return int16At(SlotWeChatBindStatus); }
    void setWeChatBindStatus(qint16 value) { setSlotValue(SlotWeChatBindStatus, value); }
    bool isOAuthQQ() const { return boolAt(SlotIsOAuthQQ); }
    void setIsOAuthQQ(bool value) { setSlotValue(SlotIsOAuthQQ, value); }
    bool isOAuthWeChat() const { return boolAt(SlotIsOAuthWeChat); }
    void setIsOAuthWeChat(bool value) { setSlotValue(SlotIsOAuthWeChat, value); }
    bool isOpenWeChatReminder() const { return boolAt(SlotIsOpenWeChatReminder); }
    void setIsOpenWeChatReminder(bool value) { setSlotValue(SlotIsOpenWeChatReminder, value); }
    bool isEmptyPassword() const { return boolAt(SlotIsEmptyPassword); }
    void setIsEmptyPassword(bool value) { setSlotValue(SlotIsEmptyPassword, value); }
    bool isDefaultLockScreen() const { return boolAt(SlotIsDefaultLockScreen); }
    void setIsDefaultLockScreen(bool value) { setSlotValue(SlotIsDefaultLockScreen, value); }
    QString lockScreenPassword() const { return textAt(SlotLockScreenPassword); }
    void setLockScreenPassword(const QString &value) { setSlotValue(SlotLockScreenPassword, value); }
    qint16 lockScreenType() const { return int16At(SlotLockScreenType); }
    void setLockScreenType(qint16 value) { setSlotValue(SlotLockScreenType, value); }
    QString syncSettings() const { return textAt(SlotSyncSettings); }
    void setSyncSettings(const QString &value) { setSlotValue(SlotSyncSettings, value); }
    qint16 regType() const { return int16At(SlotRegType); }
    void setRegType(qint16 value) { setSlotValue(SlotRegType, value); }
    qint16 userState() const { return int16At(SlotUserState); }
    void setUserState(qint16 value) { setSlotValue(SlotUserState, value); }
    QString activatedTime() const { return textAt(SlotActivatedTime); }
    void setActivatedTime(const QString &value) { setSlotValue(SlotActivatedTime, value); }
    bool isRealAuthentication() const { return boolAt(SlotIsRealAuthentication); }
    void setIsRealAuthentication(bool value) { setSlotValue(SlotIsRealAuthentication, value); }
    QString belongerRealName() const { return textAt(SlotBelongerRealName); }
    void setBelongerRealName(const QString &value) { setSlotValue(SlotBelongerRealName, value); }
    QString belongerIDCardNumber() const { return textAt(SlotBelongerIDCardNumber); }
    void setBelongerIDCardNumber(const QString &value) { setSlotValue(SlotBelongerIDCardNumber, value); }
    QString userKey() const { return textAt(SlotUserKey); }
    void setUserKey(const QString &value) { setSlotValue(SlotUserKey, value); }
    QString version() const { return textAt(SlotVersion); }
    void setVersion(const QString &value) { setSlotValue(SlotVersion, value); }
};
