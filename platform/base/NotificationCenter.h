#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// Names of the application-wide notifications, exactly as observers know them.
namespace NotificationName {
inline const QString NotesListReloadDatas = QStringLiteral("NotesListReloadDatas");
inline const QString ReloadLeftHomeList = QStringLiteral("ReloadLeftHomeList");
inline const QString DeselectCollectionItem = QStringLiteral("DeselectCollectionItem");
inline const QString SyncPullNoteDatas = QStringLiteral("SyncPullNoteDatas");
inline const QString SyncPushNoteDatas = QStringLiteral("SyncPushNoteDatas");
inline const QString ReloadNoteDetail = QStringLiteral("ReloadNoteDetail");
inline const QString AddNoteDetail = QStringLiteral("AddNoteDetail");
inline const QString RevokeCompleteNote = QStringLiteral("RevokeCompleteNote");
inline const QString NoteDeselectRow = QStringLiteral("NoteDeselectRow");
inline const QString ReloadDatasForTitleBar = QStringLiteral("ReloadDatasForTitleBar");
} // namespace NotificationName

// Objects that qualify "NotesListReloadDatas".
namespace NoteListReloadType {
inline const QString Single = QStringLiteral("NoteListReloadTypeSingle");
inline const QString All = QStringLiteral("NoteListReloadTypeAll");
} // namespace NoteListReloadType

// The application-wide notification centre: named events with one object.
// Observers run on the posting thread (always the main thread in this program)
// and are dropped automatically when their context object is destroyed.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QVariant &object)>;

    static NotificationCenter *defaultCenter();

    QMetaObject::Connection addObserver(const QString &name, const QObject *context, Handler handler);
    void removeObserver(const QObject *context);
    void post(const QString &name, const QVariant &object = {});

signals:
    void posted(const QString &name, const QVariant &object);

private:
    using QObject::QObject;
};
