#include "platform/base/AppEvents.h"

AppEvents::AppEvents(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<CategoryKey>();
    qRegisterMetaType<NoteKey>();
    qRegisterMetaType<NotesListReload>();
    qRegisterMetaType<LeftHomeListReload>();
}
