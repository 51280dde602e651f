#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

class Classify;
class NoteDetail;

Q_DECLARE_OPAQUE_POINTER(Classify *)
Q_DECLARE_OPAQUE_POINTER(NoteDetail *)
Q_DECLARE_METATYPE(Classify *)
Q_DECLARE_METATYPE(NoteDetail *)

// Typed posting and reading of the notifications that carry rows or texts.
// Rows are carried as pointers into the main context; a reader gets nullptr for a
// row that was deleted in the meantime.
class ModelNotifications
{
public:
    static QVariant object(Classify *classify);
    static QVariant object(NoteDetail *note);

    static Classify *classifyFrom(const QVariant &object); // nullptr when not a live Classify
    static NoteDetail *noteFrom(const QVariant &object);   // nullptr when not a live NoteDetail
    static QString textFrom(const QVariant &object);       // empty when not a text

    // "NotesListReloadDatas": a category (show it), a note (show its category and
    // select it), or "NoteListReloadTypeAll" (redraw all rows).
    static void postNotesListReloadDatas(Classify *classify);
    static void postNotesListReloadDatas(NoteDetail *note);
    static void postNotesListReloadAll();
    // "ReloadLeftHomeList": a category, a note's cId, or nothing.
    static void postReloadLeftHomeList(Classify *classify);
    static void postReloadLeftHomeList(const QString &cId);
    static void postReloadLeftHomeList();
    // "ReloadNoteDetail": the selected note or nothing.
    static void postReloadNoteDetail(NoteDetail *note = nullptr);
    // "SyncPushNoteDatas": a note or nothing.
    static void postSyncPushNoteDatas(NoteDetail *note = nullptr);
    // "SyncPullNoteDatas": the version text to pull from.
    static void postSyncPullNoteDatas(const QString &version);
};
