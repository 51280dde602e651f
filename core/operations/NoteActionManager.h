#pragma once

#include "core/model/NotePosition.h"

#include <QDateTime>

class Classify;
class Context;
class LocalNotificationManager;
class NoteDetail;
class NoteRemindManager;
class UserSet;
class UserFeedback;

// The note operations that keep each category's order (sort ascending top to
// bottom, nextId naming the note below, "-1" for the bottom one) consistent
// while notes are added, moved, completed, snoozed and deleted. They change
// rows of the context they were made with, set the change flags and (where
// said) save it at once; posting "SyncPushNoteDatas" afterwards is the
// caller's task. Made once by the program object.
//
// Rules every operation keeps:
// - Only live notes (actionType not RowAction::Deleted) take part in the order.
// - A note marked deleted (actionType 3) is never changed again by another
//   operation: it stays deleted until the push removes it.
// - A neighbour whose nextId is rewired is marked for the push (isSync NO) and
//   an unchanged one (actionType 0) becomes changed (2); a pending 1 or 2 stays.
// - No note ever names itself as nextId.
// - Every operation accepts a note without a reminder.
//
// Operations that save return whether the save succeeded (a failure is logged
// by the store and the changes stay pending). Main thread only.
class NoteActionManager
{
public:
    NoteActionManager(Context &store, UserFeedback &feedback, LocalNotificationManager &notifications,
                      NoteRemindManager &reminds);
    NoteActionManager(const NoteActionManager &) = delete;
    NoteActionManager &operator=(const NoteActionManager &) = delete;

    // A new note in the category with a client id, linked at the top when
    // UserSet.noteAddPositionType is 1, else at the bottom. Not saved.
    NoteDetail *addActionNoteWithClassify(Classify *classify);
    // Unlinks the note from its category and links it at the bottom of `classify`. Not saved.
    NoteDetail *moveNoteToClassify(Classify *classify, NoteDetail *note);
    // Completes the note, or advances its repeating reminder, or re-arms its Wi-Fi
    // reminder. Returns UserSet.noteCompleteActionType when the note was completed,
    // else 0. Saves (`saved`, when given, tells whether the save succeeded).
    int completeActionWithNote(NoteDetail *note, bool *saved = nullptr);
    // Unlinks the note from its category's chain (the note's own fields stay). Not saved.
    void configOldLastNote(NoteDetail *note);
    // Links the note at the top or the bottom of its category. Not saved.
    void configNewLastNote(NoteDetail *note, NotePosition::Code location);
    // The occurrence after the reminder's current one that lies after now and not after
    // the end date, counted from the reminder's start; null when there is none.
    static QDateTime getCompleteDateWithNote(const NoteDetail *note);
    // Marks the note deleted, unlinks it and withdraws its notification. Saves.
    bool deleteActionWithNote(NoteDetail *note);
    // Ends the note's reminder and withdraws its notification. Saves.
    bool clearRemindWithNote(NoteDetail *note);
    // Snoozes the reminder: 2001 half an hour, 2002 an hour, 2003 tomorrow at the
    // occurrence's time, 2004 the next day with the occurrence's weekday. Schedules a
    // one-shot; when the limit refuses it the user is told and the snooze stays stored.
    // Saves. A note without a running date reminder (none, cleared, Wi-Fi, or the
    // note completed) is left alone (true).
    bool addDelayRemindWithNote(NoteDetail *note, int delayType);
    // Turns the important mode off and reschedules the note's notification. Saves.
    bool clearStarRemindWithNote(NoteDetail *note);
    // Drops the snooze and reschedules the note's notification. Saves.
    bool clearDelayRemindWithNote(NoteDetail *note);

    // The snooze time of a snooze kind for a reminder whose current occurrence is
    // `occurrence` (null: now's time and weekday are used); null for an unknown kind.
    static QDateTime delayDateWithType(int delayType, const QDateTime &occurrence);

private:
    UserSet *settings() const;
    bool save();
    void withdraw(const NoteDetail *note);
    template <typename Clear> bool clearReminderState(NoteDetail *note, Clear clear);

    Context &m_store;
    UserFeedback &m_feedback;
    LocalNotificationManager &m_notifications;
    NoteRemindManager &m_reminds;
};
