#include "core/skins/SkinListModel.h"

#include "platform/store/AttributeValue.h"

#include <QJsonValue>

// The catalogue is our own file, not a service reply, and its rows become UISkin
// rows: its values are read with the store's checked attribute conversion (the
// reply reader sits in the service layer, above this one).
namespace {
QString text(const QJsonValue &v)
{
    const std::optional<QVariant> converted = AttributeValue::convert(v, AttributeType::Text);
    return converted ? converted->toString() : QString();
}
} // namespace

SkinListModel SkinListModel::fromJson(const QJsonObject &row)
{
    SkinListModel m;
    m.m_skinName = text(row.value("skinName"));
    m.m_sort = text(row.value("sort"));
    m.m_bgHex = text(row.value("bgHex"));
    m.m_naviHex = text(row.value("naviHex"));
    m.m_userHex = text(row.value("userHex"));
    m.m_lineHex = text(row.value("lineHex"));
    m.m_editHex = text(row.value("editHex"));
    const std::optional<QVariant> type = AttributeValue::convert(row.value("skinType"), AttributeType::Int64);
    m.m_skinType = type ? type->toLongLong() : 0;
    return m;
}
