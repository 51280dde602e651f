#pragma once

#include "service/api/BaseSuccessModel.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Classify;
class Context;
class DateRemind;
class LocalNotificationManager;
class NoteClassifyModel;
class NoteDetail;

// The push of local changes: turns flagged categories and notes into the body
// of POST "note/sync" and applies the service's answer to the store.
//
// It works on one context, on the main thread; the notifications of the notes
// it removes or re-keys go through the notes' notifications on that context.
class SyncNotesManager
{
public:
    using Complete = std::function<void(const QStringList &messages)>;

    SyncNotesManager(Context &ctx, LocalNotificationManager &notifications);

    // The body for every Classify and NoteDetail whose isSync is NO.
    QJsonObject getNoSyncParamsFromClassifyAndNotes() const;
    // The body for these rows, in the given order. "classes" is present when the
    // category list is not empty, "contents" when the note list is not empty (it
    // may still end up empty). Rows made offline and deleted before any push are
    // removed from the store here (with their notes) and never sent; a note
    // without content is left out (not deleted), and an item whose "nextId" names
    // such a note carries that note's "nextId" instead.
    QJsonObject paramsWithClassifyArr(const QList<Classify *> &classes,
                                      const QList<NoteDetail *> &notes) const;
    // {"classes": [the model's item]}; an empty object for nullptr.
    static QJsonObject paramsWithClassifyModel(const NoteClassifyModel *model);

    // Applies a code-200 push reply. pushedBody is the body that was sent: only
    // its rows are purged or marked synced, and a row changed after it was sent
    // stays flagged for the next push. Returns false when nothing was applied
    // ("result" not true, a reply of the wrong shape, or the save failed and was
    // rolled back); the completion then does not run. Otherwise the completion
    // gets the distinct refusal messages.
    // `relinked` gets the cIds of the notes whose nextId the reply turned from a
    // client id into a server id (the service still holds the client id there).
    bool syncPushDatas(const BaseSuccessModel &reply, const QJsonObject &pushedBody, const Complete &complete,
                       QString *error = nullptr, QStringList *relinked = nullptr) const;
    // The same when the sent body is unknown: every entry of the reply counts as sent.
    bool syncPushDatas(const BaseSuccessModel &reply, const Complete &complete) const;
    // Shown for a refusal that came without a "msg".
    static QString refusedWithoutReasonText()
    {
        return QStringLiteral("同步失败，服务没有说明原因，请稍后再试。");
    }

    // Every note whose nextId is missing gets the cId of the next note by sort in
    // its category ("-1" for none) and isSync := isSync.
    void resetNextIdWithIsSync(bool isSync) const;

    // One item of "classes" / "contents", as the body carries it.
    static QJsonObject classItem(const Classify *classify);
    static QJsonObject classItem(const NoteClassifyModel &model);
    QJsonObject noteItem(const NoteDetail *note) const;
    static QJsonObject remindSetting(const DateRemind *remind);

    // Whether any category or note waits for the push.
    bool hasPendingChanges() const;
    static bool isClientId(const QString &id) { return id.contains(QLatin1Char('c')); }

private:
    Context &m_ctx;
    LocalNotificationManager &m_notifications;
};
