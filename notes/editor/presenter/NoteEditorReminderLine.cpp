#include "notes/editor/presenter/NoteEditorReminderLine.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteRemindModel.h"
#include "core/model/RemindAction.h"
#include "core/model/WiFiTrigger.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"

NoteEditorReminderLine NoteEditorReminderLine::fromRecord(const DateRemind *remind)
{
    if (!remind)
        return unset();
    NoteRemindModel m;
    m.setRemindActionType(quint64(qMax<qint16>(remind->remindActionType(), 0)));
    m.setRemindStarType(quint64(qMax<qint16>(remind->remindRType(), 0)));
    m.setRemindDelayTime(remind->remindDelayTime());
    m.setRemindRealDateTime(remind->remindRealDateTime());
    m.setConnectWifiIds(remind->connectWifiIds());
    m.setConnectWifiType(remind->connectWifiType());
    m.setRemindDateType(quint64(qMax<qint16>(remind->remindDateType(), 0)));
    m.setRemindInterval(remind->remindCycleInterval());
    m.setRemindCycleType(quint64(qMax<qint16>(remind->remindCycleType(), 0)));
    m.setRemindSpecify(remind->remindCycleSpecific());
    return fromModel(&m, remind->context());
}

NoteEditorReminderLine NoteEditorReminderLine::fromModel(const NoteRemindModel *model, Context *store)
{
    if (!model || model->remindActionType() == RemindAction::Cleared)
        return unset();
    NoteEditorReminderLine line;
    const QString wifiIds = model->connectWifiIds().trimmed();
    if (!wifiIds.isEmpty()) {
        line.icon = Icon::WiFi;
        line.iconTip = QStringLiteral("无线提醒");
        line.text = (model->connectWifiType() != WiFiTrigger::OnJoin ? QStringLiteral("断开:%1")
                                                                     : QStringLiteral("连接:%1"))
                        .arg(WiFiRemindManager::getWiFiNamesWithWiFiIds(store, wifiIds));
    } else {
        const QDateTime occurrence = DateManager::getDateFromString(model->remindRealDateTime());
        // A record without a date and without networks (what a cleared value leaves
        // on a note that had none) has nothing to show but the prompt.
        if (!occurrence.isValid())
            return unset();
        const CalendarIdentifier cal =
            NoteDateManager::getCalendarIdentifierWithDateType(qint64(model->remindDateType()));
        const int cycle = int(model->remindCycleType());
        line.text = QStringLiteral("%1 %2 %3")
                        .arg(DateManager::getShowDateWithCalendarIdentifier(cal, occurrence),
                             NoteDateManager::showRemindInterval(model->remindInterval(), cycle),
                             NoteDateManager::showRemindSpecifyWithCalendarIdentifier(
                                 cal, model->remindSpecify(), cycle));
    }
    line.isSet = true;
    line.showStar = model->remindStarType() == 1;
    line.showDelay = NoteRemindManager::isDelayWithDelayTime(model->remindDelayTime());
    if (line.showStar)
        line.starTip = model->remindRealDateTime();
    if (line.showDelay)
        line.delayTip = model->remindRealDateTime();
    line.starRight = line.showDelay ? 30 : 8;
    return line;
}
