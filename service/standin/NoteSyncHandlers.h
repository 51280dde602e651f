#pragma once

#include "service/standin/StandinService.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QString>

#include <functional>

// Note sync on the stand-in service: POST "note/sync" takes pushes (server ids
// for client ids, a retried client id maps to the row made the first time),
// GET "note/sync" answers the changes since a version (deletions included, from
// "0": everything), with the account's data version counting every change.
// Tests can mark items to refuse, keep snapshots and restore them, and clear
// categories on the server side.
class NoteSyncHandlers
{
public:
    struct Category
    {
        QString classId;
        QString name;
        QString backColor;
        qint64 sort = 0;
        qint64 version = 0;
        qint64 created = 0; // the data version that made it ("1" in later delta pulls)
        bool deleted = false;
    };
    struct Note
    {
        QString cId;
        QString classId;
        QString content;
        QString fontColor;
        QString nextId = QStringLiteral("-1");
        bool isCompleted = false;
        QString completedTime;
        QJsonObject remind; // DateRemind attribute names; empty = no reminder
        qint64 version = 0;
        qint64 created = 0;
        bool deleted = false;
    };
    struct Data
    {
        QMap<QString, Category> classes;
        QMap<QString, Note> notes;
        QHash<QString, QString> clientIds;      // note client id -> server id
        QHash<QString, QString> classClientIds; // category client id -> server id
        // The service's records, by tId (rising with every record made): the
        // history of note changes and the completions pushes brought.
        QMap<qint64, QJsonObject> history;
        QMap<qint64, QJsonObject> completions;
        struct RecordDeletion
        {
            qint64 version;
            int delType;
            QString indexId;
        };
        QList<RecordDeletion> recordDeletions; // reported by later delta pulls
        struct Clear
        {
            qint64 version;
            QStringList classIds;
            bool timeAxis;
        };
        QList<Clear> clears;
        qint64 restoreVersion = 0;
        QString restoreDate;
        QMap<QString, QPair<QMap<QString, Category>, QMap<QString, Note>>> snapshots;
        int pushCount = 0;
        int pullCount = 0;
    };

    // Registers "note/sync", "note/revokeCompleted", "user/data/snapshot/restore",
    // the record pages "note/log/timeAxis" and "note/log/completed", and "note/logDel".
    explicit NoteSyncHandlers(StandinService &service);

    Data &data(const StandinAccount &account) { return m_data[account.userId]; }

    // Items to refuse: notes with exactly this content, categories with this name.
    void refuseNoteContent(const QString &content, const QString &msg) { m_refuseNotes.insert(content, msg); }
    void refuseCategoryName(const QString &name, const QString &msg) { m_refuseClasses.insert(name, msg); }
    // Whether push results for items pushed under their server id carry
    // "clientId" (on by default); a service may leave it out.
    void setEchoClientIdForServerIds(bool echo) { m_echoServerIds = echo; }

    void clearRefusals()
    {
        m_refuseNotes.clear();
        m_refuseClasses.clear();
    }

    // Keeps the account's current data under this date (offered by the snapshot list).
    void takeSnapshot(StandinAccount &account, const QString &snapshotDate);
    // Removes categories (and their notes) on the server as an account clean-up would.
    void clearCategories(StandinAccount &account, const QStringList &classIds, bool clearTimeAxis);

    // The live rows of an account; notes of a category in display order (top first).
    QList<Category> liveCategories(const StandinAccount &account) const;
    QList<Note> liveNotesInOrder(const StandinAccount &account, const QString &classId) const;

    // Whether the category's nextId links form one chain over all its notes.
    bool isLinear(const StandinAccount &account, const QString &classId) const;

    // The pull reply from a version, as GET "note/sync" answers it.
    QJsonObject pullReply(StandinAccount &account, qint64 since);
    // Applies a push body and answers as POST "note/sync" does.
    QJsonObject applyPush(StandinState &state, StandinAccount &account, const QJsonObject &body);

    // The time written into new records ("createTime"); the wall clock unless a test sets one.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // Keeps a history record of a note change (actionType 1 added, 2 changed, 3
    // deleted); a change with `before` set carries the spans from it. Returns the tId.
    qint64 addHistory(StandinState &state, StandinAccount &account, const Note &note, int actionType,
                      const QDateTime &at, const QString *before = nullptr);
    // Keeps a completion record of the note; returns its tId.
    qint64 addCompletion(StandinState &state, StandinAccount &account, const Note &note,
                         const QJsonObject &pushed);
    // Deletes a record as "note/logDel" does: 0 when done, else the error code (400 a
    // delType other than 1 and 2, 404 an unknown id).
    qint64 deleteRecord(StandinAccount &account, int delType, const QString &indexId);

    // One page of records as the record paths answer it: "sortType" 1 the
    // "pageSize" records just older than "indexId" (the newest without it), newest
    // first; 0 those just newer, oldest first. Empty `error` when the request reads.
    static QJsonArray page(const QMap<qint64, QJsonObject> &records, const QJsonObject &params,
                           QString *error);

    static QJsonObject noteEntry(const Note &note, qint64 sortFromBottom, const QString &actionType);

private:
    QJsonObject pushResult(bool saved, const QString &pushedId, const QString &serverKey,
                           const QString &serverId, const QString &msg = {}) const;

    QString className(const Data &d, const QString &classId) const;

    QHash<QString, Data> m_data; // by userId
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    QHash<QString, QString> m_refuseNotes;
    QHash<QString, QString> m_refuseClasses;
    bool m_echoServerIds = true;
};
