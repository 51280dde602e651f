#pragma once

#include <QJsonObject>
#include <QString>
#include <QtGlobal>

// One row of the "SkinList" catalogue, read key for key.
class SkinListModel
{
public:
    QString skinName() const { return m_skinName; }
    QString sort() const { return m_sort; }
    QString bgHex() const { return m_bgHex; }
    QString naviHex() const { return m_naviHex; }
    QString userHex() const { return m_userHex; }
    QString lineHex() const { return m_lineHex; }
    QString editHex() const { return m_editHex; }
    qint64 skinType() const { return m_skinType; }

    // The integer value of sort; 0 when it is not a number.
    qint64 sortValue() const { return m_sort.trimmed().toLongLong(); }

    static SkinListModel fromJson(const QJsonObject &row);

private:
    QString m_skinName;
    QString m_sort;
    QString m_bgHex;
    QString m_naviHex;
    QString m_userHex;
    QString m_lineHex;
    QString m_editHex;
    qint64 m_skinType = 0;
};
