#include "notes/reminderwindow/presenter/DateRemindPresenter.h"

#include "app/services/Services.h"
#include "core/model/RemindAction.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/reminderwindow/presenter/RemindRepeatSummary.h"
#include "platform/base/Clock.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"

namespace {

qint64 importantRemindInterval(Context *store)
{
    const UserSet *set = store ? store->findFirstWhere<UserSet>() : nullptr;
    const qint64 minutes = set ? set->importantRemindInterval() : 0;
    return minutes < 1 ? 5 : minutes;
}

} // namespace

DateRemindPresenter::DateRemindPresenter(const NoteRemindModel &remind, const Services &services,
                                         QObject *parent)
    : QObject(parent), m_remind(remind), m_importantInterval(importantRemindInterval(services.store)),
      m_feedback(services.feedback)
{
    showValue();
}

QStringList DateRemindPresenter::repeatTitles()
{
    return {QStringLiteral("永不"),   QStringLiteral("每天"), QStringLiteral("每周"),  QStringLiteral("每月"),
            QStringLiteral("每季度"), QStringLiteral("每年"), QStringLiteral("自定义")};
}

void DateRemindPresenter::showValue()
{
    // The pickers show minutes only: a time offered from the clock starts at second 0, or a
    // reminder set to 21:09 would fire at the second the window happened to open.
    QDateTime now = Clock::now();
    now.setTime(QTime(now.time().hour(), now.time().minute()));
    m_lunar = m_remind.remindDateType() != 0;
    const QDateTime start = DateManager::getDateFromString(m_remind.remindRealDateTime());
    m_startDate = start.isValid() ? start : now;
    // An end that is missing or does not parse is no end: the box is off and the picker offers a day later.
    const QDateTime end = DateManager::getDateFromString(m_remind.remindEndTime());
    m_endEnabled = end.isValid();
    m_endDate = end.isValid() ? end : DateManager::getAfterDaysWithDate(now, 1);
    m_important = m_remind.remindStarType() != 0;
    m_startEnabled = true;
    refreshRepeat();
    emit changed();
}

CalendarIdentifier DateRemindPresenter::calendar() const
{
    return m_lunar ? CalendarIdentifier::Chinese : CalendarIdentifier::Gregorian;
}

QString DateRemindPresenter::importantTitle() const
{
    return QStringLiteral("每%1分钟提醒").arg(m_importantInterval);
}

void DateRemindPresenter::setLunar(bool lunar)
{
    if (m_done || lunar == m_lunar)
        return;
    m_lunar = lunar;
    // The summary follows the calendar; the stored calendar changes only on confirm.
    if (m_repeatIndex == CustomRepeatIndex)
        refreshRepeat();
    emit changed();
}

void DateRemindPresenter::setStartEnabled(bool enabled)
{
    if (m_done)
        return;
    m_startEnabled = enabled;
    emit changed();
}

void DateRemindPresenter::setStartDate(const QDateTime &date)
{
    if (m_done || !date.isValid())
        return;
    m_startDate = date;
    if (m_repeatIndex == CustomRepeatIndex)
        refreshRepeat();
    emit changed();
}

void DateRemindPresenter::setEndEnabled(bool enabled)
{
    if (m_done)
        return;
    m_endEnabled = enabled;
    emit changed();
}

void DateRemindPresenter::setEndDate(const QDateTime &date)
{
    if (m_done || !date.isValid())
        return;
    m_endDate = date;
    emit changed();
}

void DateRemindPresenter::setImportant(bool important)
{
    if (m_done)
        return;
    m_important = important;
    emit changed();
}

void DateRemindPresenter::chooseRepeat(int index)
{
    if (m_done || index < 0 || index > CustomRepeatIndex)
        return;
    if (index == CustomRepeatIndex) {
        m_repeatIndex = CustomRepeatIndex;
        emit changed();
        emit customRepeatRequested(calendar(), m_remind);
        return;
    }
    m_remind.setRemindSpecify(QString());
    m_remind.setRemindCycleType(quint64(index));
    m_remind.setRemindInterval(1);
    refreshRepeat();
    emit changed();
}

void DateRemindPresenter::clickSummary()
{
    if (m_done || m_summary.isEmpty())
        return;
    emit customRepeatRequested(calendar(), m_remind);
}

void DateRemindPresenter::applyCustomRepeat(uint cycleType, qint64 interval, const QString &specify)
{
    if (m_done)
        return;
    m_remind.setRemindCycleType(cycleType);
    m_remind.setRemindInterval(interval);
    m_remind.setRemindSpecify(specify);
    refreshRepeat();
    emit changed();
}

void DateRemindPresenter::openCalendar(uint type)
{
    if (m_done)
        return;
    emit calendarRequested(type == StartDateType ? m_startDate : m_endDate, type);
}

void DateRemindPresenter::applyCalendarDate(const QDateTime &date, uint type)
{
    if (type == StartDateType)
        setStartDate(date);
    else
        setEndDate(date);
}

void DateRemindPresenter::confirm()
{
    if (m_done)
        return;
    if (m_repeatIndex == CustomRepeatIndex && m_remind.remindSpecify().isEmpty() &&
        m_remind.remindInterval() < 2) {
        if (m_feedback)
            m_feedback->showDefaultMessageAlertWithDetailText(QStringLiteral("请设置自定义提醒"));
        return;
    }
    if (m_startEnabled && m_endEnabled && DateManager::compareFromDate(m_startDate, m_endDate) != -1) {
        if (m_feedback)
            m_feedback->showDefaultMessageAlertWithDetailText(QStringLiteral("结束日期不能小于开始日期"));
        return;
    }

    // A new value: the Wi-Fi fields stay unset, which marks it as a date reminder.
    NoteRemindModel result;
    if (m_startEnabled) {
        const QString start = DateManager::getStringFromDate(m_startDate);
        result.setRemindDateType(m_lunar ? 1 : 0);
        result.setRemindStartTime(start);
        result.setRemindRealDateTime(start);
        result.setRemindActionType(RemindAction::Set);
        result.setRemindCycleType(m_remind.remindCycleType());
        result.setRemindSpecify(m_remind.remindSpecify());
        result.setRemindInterval(m_remind.remindInterval());
        if (m_endEnabled)
            result.setRemindEndTime(DateManager::getStringFromDate(m_endDate));
        result.setRemindStarType(m_important ? 1 : 0);
    } else {
        result.setRemindActionType(RemindAction::Cleared);
    }
    m_done = true;
    emit confirmed(result);
    emit closeRequested();
}

void DateRemindPresenter::cancel()
{
    if (m_done)
        return;
    m_done = true;
    emit closeRequested();
}

void DateRemindPresenter::refreshRepeat()
{
    const quint64 cycleType = m_remind.remindCycleType();
    if (RemindRepeatSummary::isPlain(m_remind.remindSpecify(), m_remind.remindInterval())) {
        m_repeatIndex = cycleType < CustomRepeatIndex ? int(cycleType) : -1;
        m_summary.clear();
        return;
    }
    m_repeatIndex = CustomRepeatIndex;
    m_summary = RemindRepeatSummary::text(calendar(), m_startDate, int(qMin<quint64>(cycleType, 1000)),
                                          m_remind.remindInterval(), m_remind.remindSpecify());
}
