#pragma once

#include "app/services/Services.h"
#include "platform/base/AppEvents.h"

#include <QPointer>

class NoteDetail;

// The steps a note row's menu takes on its note, shared by every list that shows
// note rows: copy the text, complete, delete, each change followed by the push.
// Completing and deleting may rewire neighbours, so those push every flagged row.
class NoteRowActions
{
public:
    explicit NoteRowActions(const Services &services) : m_services(services) {}

    // Where the toast shows (the list's window); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

    // The note's text on the clipboard, and the toast "复制成功".
    void copy(const NoteDetail *note);
    // Completes the note (or moves its reminder on), then pushes what was saved.
    void complete(NoteDetail *note);
    // Marks the note deleted, then pushes what was saved.
    void remove(NoteDetail *note);
    // "SyncPushNoteDatas" for the note, or for every flagged row with a null key.
    void push(const NoteKey &note);
    // push() after a save that held; else the change stays pending (the next save
    // writes it) and the user is told.
    void pushIfSaved(bool saved, const NoteKey &note);

private:
    Services m_services;
    QPointer<QObject> m_anchor;
};
