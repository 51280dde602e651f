#include "core/operations/NoteActionManager.h"

#include "core/model/Classify.h"
#include "core/model/CompleteAction.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NotePosition.h"
#include "core/model/RemindAction.h"
#include "core/model/RemindCycle.h"
#include "core/model/RowAction.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemindStatus.h"
#include "core/operations/NoteId.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"

#include <QDebug>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>

namespace {

const QString lastId = QStringLiteral("-1");

bool isDeletedNote(const NoteDetail *note)
{
    return !note || note->isDeleted() || note->actionType() == RowAction::Deleted;
}

// The live notes of the note's category other than the note, by sort (ties keep
// creation order).
QList<NoteDetail *> others(const NoteDetail *note)
{
    QList<NoteDetail *> out;
    const Classify *c = note->classify();
    if (!c)
        return out;
    for (NoteDetail *n : c->notes())
        if (n != note && n->actionType() != RowAction::Deleted)
            out.append(n);
    std::stable_sort(out.begin(), out.end(),
                     [](const NoteDetail *a, const NoteDetail *b) { return a->sort() < b->sort(); });
    return out;
}

// A neighbour whose nextId was rewired goes with the next push; a change or an
// addition still waiting for the push keeps its flag.
void markForPush(NoteDetail *note)
{
    note->setIsSync(false);
    if (note->actionType() == RowAction::None && !note->isCompleted())
        note->setActionType(RowAction::Changed);
}

void setNextId(NoteDetail *note, const QString &next)
{
    // A note never names itself: that would be a cycle for the service.
    note->setNextId(next == note->cId() ? lastId : next);
}

// Sorts 1..k in the present order, when a new top or bottom value would leave the range.
void renumber(QList<NoteDetail *> &notes)
{
    for (qsizetype i = 0; i < notes.size(); ++i)
        notes[i]->setSort(qint16(i + 1));
}

// The live notes of `c` other than `except`, by sort.
QList<NoteDetail *> liveNotes(const Classify *c, const NoteDetail *except)
{
    QList<NoteDetail *> out;
    for (NoteDetail *n : c->notes())
        if (n != except && n->actionType() != RowAction::Deleted)
            out.append(n);
    std::stable_sort(out.begin(), out.end(),
                     [](const NoteDetail *a, const NoteDetail *b) { return a->sort() < b->sort(); });
    return out;
}

// Whether the notes form one chain by nextId: one top note, every nextId names
// another of them or is "-1", and the walk from the top meets each once.
bool isOneChain(const QList<NoteDetail *> &notes)
{
    if (notes.isEmpty())
        return true;
    QHash<QString, NoteDetail *> byId;
    for (NoteDetail *n : notes)
        if (byId.contains(n->cId()))
            return false;
        else
            byId.insert(n->cId(), n);
    QSet<QString> named;
    for (NoteDetail *n : notes) {
        const QString next = n->nextId();
        if (next == lastId)
            continue;
        if (next == n->cId() || !byId.contains(next) || named.contains(next))
            return false;
        named.insert(next);
    }
    // Each note is named at most once, so exactly one is not named, unless there is a ring.
    NoteDetail *top = nullptr;
    for (NoteDetail *n : notes)
        if (!named.contains(n->cId())) {
            if (top)
                return false;
            top = n;
        }
    if (!top)
        return false;
    qsizetype seen = 0;
    for (NoteDetail *n = top; n; n = byId.value(n->nextId()))
        if (++seen > notes.size())
            return false;
    return seen == notes.size();
}

// A chain the service or an older client left broken (a ring, two notes naming
// one, a note naming itself or one that is not there) is laid out again in the
// order the list shows, sort ascending; notes that get a new nextId go with
// the next push. `except` (a note being linked) takes no part.
void repairChain(const Classify *c, const NoteDetail *except)
{
    if (!c)
        return;
    QList<NoteDetail *> notes = liveNotes(c, except);
    if (isOneChain(notes))
        return;
    qWarning() << "note order: the chain of category" << c->classId() << "is broken; rebuilt by sort";
    for (qsizetype i = 0; i < notes.size(); ++i) {
        NoteDetail *n = notes[i];
        const QString next = i + 1 < notes.size() ? notes[i + 1]->cId() : lastId;
        n->setSort(qint16(qMin<qsizetype>(i + 1, std::numeric_limits<qint16>::max())));
        if (n->nextId() != next) {
            setNextId(n, next);
            markForPush(n);
        }
    }
}

void unlink(NoteDetail *note)
{
    repairChain(note->classify(), nullptr);
    const QList<NoteDetail *> rest = others(note);
    if (rest.isEmpty())
        return;
    const QString next = note->nextId();

    NoteDetail *successor = nullptr;
    if (next != lastId) {
        for (NoteDetail *n : rest)
            if (!next.isEmpty() && n->cId() == next) {
                successor = n;
                break;
            }
        if (!successor) // nextId names no live note: the nearest below by sort
            for (NoteDetail *n : rest)
                if (n->sort() >= note->sort()) {
                    successor = n;
                    break;
                }
    }

    NoteDetail *predecessor = nullptr;
    for (NoteDetail *n : rest)
        if (n->nextId() == note->cId() && n != successor) {
            predecessor = n;
            break;
        }
    if (!predecessor) // the nearest above by sort, never the successor
        for (NoteDetail *n : rest)
            if (n->sort() <= note->sort() && n != successor)
                predecessor = n;
    if (!predecessor)
        return; // the note was at the top

    setNextId(predecessor, successor ? successor->cId() : lastId);
    markForPush(predecessor);
}

void link(NoteDetail *note, NotePosition::Code location)
{
    repairChain(note->classify(), note);
    QList<NoteDetail *> rest = others(note);
    if (location == NotePosition::Top) {
        if (rest.isEmpty()) {
            note->setSort(0);
            setNextId(note, lastId);
        } else {
            // Strictly above the first one, so that two notes added at the top
            // between pulls keep their order.
            if (rest.first()->sort() <= std::numeric_limits<qint16>::min() + 1)
                renumber(rest);
            note->setSort(qint16(qMin(0, rest.first()->sort() - 1)));
            setNextId(note, rest.first()->cId());
        }
    } else {
        if (rest.isEmpty()) {
            note->setSort(1);
        } else {
            if (rest.last()->sort() >= std::numeric_limits<qint16>::max())
                renumber(rest);
            NoteDetail *last = rest.last();
            setNextId(last, note->cId());
            markForPush(last);
            note->setSort(qint16(last->sort() + 1));
        }
        setNextId(note, lastId);
    }
    note->setIsSync(false);
}

void markChanged(NoteDetail *note)
{
    note->setIsSync(false);
    note->setActionType(RowAction::Changed);
}

} // namespace

NoteActionManager::NoteActionManager(Context &store, UserFeedback &feedback,
                                     LocalNotificationManager &notifications, NoteRemindManager &reminds)
    : m_store(store), m_feedback(feedback), m_notifications(notifications), m_reminds(reminds)
{
}

UserSet *NoteActionManager::settings() const
{
    return m_store.findFirstWhere<UserSet>();
}

bool NoteActionManager::save()
{
    return m_store.saveAndWait().ok;
}

void NoteActionManager::withdraw(const NoteDetail *note)
{
    m_notifications.removeScheduledNotificationWithIdentifiers({note->cId()});
}

// Drops one piece of a reminder's state (the important mark, the snooze), marks
// the note for the push and schedules it afresh: the minute repetition or the
// snoozed delivery stops now, not when the row is shown next.
template <typename Clear> bool NoteActionManager::clearReminderState(NoteDetail *note, Clear clear)
{
    if (isDeletedNote(note))
        return true;
    markChanged(note);
    if (DateRemind *r = note->remind()) {
        if (r->remindActionType() != RemindAction::Cleared)
            r->setRemindActionType(RemindAction::Set);
        clear(r);
    }
    m_reminds.coverDateUserNotificationWithNote(note);
    return save();
}

NoteDetail *NoteActionManager::addActionNoteWithClassify(Classify *classify)
{
    if (!classify || classify->isDeleted())
        return nullptr;
    auto *note = m_store.create<NoteDetail>();
    note->setCId(NoteId::getClientId());
    note->setClassify(classify);
    note->setClassId(classify->classId());
    const UserSet *set = settings();
    link(note,
         set && set->noteAddPositionType() == NotePosition::Top ? NotePosition::Top : NotePosition::Bottom);
    return note;
}

NoteDetail *NoteActionManager::moveNoteToClassify(Classify *classify, NoteDetail *note)
{
    if (isDeletedNote(note) || !classify || classify->isDeleted())
        return note;
    unlink(note);
    note->setClassify(classify);
    note->setClassId(classify->classId());
    link(note, NotePosition::Bottom);
    return note;
}

void NoteActionManager::configOldLastNote(NoteDetail *note)
{
    if (!isDeletedNote(note))
        unlink(note);
}

void NoteActionManager::configNewLastNote(NoteDetail *note, NotePosition::Code location)
{
    if (!isDeletedNote(note))
        link(note, location);
}

QDateTime NoteActionManager::getCompleteDateWithNote(const NoteDetail *note)
{
    const DateRemind *r = note ? note->remind() : nullptr;
    if (!r)
        return {};
    const QDateTime current = DateManager::getDateFromString(r->remindRealDateTime());
    if (!current.isValid())
        return {};
    // Counted from the start: stepping from the stored occurrence would make a day clamped in a short
    // month (or a chosen day run over into the next month) the day of every later occurrence.
    const QDateTime next = NoteDateManager::nextRealDateFromStartWithCalendarIdentifier(
        NoteDateManager::getCalendarIdentifierWithDateType(r->remindDateType()),
        DateManager::getDateFromString(r->remindDateTime()), current, r->remindCycleType(),
        r->remindCycleInterval(), r->remindCycleSpecific());
    if (!next.isValid())
        return {};
    const QDateTime end = DateManager::getDateFromString(r->remindEndTime());
    // An occurrence on the end date itself is still inside.
    if (end.isValid() && next > end)
        return {};
    return next;
}

int NoteActionManager::completeActionWithNote(NoteDetail *note, bool *saved)
{
    if (saved)
        *saved = true;
    if (isDeletedNote(note))
        return 0;
    DateRemind *r = note->remind();
    // Whether the reminder still runs is what it was before this completion.
    const bool active = r && r->remindActionType() != RemindAction::Cleared;

    note->setActionType(RowAction::Changed);
    note->setIsSync(false);
    if (r)
        r->setRemindActionType(RemindAction::Set);

    if (active && !Missing::isMissing(r->connectWifiIds())) {
        r->setRemindWifiStatus(WiFiRemindStatus::Armed);
        const bool ok = save();
        if (saved)
            *saved = ok;
        return 0;
    }

    withdraw(note);
    const QDateTime next = active ? getCompleteDateWithNote(note) : QDateTime();
    if (next.isValid() && r->remindCycleType() != RemindCycle::None) {
        r->setRemindRealDateTime(DateManager::getStringFromDate(next));
        // A snooze belonged to the occurrence just completed.
        r->setRemindDelayTime(QString());
        m_reminds.coverDateUserNotificationWithNote(note);
        const bool ok = save();
        if (saved)
            *saved = ok;
        return 0;
    }

    note->setIsCompleted(true);
    note->setCompletedTime(DateManager::getStringFromDate(Clock::now()));
    if (r)
        r->setRemindActionType(RemindAction::Cleared);
    const UserSet *set = settings();
    const int action = set ? set->noteCompleteActionType() : 0;
    switch (action) {
    case CompleteAction::MovesToTop:
        unlink(note);
        link(note, NotePosition::Top);
        break;
    case CompleteAction::MovesToBottom:
        unlink(note);
        link(note, NotePosition::Bottom);
        break;
    case CompleteAction::IsDeleted:
        unlink(note);
        note->setActionType(RowAction::Deleted);
        break;
    default:
        break;
    }
    const bool ok = save();
    if (saved)
        *saved = ok;
    return action >= 1 && action <= 3 ? action : 0;
}

bool NoteActionManager::deleteActionWithNote(NoteDetail *note)
{
    if (isDeletedNote(note))
        return true;
    note->setIsSync(false);
    unlink(note);
    note->setActionType(RowAction::Deleted);
    withdraw(note);
    return save();
}

bool NoteActionManager::clearRemindWithNote(NoteDetail *note)
{
    if (isDeletedNote(note))
        return true;
    markChanged(note);
    if (DateRemind *r = note->remind())
        r->setRemindActionType(RemindAction::Cleared);
    withdraw(note);
    return save();
}

QDateTime NoteActionManager::delayDateWithType(int delayType, const QDateTime &occurrence)
{
    const QDateTime now = Clock::now();
    const QDateTime reference = occurrence.isValid() ? occurrence : now;
    switch (delayType) {
    case 2001:
        return now.addSecs(1800);
    case 2002:
        return now.addSecs(3600);
    case 2003:
        return DateManager::getAHourAndMinuteWithDate(now.addSecs(86400),
                                                      DateManager::getHourWithDate(reference),
                                                      DateManager::getMinuteWithDate(reference));
    case 2004: {
        const int occurrenceDay = DateManager::getWeekWithDate(reference);
        const int today = DateManager::getWeekWithDate(now);
        const int days = occurrenceDay - today > 0 ? occurrenceDay - today : 7 - (today - occurrenceDay);
        return now.addSecs(qint64(days) * 86400);
    }
    default:
        return {};
    }
}

bool NoteActionManager::addDelayRemindWithNote(NoteDetail *note, int delayType)
{
    if (isDeletedNote(note) || !note->remind())
        return true;
    DateRemind *r = note->remind();
    // Nothing to put off: a completed note, a cleared reminder, or a Wi-Fi
    // reminder (those fire on network changes, not at a time).
    if (note->isCompleted() || r->remindActionType() == RemindAction::Cleared ||
        !Missing::isMissing(r->connectWifiIds()))
        return true;
    const QDateTime until =
        delayDateWithType(delayType, DateManager::getDateFromString(r->remindRealDateTime()));
    if (!until.isValid()) {
        qWarning() << "unknown snooze kind" << delayType;
        return true;
    }
    markChanged(note);
    r->setRemindDelayTime(DateManager::getStringFromDate(until));
    if (!m_notifications.addLocalNotificationWithDeliveryDate(until, UserNotificationRepeat::none(),
                                                              note->content(), note->cId()))
        m_feedback.showDefaultMessageAlertWithDetailText(
            QStringLiteral("添加提醒失败,请确保当前存在的提醒不超过100条"));
    return save();
}

bool NoteActionManager::clearStarRemindWithNote(NoteDetail *note)
{
    return clearReminderState(note, [](DateRemind *r) { r->setRemindRType(0); });
}

bool NoteActionManager::clearDelayRemindWithNote(NoteDetail *note)
{
    return clearReminderState(note, [](DateRemind *r) { r->setRemindDelayTime(QString()); });
}
