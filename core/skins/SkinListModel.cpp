#include "core/skins/SkinListModel.h"

#include <QJsonValue>

namespace {
QString text(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::number(qint64(v.toDouble()));
    return {};
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
    const QJsonValue type = row.value("skinType");
    m.m_skinType = type.isString() ? type.toString().toLongLong() : qint64(type.toDouble());
    return m;
}
