#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// One of the saved Wi-Fi networks.
class WiFiRemind : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotWifiId = 0,
        SlotName,
        SlotAlias,
        SlotActionType,
    };

    QString wifiId() const { return textAt(SlotWifiId); }
    void setWifiId(const QString &value) { setSlotValue(SlotWifiId, value); }
    QString name() const { return textAt(SlotName); }
    void setName(const QString &value) { setSlotValue(SlotName, value); }
    QString alias() const { return textAt(SlotAlias); }
    void setAlias(const QString &value) { setSlotValue(SlotAlias, value); }
    qint16 actionType() const { return int16At(SlotActionType); }
    void setActionType(qint16 value) { setSlotValue(SlotActionType, value); }
};
