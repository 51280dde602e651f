#pragma once

#include <QString>
#include <QtGlobal>

// The plain reminder value passed between the reminder window, the editor and
// the detail pane. Four fields are named differently from DateRemind:
// remindStartTime = remindDateTime, remindInterval = remindCycleInterval,
// remindSpecify = remindCycleSpecific, remindStarType = remindRType.
class NoteRemindModel
{
public:
    QString cId() const { return m_cId; }
    void setCId(const QString &v) { m_cId = v; }
    quint64 remindActionType() const { return m_remindActionType; }
    void setRemindActionType(quint64 v) { m_remindActionType = v; }
    QString remindStartTime() const { return m_remindStartTime; }
    void setRemindStartTime(const QString &v) { m_remindStartTime = v; }
    QString remindEndTime() const { return m_remindEndTime; }
    void setRemindEndTime(const QString &v) { m_remindEndTime = v; }
    quint64 remindDateType() const { return m_remindDateType; }
    void setRemindDateType(quint64 v) { m_remindDateType = v; }
    quint64 remindCycleType() const { return m_remindCycleType; }
    void setRemindCycleType(quint64 v) { m_remindCycleType = v; }
    qint64 remindInterval() const { return m_remindInterval; }
    void setRemindInterval(qint64 v) { m_remindInterval = v; }
    QString remindSpecify() const { return m_remindSpecify; }
    void setRemindSpecify(const QString &v) { m_remindSpecify = v; }
    QString remindRealDateTime() const { return m_remindRealDateTime; }
    void setRemindRealDateTime(const QString &v) { m_remindRealDateTime = v; }
    QString remindDelayTime() const { return m_remindDelayTime; }
    void setRemindDelayTime(const QString &v) { m_remindDelayTime = v; }
    quint64 remindStarType() const { return m_remindStarType; }
    void setRemindStarType(quint64 v) { m_remindStarType = v; }
    QString connectWifiIds() const { return m_connectWifiIds; }
    void setConnectWifiIds(const QString &v) { m_connectWifiIds = v; }
    QString remindWifiDateTime() const { return m_remindWifiDateTime; }
    void setRemindWifiDateTime(const QString &v) { m_remindWifiDateTime = v; }
    qint64 connectWifiType() const { return m_connectWifiType; }
    void setConnectWifiType(qint64 v) { m_connectWifiType = v; }
    qint64 remindWifiStatus() const { return m_remindWifiStatus; }
    void setRemindWifiStatus(qint64 v) { m_remindWifiStatus = v; }

private:
    QString m_cId;
    quint64 m_remindActionType = 0;
    QString m_remindStartTime;
    QString m_remindEndTime;
    quint64 m_remindDateType = 0;
    quint64 m_remindCycleType = 0;
    qint64 m_remindInterval = 0;
    QString m_remindSpecify;
    QString m_remindRealDateTime;
    QString m_remindDelayTime;
    quint64 m_remindStarType = 0;
    QString m_connectWifiIds;
    QString m_remindWifiDateTime;
    qint64 m_connectWifiType = 0;
    qint64 m_remindWifiStatus = 0;
};
