#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// An account that has signed in on this machine.
class LoginAccount : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotUserId = 0,
        SlotAccount,
        SlotAutoLogin,
    };

    qint32 userId() const { return int32At(SlotUserId); }
    void setUserId(qint32 value) { setSlotValue(SlotUserId, value); }
    QString account() const { return textAt(SlotAccount); }
    void setAccount(const QString &value) { setSlotValue(SlotAccount, value); }
    bool autoLogin() const { return boolAt(SlotAutoLogin); }
    void setAutoLogin(bool value) { setSlotValue(SlotAutoLogin, value); }
};
