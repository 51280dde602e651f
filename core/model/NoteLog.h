#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// Local copy of one server edit-history record. diffItems is a QVariantList of QVariantMap spans
// ("diffLength", "diffStartIndex", "diffType"), stored through NoteLogTransformer.
class NoteLog : public ManagedObject
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
        SlotClassifyName,
        SlotContent,
        SlotCreateTime,
        SlotActionType,
        SlotTerminalId,
        SlotDiffItems,
        SlotCellHeight,
        SlotSort,
    };

    QString tId() const { return textAt(SlotTId); }
    void setTId(const QString &value) { setSlotValue(SlotTId, value); }
    QString cId() const { return textAt(SlotCId); }
    void setCId(const QString &value) { setSlotValue(SlotCId, value); }
    QString classId() const { return textAt(SlotClassId); }
    void setClassId(const QString &value) { setSlotValue(SlotClassId, value); }
    QString classifyName() const { return textAt(SlotClassifyName); }
    void setClassifyName(const QString &value) { setSlotValue(SlotClassifyName, value); }
    QString content() const { return textAt(SlotContent); }
    void setContent(const QString &value) { setSlotValue(SlotContent, value); }
    QString createTime() const { return textAt(SlotCreateTime); }
    void setCreateTime(const QString &value) { setSlotValue(SlotCreateTime, value); }
    qint16 actionType() const { return int16At(SlotActionType); }
    void setActionType(qint16 value) { setSlotValue(SlotActionType, value); }
    qint16 terminalId() const { return int16At(SlotTerminalId); }
    void setTerminalId(qint16 value) { setSlotValue(SlotTerminalId, value); }
    QVariant diffItems() const { return objectAt(SlotDiffItems); }
    void setDiffItems(const QVariant &value) { setSlotValue(SlotDiffItems, value); }
    float cellHeight() const { return floatAt(SlotCellHeight); }
    void setCellHeight(float value) { setSlotValue(SlotCellHeight, value); }
    qint64 sort() const { return int64At(SlotSort); }
    void setSort(qint64 value) { setSlotValue(SlotSort, value); }
};
