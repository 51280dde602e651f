#include "core/model/NoteLogDiffItem.h"

QVariantMap NoteLogDiffItem::encode() const
{
    return {{QStringLiteral("diffLength"), QVariant::fromValue(m_diffLength)},
            {QStringLiteral("diffStartIndex"), QVariant::fromValue(m_diffStartIndex)},
            {QStringLiteral("diffType"), QVariant::fromValue(m_diffType)}};
}

NoteLogDiffItem NoteLogDiffItem::decode(const QVariantMap &map)
{
    NoteLogDiffItem item;
    item.m_diffLength = map.value(QStringLiteral("diffLength")).toULongLong();
    item.m_diffStartIndex = map.value(QStringLiteral("diffStartIndex")).toULongLong();
    item.m_diffType = map.value(QStringLiteral("diffType")).toULongLong();
    return item;
}
