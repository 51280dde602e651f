#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>

// Everything one note row shows, worked out from the note and its reminder
// (NoteRowFormatter); the delegate only paints it.
struct NoteRowLook
{
    enum class LineIcon
    {
        None,
        Date, // "note_date"
        WiFi  // "note_wifi"
    };

    QString text;              // the content without surrounding white space
    QColor textColor;          // the note's colour, or grey when completed
    QColor strikeColor;        // valid only for a completed note
    QColor dotColor;           // grey, or red when due or fired
    bool showSyncIcon = false; // the last push refused the note

    bool showLine = false; // the reminder line (an active reminder)
    LineIcon lineIcon = LineIcon::None;
    QString dateText;     // the occurrence, or "连接:…"/"断开:…"
    QString intervalText; // the repeat, with its chosen values
    bool showStar = false;
    QString starTip;
    int starRight = 8; // 30 while the snooze icon is shown
    bool showDelay = false;
    QString delayTip;

    int height = 41; // 56 with the reminder line
};

Q_DECLARE_METATYPE(NoteRowLook)
