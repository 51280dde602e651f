#include "notes/list/presenter/NoteRowMenu.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/reminders/dates/DateManager.h"
#include "platform/base/Clock.h"

namespace {

QDateTime parsed(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    const QDateTime d = DateManager::getDateFromString(text);
    return d.isValid() ? d : QDateTime();
}

} // namespace

NoteRowMenu NoteRowMenu::forNote(const NoteDetail *note)
{
    NoteRowMenu menu;
    if (!note)
        return menu;
    const DateRemind *r = note->remind();
    const bool active = r && r->remindActionType() != RemindAction::Cleared;
    menu.m_items = {
        {Copy, QStringLiteral("复制"), true},
        {Complete, note->isCompleted() ? QStringLiteral("撤回") : QStringLiteral("完成"), true},
        {Delete, QStringLiteral("删除"), true},
        {0, {}, true},
        {ClearRemind, QStringLiteral("清除提醒"), active},
        {ClearImportant, QStringLiteral("清除重要"), r && r->remindRType() == 1},
    };
    if (!active)
        return menu;
    const QDateTime now = Clock::now();
    const QDateTime delay = parsed(r->remindDelayTime());
    if (delay.isValid() && delay > now) {
        menu.m_items << Item{ClearSnooze, QStringLiteral("清除延时"), true};
        return menu;
    }
    // A current occurrence still ahead offers no snooze.
    const QDateTime occurrence = parsed(r->remindRealDateTime());
    if (occurrence.isValid() && occurrence <= now)
        menu.m_items << Item{Snooze, QStringLiteral("延时"), true};
    return menu;
}

QList<NoteRowMenu::Item> NoteRowMenu::snoozeItems()
{
    return {
        {SnoozeHalfHour, QStringLiteral("30分钟"), true},
        {SnoozeHour, QStringLiteral("60分钟"), true},
        {SnoozeTomorrow, QStringLiteral("明天"), true},
        {SnoozeNextWeek, QStringLiteral("下周"), true},
    };
}
