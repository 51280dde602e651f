#pragma once

#include "platform/store/ManagedObject.h"
#include <QList>
#include <QString>
#include <QVariant>

// One colour skin of the built-in catalogue.
class UISkin : public ManagedObject
{
public:
    static const EntityDescription &entity();
    // The entity as it is put into the data model.
    static EntityDescription description();

    enum Slot
    {
        SlotNameId = 0,
        SlotBgColor,
        SlotBarColor,
        SlotSelectColor,
        SlotIsCurrSkin,
        SlotSort,
    };

    QString nameId() const { return textAt(SlotNameId); }
    void setNameId(const QString &value) { setSlotValue(SlotNameId, value); }
    QString bgColor() const { return textAt(SlotBgColor); }
    void setBgColor(const QString &value) { setSlotValue(SlotBgColor, value); }
    QString barColor() const { return textAt(SlotBarColor); }
    void setBarColor(const QString &value) { setSlotValue(SlotBarColor, value); }
    QString selectColor() const { return textAt(SlotSelectColor); }
    void setSelectColor(const QString &value) { setSlotValue(SlotSelectColor, value); }
    bool isCurrSkin() const { return boolAt(SlotIsCurrSkin); }
    void setIsCurrSkin(bool value) { setSlotValue(SlotIsCurrSkin, value); }
    qint16 sort() const { return int16At(SlotSort); }
    void setSort(qint16 value) { setSlotValue(SlotSort, value); }
};
