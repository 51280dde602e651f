#include "tests/support/EventRecorder.h"

namespace {
QString text(const CategoryKey &key)
{
    return key.isNull() ? QString() : "Classify:" + key.classId;
}

QString text(const NoteKey &key)
{
    return key.isNull() ? QString() : key.cId;
}
} // namespace

EventRecorder::EventRecorder(AppEvents *e)
{
    auto record = [this](const char *name, const QString &payload) {
        events << QString::fromLatin1(name) + '=' + payload;
    };
    connect(e, &AppEvents::notesListReloadDatas, this, [record](const NotesListReload &what) {
        switch (what.kind) {
        case NotesListReload::Kind::Category:
            return record("NotesListReloadDatas", text(what.category));
        case NotesListReload::Kind::Note:
            return record("NotesListReloadDatas", "NoteDetail:" + text(what.note));
        case NotesListReload::Kind::All:
            return record("NotesListReloadDatas", "NoteListReloadTypeAll");
        case NotesListReload::Kind::Single:
            return record("NotesListReloadDatas", "NoteListReloadTypeSingle");
        }
    });
    connect(e, &AppEvents::reloadLeftHomeList, this, [record](const LeftHomeListReload &what) {
        switch (what.kind) {
        case LeftHomeListReload::Kind::Refetch:
            return record("ReloadLeftHomeList", {});
        case LeftHomeListReload::Kind::Category:
            return record("ReloadLeftHomeList", text(what.category));
        case LeftHomeListReload::Kind::NoteCId:
            return record("ReloadLeftHomeList", what.cId);
        }
    });
    connect(e, &AppEvents::deselectCollectionItem, this, [record] { record("DeselectCollectionItem", {}); });
    connect(e, &AppEvents::syncPullNoteDatas, this,
            [record](const QString &version) { record("SyncPullNoteDatas", version); });
    connect(e, &AppEvents::syncPushNoteDatas, this,
            [record](const NoteKey &note) { record("SyncPushNoteDatas", text(note)); });
    connect(e, &AppEvents::reloadNoteDetail, this,
            [record](const NoteKey &note) { record("ReloadNoteDetail", text(note)); });
    connect(e, &AppEvents::addNoteDetail, this, [record] { record("AddNoteDetail", {}); });
    connect(e, &AppEvents::revokeCompleteNote, this, [record] { record("RevokeCompleteNote", {}); });
    connect(e, &AppEvents::noteDeselectRow, this, [record] { record("NoteDeselectRow", {}); });
    connect(e, &AppEvents::reloadDatasForTitleBar, this, [record] { record("ReloadDatasForTitleBar", {}); });
}
