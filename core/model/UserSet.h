#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// The user's settings: a single row, read as the first row.
class UserSet : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotNoteAddPositionType = 0,
        SlotNoteCompleteActionType,
        SlotHyperlinkDistinguish,
        SlotNoteFontSize,
        SlotRemindTypes,
        SlotRemindSoundName,
        SlotRemindSoundPath,
        SlotImportantRemindInterval,
        SlotWifiSilenceRemindInterval,
        SlotNewSkinColor,
        SlotSkinType,
        SlotTimerPushCycle,
        SlotTimerPushCycleTime,
        SlotTimerPushCTypes,
        SlotTimerPushEmail,
        SlotPushEmailCount,
    };

    qint16 noteAddPositionType() const { return int16At(SlotNoteAddPositionType); }
    void setNoteAddPositionType(qint16 value) { setSlotValue(SlotNoteAddPositionType, value); }
    qint16 noteCompleteActionType() const { return int16At(SlotNoteCompleteActionType); }
    void setNoteCompleteActionType(qint16 value) { setSlotValue(SlotNoteCompleteActionType, value); }
    bool hyperlinkDistinguish() const { return boolAt(SlotHyperlinkDistinguish); }
    void setHyperlinkDistinguish(bool value) { setSlotValue(SlotHyperlinkDistinguish, value); }
    float noteFontSize() const { return floatAt(SlotNoteFontSize); }
    void setNoteFontSize(float value) { setSlotValue(SlotNoteFontSize, value); }
    QString remindTypes() const { return textAt(SlotRemindTypes); }
    void setRemindTypes(const QString &value) { setSlotValue(SlotRemindTypes, value); }
    QString remindSoundName() const { return textAt(SlotRemindSoundName); }
    void setRemindSoundName(const QString &value) { setSlotValue(SlotRemindSoundName, value); }
    QString remindSoundPath() const { return textAt(SlotRemindSoundPath); }
    void setRemindSoundPath(const QString &value) { setSlotValue(SlotRemindSoundPath, value); }
    qint16 importantRemindInterval() const { return int16At(SlotImportantRemindInterval); }
    void setImportantRemindInterval(qint16 value) { setSlotValue(SlotImportantRemindInterval, value); }
    qint16 wifiSilenceRemindInterval() const { return int16At(SlotWifiSilenceRemindInterval); }
    void setWifiSilenceRemindInterval(qint16 value) { setSlotValue(SlotWifiSilenceRemindInterval, value); }
    QString newSkinColor() const { return textAt(SlotNewSkinColor); }
    void setNewSkinColor(const QString &value) { setSlotValue(SlotNewSkinColor, value); }
    qint16 skinType() const { return int16At(SlotSkinType); }
    void setSkinType(qint16 value) { setSlotValue(SlotSkinType, value); }
    qint16 timerPushCycle() const { return int16At(SlotTimerPushCycle); }
    void setTimerPushCycle(qint16 value) { setSlotValue(SlotTimerPushCycle, value); }
    QString timerPushCycleTime() const { return textAt(SlotTimerPushCycleTime); }
    void setTimerPushCycleTime(const QString &value) { setSlotValue(SlotTimerPushCycleTime, value); }
    QString timerPushCTypes() const { return textAt(SlotTimerPushCTypes); }
    void setTimerPushCTypes(const QString &value) { setSlotValue(SlotTimerPushCTypes, value); }
    QString timerPushEmail() const { return textAt(SlotTimerPushEmail); }
    void setTimerPushEmail(const QString &value) { setSlotValue(SlotTimerPushEmail, value); }
    qint16 pushEmailCount() const { return int16At(SlotPushEmailCount); }
    void setPushEmailCount(qint16 value) { setSlotValue(SlotPushEmailCount, value); }
};
