#pragma once

#include <QString>
#include <QtGlobal>

// A category value used to create or edit a category before it is pushed.
class NoteClassifyModel
{
public:
    QString classId() const { return m_classId; }
    void setClassId(const QString &v) { m_classId = v; }
    qint64 actionType() const { return m_actionType; }
    void setActionType(qint64 v) { m_actionType = v; }
    QString name() const { return m_name; }
    void setName(const QString &v) { m_name = v; }
    QString backColor() const { return m_backColor; }
    void setBackColor(const QString &v) { m_backColor = v; }
    qint64 sort() const { return m_sort; }
    void setSort(qint64 v) { m_sort = v; }

private:
    QString m_classId;
    qint64 m_actionType = 0;
    QString m_name;
    QString m_backColor;
    qint64 m_sort = 0;
};
