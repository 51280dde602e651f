#include "service/sync/SyncNotesManager.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteClassifyModel.h"
#include "core/model/NoteDetail.h"
#include "core/model/RemindAction.h"
#include "core/model/RowAction.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/base/Missing.h"
#include "platform/store/Context.h"
#include "service/api/ReplyValue.h"

#include <QDebug>
#include <QHash>
#include <QJsonArray>
#include <QSet>

namespace {

QString num(qint64 v)
{
    return QString::asprintf("%lld", static_cast<long long>(v));
}

void putText(QJsonObject &o, const QString &key, const QString &value)
{
    // A text that is nil stays out of the reminder item.
    if (!value.isNull())
        o.insert(key, value);
}

// The nextId to send: a note left out of the push (no content) is skipped over.
QString carriedNextId(const NoteDetail *note, Context &ctx)
{
    QString next = note->nextId();
    QSet<QString> seen{note->cId()};
    while (!next.isEmpty() && next != QLatin1String("-1") && !seen.contains(next)) {
        seen.insert(next);
        NoteDetail *n = ctx.findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), next);
        if (!n || !Missing::isMissing(n->content()))
            break;
        next = n->nextId();
    }
    return next;
}

QString pushedIdOf(const QJsonObject &item, const char *clientKey, const char *serverKey)
{
    const QString c = item.value(QLatin1String(clientKey)).toString();
    return c.isEmpty() ? item.value(QLatin1String(serverKey)).toString() : c;
}

QHash<QString, QJsonObject> pushedItems(const QJsonObject &body, const char *listKey, const char *clientKey,
                                        const char *serverKey)
{
    QHash<QString, QJsonObject> out;
    for (const QJsonValue &v : body.value(QLatin1String(listKey)).toArray()) {
        const QJsonObject item = v.toObject();
        out.insert(pushedIdOf(item, clientKey, serverKey), item);
    }
    return out;
}

// Whether the push carried this row's deletion; without the body it is taken
// that it did.
bool deletionWasSent(bool bodyKnown, const QJsonObject &sent)
{
    return !bodyKnown || sent.value(QStringLiteral("actionType")).toString() == num(RowAction::Deleted);
}

} // namespace

SyncNotesManager::SyncNotesManager(Context &ctx, LocalNotificationManager &notifications)
    : m_ctx(ctx), m_notifications(notifications)
{
}

QJsonObject SyncNotesManager::remindSetting(const DateRemind *r)
{
    QJsonObject o;
    if (!r) {
        for (const char *k : {"actionType", "remindDateType", "remindCycleType", "remindCycleInterval",
                              "remindRType", "connectWifiType", "remindWifiStatus"})
            o.insert(QLatin1String(k), QStringLiteral("0"));
        return o;
    }
    o.insert(QStringLiteral("actionType"), num(r->remindActionType()));
    o.insert(QStringLiteral("remindDateType"), num(r->remindDateType()));
    putText(o, QStringLiteral("remindDateTime"), r->remindDateTime());
    o.insert(QStringLiteral("remindCycleType"), num(r->remindCycleType()));
    o.insert(QStringLiteral("remindCycleInterval"), num(r->remindCycleInterval()));
    putText(o, QStringLiteral("remindRealDateTime"), r->remindRealDateTime());
    putText(o, QStringLiteral("remindCycleSpecific"), r->remindCycleSpecific());
    putText(o, QStringLiteral("remindEndTime"), r->remindEndTime());
    o.insert(QStringLiteral("remindRType"), num(r->remindRType()));
    putText(o, QStringLiteral("remindDelayTime"), r->remindDelayTime());
    putText(o, QStringLiteral("connectWifiIds"), r->connectWifiIds());
    o.insert(QStringLiteral("connectWifiType"), num(r->connectWifiType()));
    o.insert(QStringLiteral("remindWifiStatus"), num(r->remindWifiStatus()));
    putText(o, QStringLiteral("remindWifiDateTime"), r->remindWifiDateTime());
    return o;
}

QJsonObject SyncNotesManager::classItem(const Classify *c)
{
    QJsonObject o;
    const QString id = c->classId();
    if (isClientId(id)) {
        o.insert(QStringLiteral("clientId"), id);
        o.insert(QStringLiteral("actionType"), num(RowAction::Added));
    } else {
        o.insert(QStringLiteral("classId"), id);
        o.insert(QStringLiteral("actionType"), num(c->actionType()));
    }
    o.insert(QStringLiteral("name"), c->name());
    o.insert(QStringLiteral("backColor"), c->backColor());
    o.insert(QStringLiteral("sort"), num(c->sort()));
    return o;
}

QJsonObject SyncNotesManager::classItem(const NoteClassifyModel &m)
{
    QJsonObject o;
    if (isClientId(m.classId())) {
        o.insert(QStringLiteral("clientId"), m.classId());
        o.insert(QStringLiteral("actionType"), num(RowAction::Added));
    } else {
        o.insert(QStringLiteral("classId"), m.classId());
        o.insert(QStringLiteral("actionType"), num(m.actionType()));
    }
    o.insert(QStringLiteral("name"), m.name());
    o.insert(QStringLiteral("backColor"), m.backColor());
    o.insert(QStringLiteral("sort"), num(m.sort()));
    return o;
}

QJsonObject SyncNotesManager::noteItem(const NoteDetail *n) const
{
    QJsonObject o;
    const QString cId = n->cId();
    QString action;
    if (isClientId(cId))
        action = num(RowAction::Added);
    else if (n->isCompleted() && n->actionType() == RowAction::None)
        action = num(RowAction::Changed);
    else
        action = num(n->actionType());
    o.insert(QStringLiteral("actionType"), action);
    o.insert(isClientId(cId) ? QStringLiteral("clientId") : QStringLiteral("cId"), cId);
    const QString classId = n->classId();
    o.insert(isClientId(classId) ? QStringLiteral("clientClassId") : QStringLiteral("classId"), classId);
    o.insert(QStringLiteral("content"), n->content());
    const QString color = n->fontColor();
    o.insert(QStringLiteral("fontColor"), color == QLatin1String("#3a3a3a") ? QString() : color);
    o.insert(QStringLiteral("nextId"), carriedNextId(n, m_ctx));
    o.insert(QStringLiteral("remindSetting"), remindSetting(n->remind()));
    if (n->isCompleted() && n->actionType() == RowAction::Changed) {
        const DateRemind *r = n->remind();
        QJsonObject record{{"content", n->content()}, {"completedTime", n->completedTime()}};
        record.insert(QStringLiteral("remindTime"), r ? r->remindRealDateTime() : QString());
        o.insert(QStringLiteral("completedList"), QJsonArray{record});
    }
    return o;
}

QJsonObject SyncNotesManager::getNoSyncParamsFromClassifyAndNotes() const
{
    const Predicate unsynced = Predicate::equals(QStringLiteral("isSync"), false);
    const QList<Classify *> classes = m_ctx.fetch<Classify>(unsynced, QStringLiteral("sort"));
    const QList<NoteDetail *> notes = m_ctx.fetch<NoteDetail>(unsynced);
    return paramsWithClassifyArr(classes, notes);
}

QJsonObject SyncNotesManager::paramsWithClassifyArr(const QList<Classify *> &classes,
                                                    const QList<NoteDetail *> &notes) const
{
    Context *ctx = &m_ctx;
    QJsonObject body;
    bool removed = false;
    QStringList withdrawn;

    // Made offline and deleted again: the service never knew them.
    for (Classify *c : classes) {
        if (c && !c->isDeleted() && c->actionType() == RowAction::Deleted && isClientId(c->classId())) {
            for (NoteDetail *n : c->notes())
                withdrawn << n->cId();
            ctx->deleteObject(c);
            removed = true;
        }
    }
    for (NoteDetail *n : notes) {
        if (n && !n->isDeleted() && n->actionType() == RowAction::Deleted && isClientId(n->cId())) {
            withdrawn << n->cId();
            ctx->deleteObject(n);
            removed = true;
        }
    }
    if (removed) {
        if (SaveResult r = ctx->saveAndWait(); !r)
            qWarning().noquote() << "sync: removing rows deleted before their first push failed:" << r.error;
        m_notifications.removeScheduledNotificationWithIdentifiers(withdrawn);
    }

    if (!classes.isEmpty()) {
        QJsonArray items;
        for (Classify *c : classes) {
            if (c && !c->isDeleted())
                items.append(classItem(c));
        }
        body.insert(QStringLiteral("classes"), items);
    }
    if (!notes.isEmpty()) {
        QJsonArray items;
        for (NoteDetail *n : notes) {
            // A note without text waits for its editor (which removes it), but its
            // deletion must reach the service or the next full pull revives it.
            if (!n || n->isDeleted() ||
                (Missing::isMissing(n->content()) && n->actionType() != RowAction::Deleted))
                continue;
            items.append(noteItem(n));
        }
        body.insert(QStringLiteral("contents"), items);
    }
    return body;
}

QJsonObject SyncNotesManager::paramsWithClassifyModel(const NoteClassifyModel *model)
{
    if (!model)
        return {};
    return QJsonObject{{"classes", QJsonArray{classItem(*model)}}};
}

bool SyncNotesManager::hasPendingChanges() const
{
    Context *ctx = &m_ctx;
    const Predicate unsynced = Predicate::equals(QStringLiteral("isSync"), false);
    if (ctx->count<Classify>(unsynced) > 0)
        return true;
    // A note without text is not sent, unless it is a deletion.
    return ctx->count<NoteDetail>(unsynced &&
                                  (Predicate::notEquals(QStringLiteral("content"), QString()) ||
                                   Predicate::equals(QStringLiteral("actionType"), RowAction::Deleted))) > 0;
}

bool SyncNotesManager::syncPushDatas(const BaseSuccessModel &reply, const Complete &complete) const
{
    return syncPushDatas(reply, QJsonObject(), complete);
}

bool SyncNotesManager::syncPushDatas(const BaseSuccessModel &reply, const QJsonObject &pushedBody,
                                     const Complete &complete, QString *error, QStringList *relinkedIds) const
{
    auto failWith = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    Context *ctx = &m_ctx;
    if (!reply.hasObjectData())
        return failWith(QStringLiteral("the push reply has no readable data"));
    const QJsonObject data = reply.dataObject();
    if (!ReplyValue::isTrue(data.value(QStringLiteral("result"))))
        return failWith(QStringLiteral("the service did not take the push"));
    const QJsonValue classResult = data.value(QStringLiteral("syncClassResult"));
    const QJsonValue contentResult = data.value(QStringLiteral("syncContentResult"));
    if ((!classResult.isUndefined() && !classResult.isNull() && !classResult.isArray()) ||
        (!contentResult.isUndefined() && !contentResult.isNull() && !contentResult.isArray()))
        return failWith(QStringLiteral("the push reply is not readable"));

    const bool bodyKnown = !pushedBody.isEmpty();
    const QHash<QString, QJsonObject> sentClasses = pushedItems(pushedBody, "classes", "clientId", "classId");
    const QHash<QString, QJsonObject> sentNotes = pushedItems(pushedBody, "contents", "clientId", "cId");

    QStringList messages;
    auto refuse = [&messages](const QJsonObject &entry) {
        QString msg = entry.value(QStringLiteral("msg")).toString().trimmed();
        if (msg.isEmpty())
            msg = refusedWithoutReasonText();
        if (!messages.contains(msg))
            messages << msg;
    };
    // Judged before any id changes: a row edited after it was sent stays flagged.
    QSet<QString> unchangedClasses, unchangedNotes;
    for (auto it = sentClasses.cbegin(); it != sentClasses.cend(); ++it) {
        if (Classify *c = ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), it.key());
            c && classItem(c) == it.value())
            unchangedClasses.insert(it.key());
    }
    for (auto it = sentNotes.cbegin(); it != sentNotes.cend(); ++it) {
        if (NoteDetail *n = ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), it.key());
            n && noteItem(n) == it.value())
            unchangedNotes.insert(it.key());
    }
    QStringList withdrawn;      // notifications to remove
    QList<ObjectId> toSchedule; // notes to schedule afresh under their new id
    QList<ObjectId> relinked;   // notes whose link now names a server id the service has not seen

    // Categories.
    for (const QJsonValue &v : classResult.toArray()) {
        const QJsonObject entry = v.toObject();
        // A category pushed under its server id may come back without "clientId".
        QString clientId = ReplyValue::idText(entry.value(QStringLiteral("clientId")));
        if (clientId.isEmpty())
            clientId = ReplyValue::idText(entry.value(QStringLiteral("classId")));
        if (clientId.isEmpty())
            continue;
        if (!ReplyValue::isTrue(entry.value(QStringLiteral("isSave")))) {
            refuse(entry);
            continue;
        }
        if (bodyKnown && !sentClasses.contains(clientId))
            continue;
        Classify *local = ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), clientId);
        if (!local)
            continue;
        const QJsonObject sent = sentClasses.value(clientId);
        const bool deletedSince = local->actionType() == RowAction::Deleted;
        if (deletedSince && deletionWasSent(bodyKnown, sent)) {
            for (NoteDetail *n : local->notes())
                withdrawn << n->cId();
            ctx->deleteObject(local);
            continue;
        }
        // Deleted after it went out as an addition: it takes the server id and stays
        // flagged, so that the next push carries the deletion to the service.
        const bool unchanged = !deletedSince && (!bodyKnown || unchangedClasses.contains(clientId));
        QString serverId = ReplyValue::idText(entry.value(QStringLiteral("classId")));
        if (serverId.isEmpty())
            serverId = clientId;
        if (serverId != clientId) {
            // A pull may already have brought the server's copy: its notes move over.
            if (Classify *copy = ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), serverId);
                copy && copy != local) {
                for (NoteDetail *n : copy->notes())
                    n->setClassify(local);
                ctx->deleteObject(copy);
            }
            for (NoteDetail *n : ctx->findByAttribute<NoteDetail>(QStringLiteral("classId"), clientId))
                n->setClassId(serverId);
            local->setClassId(serverId);
        }
        if (unchanged) {
            local->setIsSync(true);
            local->setActionType(RowAction::None);
        }
    }

    // Notes.
    for (const QJsonValue &v : contentResult.toArray()) {
        const QJsonObject entry = v.toObject();
        QString serverId = ReplyValue::idText(entry.value(QStringLiteral("cId")));
        // A note pushed under its server id may come back without "clientId":
        // the pushed id is then the server id.
        QString clientId = ReplyValue::idText(entry.value(QStringLiteral("clientId")));
        if (clientId.isEmpty())
            clientId = serverId;
        if (clientId.isEmpty())
            continue;
        NoteDetail *client = clientId.isEmpty()
                                 ? nullptr
                                 : ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), clientId);
        NoteDetail *server = serverId.isEmpty() || serverId == clientId
                                 ? nullptr
                                 : ctx->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), serverId);
        if (!ReplyValue::isTrue(entry.value(QStringLiteral("isSave")))) {
            refuse(entry);
            if (client)
                client->setIsError(true);
            if (server)
                server->setIsError(true);
            continue;
        }
        if (serverId.isEmpty())
            serverId = clientId;
        if (!client) {
            if (server) {
                withdrawn << server->cId();
                server->setIsError(false);
            }
            continue;
        }
        if (bodyKnown && !sentNotes.contains(clientId))
            continue;
        const QJsonObject sent = sentNotes.value(clientId);
        const bool deletedSince = client->actionType() == RowAction::Deleted;
        if (deletedSince && deletionWasSent(bodyKnown, sent)) {
            withdrawn << client->cId();
            ctx->deleteObject(client);
            continue;
        }
        // As for categories: a note deleted after it was sent keeps its deletion pending.
        const bool unchanged = !deletedSince && (!bodyKnown || unchangedNotes.contains(clientId));
        if (server && server != client) {
            // The server's copy came with a pull after a lost reply: one row stays.
            withdrawn << server->cId();
            ctx->deleteObject(server);
        }
        client->setIsError(false);
        if (DateRemind *r = client->remind(); r && r->remindActionType() == RemindAction::Cleared) {
            if (deletionWasSent(bodyKnown, sent.value(QStringLiteral("remindSetting")).toObject()))
                ctx->deleteObject(r);
        }
        if (unchanged) {
            client->setIsSync(true);
            client->setActionType(RowAction::None);
        }
        if (serverId != clientId) {
            withdrawn << clientId;
            client->setCId(serverId);
            if (DateRemind *r = client->remind())
                r->setCId(serverId);
            for (NoteDetail *n : ctx->findByAttribute<NoteDetail>(QStringLiteral("nextId"), clientId)) {
                n->setNextId(serverId);
                relinked << n->objectId();
            }
            toSchedule << client->objectId();
        }
    }

    // The service may hold the client id in these links: they go out again.
    QStringList relinkedLive;
    for (const ObjectId &id : std::as_const(relinked)) {
        NoteDetail *n = ctx->existing<NoteDetail>(id);
        if (!n || n->isDeleted())
            continue;
        n->setIsSync(false);
        if (n->actionType() == RowAction::None && !n->isCompleted())
            n->setActionType(RowAction::Changed);
        if (n->actionType() != RowAction::Deleted)
            relinkedLive << n->cId();
    }
    if (SaveResult r = ctx->saveAndWait(); !r) {
        ctx->rollback();
        return failWith(QStringLiteral("the push result could not be saved: ") + r.error);
    }
    if (relinkedIds) {
        relinkedLive.removeDuplicates();
        *relinkedIds = relinkedLive;
    }
    withdrawn.removeDuplicates();
    // Withdrawals first: a note re-keyed to a server id is then scheduled afresh under it.
    m_notifications.removeScheduledNotificationWithIdentifiers(withdrawn);
    for (const ObjectId &id : toSchedule) {
        if (NoteDetail *n = ctx->existing<NoteDetail>(id))
            NoteRemindManager(*ctx, m_notifications).addDateUserNotificationWithNote(n);
    }
    if (complete)
        complete(messages);
    return true;
}

void SyncNotesManager::resetNextIdWithIsSync(bool isSync) const
{
    Context *ctx = &m_ctx;
    QHash<QString, QList<NoteDetail *>> byClass;
    for (NoteDetail *n : ctx->findAllSortedBy<NoteDetail>(QStringLiteral("sort"), true))
        byClass[n->classId()].append(n);
    for (const QList<NoteDetail *> &list : std::as_const(byClass)) {
        for (int i = 0; i < list.size(); ++i) {
            NoteDetail *n = list.at(i);
            if (!Missing::isMissing(n->nextId()))
                continue;
            n->setNextId(i + 1 < list.size() ? list.at(i + 1)->cId() : QStringLiteral("-1"));
            n->setIsSync(isSync);
        }
    }
    if (SaveResult r = ctx->saveAndWait(); !r)
        qWarning().noquote() << "sync: saving the relinked notes failed:" << r.error;
}
