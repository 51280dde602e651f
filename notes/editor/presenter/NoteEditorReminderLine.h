#pragma once

#include <QString>

class Context;
class DateRemind;
class NoteRemindModel;

// What the editor's reminder line shows: the date or Wi-Fi icon with its hover
// text, the label, and the important and snooze marks with theirs.
struct NoteEditorReminderLine
{
    enum class Icon
    {
        Date,
        WiFi
    };

    Icon icon = Icon::Date;
    QString iconTip = QStringLiteral("日期提醒");
    QString text = QStringLiteral("设置提醒");
    // A reminder is shown (not the "设置提醒" prompt).
    bool isSet = false;
    bool showStar = false;
    QString starTip;
    bool showDelay = false;
    QString delayTip;
    // The important mark's distance from the line's right end: it makes room
    // for the snooze mark.
    int starRight = 8;

    bool operator==(const NoteEditorReminderLine &) const = default;

    // The prompt to set a reminder.
    static NoteEditorReminderLine unset() { return {}; }
    // The line for a stored record (null: none).
    static NoteEditorReminderLine fromRecord(const DateRemind *remind);
    // The line for a value not stored yet (null: none); its networks are named from `store`.
    static NoteEditorReminderLine fromModel(const NoteRemindModel *model, Context *store);
};
