#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

class NoteDetail;

// One category. Deleting it deletes its notes.
class Classify : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotClassId = 0,
        SlotName,
        SlotBackColor,
        SlotSort,
        SlotVersion,
        SlotActionType,
        SlotIsSync,
    };

    QString classId() const { return textAt(SlotClassId); }
    void setClassId(const QString &value) { setSlotValue(SlotClassId, value); }
    QString name() const { return textAt(SlotName); }
    void setName(const QString &value) { setSlotValue(SlotName, value); }
    QString backColor() const { return textAt(SlotBackColor); }
    void setBackColor(const QString &value) { setSlotValue(SlotBackColor, value); }
    qint16 sort() const { return int16At(SlotSort); }
    void setSort(qint16 value) { setSlotValue(SlotSort, value); }
    QString version() const { return textAt(SlotVersion); }
    void setVersion(const QString &value) { setSlotValue(SlotVersion, value); }
    qint16 actionType() const { return int16At(SlotActionType); }
    void setActionType(qint16 value) { setSlotValue(SlotActionType, value); }
    bool isSync() const { return boolAt(SlotIsSync); }
    void setIsSync(bool value) { setSlotValue(SlotIsSync, value); }

    // Every NoteDetail whose classify is this row (unordered; deleted rows excluded).
    QList<NoteDetail *> notes() const;
    void addNotesObject(NoteDetail *value);
    void removeNotesObject(NoteDetail *value);
};
