#include "core/model/ModelNotifications.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "platform/base/NotificationCenter.h"

QVariant ModelNotifications::object(Classify *classify)
{
    return classify ? QVariant::fromValue(classify) : QVariant();
}

QVariant ModelNotifications::object(NoteDetail *note)
{
    return note ? QVariant::fromValue(note) : QVariant();
}

Classify *ModelNotifications::classifyFrom(const QVariant &object)
{
    if (object.typeId() != qMetaTypeId<Classify *>())
        return nullptr;
    Classify *c = object.value<Classify *>();
    return c && !c->isDeleted() ? c : nullptr;
}

NoteDetail *ModelNotifications::noteFrom(const QVariant &object)
{
    if (object.typeId() != qMetaTypeId<NoteDetail *>())
        return nullptr;
    NoteDetail *n = object.value<NoteDetail *>();
    return n && !n->isDeleted() ? n : nullptr;
}

QString ModelNotifications::textFrom(const QVariant &object)
{
    return object.typeId() == QMetaType::QString ? object.toString() : QString();
}

void ModelNotifications::postNotesListReloadDatas(Classify *classify)
{
    NotificationCenter::defaultCenter()->post(NotificationName::NotesListReloadDatas, object(classify));
}

void ModelNotifications::postNotesListReloadDatas(NoteDetail *note)
{
    NotificationCenter::defaultCenter()->post(NotificationName::NotesListReloadDatas, object(note));
}

void ModelNotifications::postNotesListReloadAll()
{
    NotificationCenter::defaultCenter()->post(NotificationName::NotesListReloadDatas,
                                              NoteListReloadType::All);
}

void ModelNotifications::postReloadLeftHomeList(Classify *classify)
{
    NotificationCenter::defaultCenter()->post(NotificationName::ReloadLeftHomeList, object(classify));
}

void ModelNotifications::postReloadLeftHomeList(const QString &cId)
{
    NotificationCenter::defaultCenter()->post(NotificationName::ReloadLeftHomeList, cId);
}

void ModelNotifications::postReloadLeftHomeList()
{
    NotificationCenter::defaultCenter()->post(NotificationName::ReloadLeftHomeList);
}

void ModelNotifications::postReloadNoteDetail(NoteDetail *note)
{
    NotificationCenter::defaultCenter()->post(NotificationName::ReloadNoteDetail, object(note));
}

void ModelNotifications::postSyncPushNoteDatas(NoteDetail *note)
{
    NotificationCenter::defaultCenter()->post(NotificationName::SyncPushNoteDatas, object(note));
}

void ModelNotifications::postSyncPullNoteDatas(const QString &version)
{
    NotificationCenter::defaultCenter()->post(NotificationName::SyncPullNoteDatas, version);
}
