#pragma once

#include "platform/base/AppEvents.h"

#include <QObject>
#include <QStringList>

// Records every application event as "Name=payload", in the order posted:
// categories as "Classify:<classId>", notes as their cId, the reload kinds
// as their names ("NoteListReloadTypeAll"), nil as nothing after "=".
class EventRecorder : public QObject
{
public:
    explicit EventRecorder(AppEvents *events);

    QStringList events;
    void clear() { events.clear(); }
};
