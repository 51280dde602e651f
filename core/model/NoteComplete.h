#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// Local copy of one server completion record.
class NoteComplete : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotTId = 0,
        SlotCId,
        SlotClassId,
        SlotContent,
        SlotCompletedTime,
        SlotTerminalId,
        SlotSort,
    };

    QString tId() const { return textAt(SlotTId); }
    void setTId(const QString &value) { setSlotValue(SlotTId, value); }
    QString cId() const { return textAt(SlotCId); }
    void setCId(const QString &value) { setSlotValue(SlotCId, value); }
    QString classId() const { return textAt(SlotClassId); }
    void setClassId(const QString &value) { setSlotValue(SlotClassId, value); }
    QString content() const { return textAt(SlotContent); }
    void setContent(const QString &value) { setSlotValue(SlotContent, value); }
    QString completedTime() const { return textAt(SlotCompletedTime); }
    void setCompletedTime(const QString &value) { setSlotValue(SlotCompletedTime, value); }
    qint16 terminalId() const { return int16At(SlotTerminalId); }
    void setTerminalId(qint16 value) { setSlotValue(SlotTerminalId, value); }
    qint64 sort() const { return int64At(SlotSort); }
    void setSort(qint64 value) { setSlotValue(SlotSort, value); }
};
