#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

class Classify;
class DateRemind;

// One note. Deleting it deletes its reminder.
class NoteDetail : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotCId = 0,
        SlotClassId,
        SlotContent,
        SlotFontColor,
        SlotIsCompleted,
        SlotCompletedTime,
        SlotNextId,
        SlotSort,
        SlotActionType,
        SlotIsSync,
        SlotIsError,
        SlotClassify,
        SlotRemind,
    };

    QString cId() const { return textAt(SlotCId); }
    void setCId(const QString &value) { setSlotValue(SlotCId, value); }
    QString classId() const { return textAt(SlotClassId); }
    void setClassId(const QString &value) { setSlotValue(SlotClassId, value); }
    QString content() const { return textAt(SlotContent); }
    void setContent(const QString &value) { setSlotValue(SlotContent, value); }
    QString fontColor() const { return textAt(SlotFontColor); }
    void setFontColor(const QString &value) { setSlotValue(SlotFontColor, value); }
    bool isCompleted() const { return boolAt(SlotIsCompleted); }
    void setIsCompleted(bool value) { setSlotValue(SlotIsCompleted, value); }
    QString completedTime() const { return textAt(SlotCompletedTime); }
    void setCompletedTime(const QString &value) { setSlotValue(SlotCompletedTime, value); }
    QString nextId() const { return textAt(SlotNextId); }
    void setNextId(const QString &value) { setSlotValue(SlotNextId, value); }
    qint16 sort() const { return int16At(SlotSort); }
    void setSort(qint16 value) { setSlotValue(SlotSort, value); }
    qint16 actionType() const { return int16At(SlotActionType); }
    void setActionType(qint16 value) { setSlotValue(SlotActionType, value); }
    bool isSync() const { return boolAt(SlotIsSync); }
    void setIsSync(bool value) { setSlotValue(SlotIsSync, value); }
    bool isError() const { return boolAt(SlotIsError); }
    void setIsError(bool value) { setSlotValue(SlotIsError, value); }

    Classify *classify() const;
    void setClassify(Classify *value);

    DateRemind *remind() const;
    void setRemind(DateRemind *value);
};
