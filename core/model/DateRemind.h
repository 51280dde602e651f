#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

class NoteDetail;

// A note's reminder (date or Wi-Fi). Deleting it clears the note's remind.
class DateRemind : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotCId = 0,
        SlotRemindActionType,
        SlotRemindDateType,
        SlotRemindDateTime,
        SlotRemindRealDateTime,
        SlotRemindCycleType,
        SlotRemindCycleInterval,
        SlotRemindCycleSpecific,
        SlotRemindEndTime,
        SlotRemindRType,
        SlotRemindDelayTime,
        SlotConnectWifiIds,
        SlotConnectWifiType,
        SlotRemindWifiStatus,
        SlotRemindWifiDateTime,
    };

    QString cId() const { return textAt(SlotCId); }
    void setCId(const QString &value) { setSlotValue(SlotCId, value); }
    qint16 remindActionType() const { return int16At(SlotRemindActionType); }
    void setRemindActionType(qint16 value) { setSlotValue(SlotRemindActionType, value); }
    qint16 remindDateType() const { return int16At(SlotRemindDateType); }
    void setRemindDateType(qint16 value) { setSlotValue(SlotRemindDateType, value); }
    QString remindDateTime() const { return textAt(SlotRemindDateTime); }
    void setRemindDateTime(const QString &value) { setSlotValue(SlotRemindDateTime, value); }
    QString remindRealDateTime() const { return textAt(SlotRemindRealDateTime); }
    void setRemindRealDateTime(const QString &value) { setSlotValue(SlotRemindRealDateTime, value); }
    qint16 remindCycleType() const { return int16At(SlotRemindCycleType); }
    void setRemindCycleType(qint16 value) { setSlotValue(SlotRemindCycleType, value); }
    qint16 remindCycleInterval() const { return int16At(SlotRemindCycleInterval); }
    void setRemindCycleInterval(qint16 value) { setSlotValue(SlotRemindCycleInterval, value); }
    QString remindCycleSpecific() const { return textAt(SlotRemindCycleSpecific); }
    void setRemindCycleSpecific(const QString &value) { setSlotValue(SlotRemindCycleSpecific, value); }
    QString remindEndTime() const { return textAt(SlotRemindEndTime); }
    void setRemindEndTime(const QString &value) { setSlotValue(SlotRemindEndTime, value); }
    qint16 remindRType() const { return int16At(SlotRemindRType); }
    void setRemindRType(qint16 value) { setSlotValue(SlotRemindRType, value); }
    QString remindDelayTime() const { return textAt(SlotRemindDelayTime); }
    void setRemindDelayTime(const QString &value) { setSlotValue(SlotRemindDelayTime, value); }
    QString connectWifiIds() const { return textAt(SlotConnectWifiIds); }
    void setConnectWifiIds(const QString &value) { setSlotValue(SlotConnectWifiIds, value); }
    qint16 connectWifiType() const { return int16At(SlotConnectWifiType); }
    void setConnectWifiType(qint16 value) { setSlotValue(SlotConnectWifiType, value); }
    qint16 remindWifiStatus() const { return int16At(SlotRemindWifiStatus); }
    void setRemindWifiStatus(qint16 value) { setSlotValue(SlotRemindWifiStatus, value); }
    QString remindWifiDateTime() const { return textAt(SlotRemindWifiDateTime); }
    void setRemindWifiDateTime(const QString &value) { setSlotValue(SlotRemindWifiDateTime, value); }

    NoteDetail *noteDetail() const;
    void setNoteDetail(NoteDetail *value);
};
