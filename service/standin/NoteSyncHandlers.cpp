#include "service/standin/NoteSyncHandlers.h"

#include "service/standin/HistoryDiff.h"

#include <QJsonValue>
#include <QLocale>

#include <algorithm>

namespace {

QString text(const QJsonValue &v)
{
    if (v.isDouble()) {
        // Outside the 64-bit range the conversion is undefined: such a number reads as none.
        const double d = v.toDouble();
        return d > -9.2e18 && d < 9.2e18 ? QString::number(qint64(d)) : QString();
    }
    if (v.isBool())
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}

qint64 number(const QJsonValue &v)
{
    return text(v).toLongLong();
}

// Pushed reminder (keys of the push) to stored reminder (DateRemind names); empty for none.
QJsonObject storedRemind(const QJsonObject &pushed)
{
    const qint64 action = number(pushed.value("actionType"));
    if (action != 1 && action != 2)
        return {};
    QJsonObject r;
    for (auto it = pushed.begin(); it != pushed.end(); ++it) {
        if (it.key() == QLatin1String("actionType"))
            r.insert("remindActionType", text(it.value()).toLongLong());
        else if (it.value().isString() && it.key() != QLatin1String("remindDateTime") &&
                 it.key() != QLatin1String("remindRealDateTime") &&
                 it.key() != QLatin1String("remindEndTime") && it.key() != QLatin1String("remindDelayTime") &&
                 it.key() != QLatin1String("connectWifiIds") &&
                 it.key() != QLatin1String("remindWifiDateTime") &&
                 it.key() != QLatin1String("remindCycleSpecific"))
            r.insert(it.key(), it.value().toString().toLongLong());
        else
            r.insert(it.key(), it.value());
    }
    return r;
}

QString timeText(const QDateTime &t)
{
    return QLocale::c().toString(t, QStringLiteral("yyyy/M/d H:mm:ss"));
}

// The terminal the stand-in's records name: the desktop program.
constexpr int DesktopTerminal = 7;

} // namespace

NoteSyncHandlers::NoteSyncHandlers(StandinService &service)
{
    using R = StandinReply;
    service.categoryExists = [this](const StandinAccount &account, const QString &classId) {
        const auto it = data(account).classes.constFind(classId);
        return it != data(account).classes.constEnd() && !it->deleted;
    };
    service.registerHandler("note/sync", [this](StandinService::Context &c) {
        if (c.request.method == "GET") {
            ++data(*c.user).pullCount;
            const qint64 since = number(c.request.params.value("version"));
            return R::ok(pullReply(*c.user, since));
        }
        return R::ok(applyPush(c.state, *c.user, c.request.params));
    });
    service.registerHandler("note/revokeCompleted", [this](StandinService::Context &c) {
        Data &d = data(*c.user);
        const QString cId = text(c.request.params.value("cId"));
        auto it = d.notes.find(cId);
        if (it == d.notes.end() || it->deleted)
            return R::error(404, QStringLiteral("内容不存在"));
        it->isCompleted = false;
        it->completedTime.clear();
        it->version = ++c.user->version;
        return R::ok(QJsonObject{{"version", QString::number(c.user->version)}});
    });
    auto pageOf = [this](bool history) {
        return [this, history](StandinService::Context &c) {
            Data &d = data(*c.user);
            QString error;
            const QJsonArray datas = page(history ? d.history : d.completions, c.request.params, &error);
            if (!error.isEmpty())
                return R::error(400, error);
            return R::ok(QJsonObject{{"datas", datas}});
        };
    };
    service.registerHandler("note/log/timeAxis", pageOf(true));
    service.registerHandler("note/log/completed", pageOf(false));
    service.registerHandler("note/logDel", [this](StandinService::Context &c) {
        const QJsonValue type = c.request.params.value("delType");
        const QString typeText = text(type);
        bool ok = false;
        const int delType = typeText.toInt(&ok);
        const qint64 code = deleteRecord(*c.user, ok ? delType : 0, text(c.request.params.value("indexId")));
        if (code == 400)
            return R::error(400, QStringLiteral("参数错误"));
        if (code != 0)
            return R::error(code, QStringLiteral("记录不存在"));
        return R::ok(QJsonObject{{"version", QString::number(c.user->version)}});
    });
    service.registerHandler("user/data/snapshot/restore", [this](StandinService::Context &c) {
        Data &d = data(*c.user);
        const QString date = text(c.request.params.value("snapshotDate"));
        if (!d.snapshots.contains(date))
            return R::error(404, QStringLiteral("没有这个快照"));
        const qint64 v = ++c.user->version;
        auto [classes, notes] = d.snapshots.value(date);
        for (auto it = d.classes.begin(); it != d.classes.end(); ++it) {
            if (!classes.contains(it.key()) && !it->deleted) {
                it->deleted = true;
                it->version = v;
            }
        }
        for (auto it = d.notes.begin(); it != d.notes.end(); ++it) {
            if (!notes.contains(it.key()) && !it->deleted) {
                it->deleted = true;
                it->version = v;
            }
        }
        for (Category cat : classes) {
            cat.version = v;
            d.classes.insert(cat.classId, cat);
        }
        for (Note n : notes) {
            n.version = v;
            d.notes.insert(n.cId, n);
        }
        d.restoreVersion = v;
        d.restoreDate = date;
        return R::ok(QJsonObject{{"version", QString::number(v)}});
    });
}

void NoteSyncHandlers::takeSnapshot(StandinAccount &account, const QString &snapshotDate)
{
    Data &d = data(account);
    QMap<QString, Category> classes;
    QMap<QString, Note> notes;
    for (const Category &c : std::as_const(d.classes))
        if (!c.deleted)
            classes.insert(c.classId, c);
    for (const Note &n : std::as_const(d.notes))
        if (!n.deleted)
            notes.insert(n.cId, n);
    d.snapshots.insert(snapshotDate, {classes, notes});
    account.snapshots.append(QJsonObject{{"snapshotDate", snapshotDate}});
}

void NoteSyncHandlers::clearCategories(StandinAccount &account, const QStringList &classIds,
                                       bool clearTimeAxis)
{
    Data &d = data(account);
    const qint64 v = ++account.version;
    for (const QString &id : classIds) {
        d.classes.remove(id);
        for (auto it = d.notes.begin(); it != d.notes.end();) {
            if (it->classId == id)
                it = d.notes.erase(it);
            else
                ++it;
        }
    }
    if (clearTimeAxis) {
        d.history.clear();
        d.completions.clear();
    }
    d.clears.append({v, classIds, clearTimeAxis});
}

QList<NoteSyncHandlers::Category> NoteSyncHandlers::liveCategories(const StandinAccount &account) const
{
    QList<Category> out;
    for (const Category &c : m_data.value(account.userId).classes)
        if (!c.deleted)
            out.append(c);
    std::stable_sort(out.begin(), out.end(),
                     [](const Category &a, const Category &b) { return a.sort < b.sort; });
    return out;
}

QList<NoteSyncHandlers::Note> NoteSyncHandlers::liveNotesInOrder(const StandinAccount &account,
                                                                 const QString &classId) const
{
    // The order is the nextId chain; pieces that do not link up follow by id.
    QMap<QString, Note> members;
    for (const Note &n : m_data.value(account.userId).notes)
        if (!n.deleted && n.classId == classId)
            members.insert(n.cId, n);
    QSet<QString> pointedAt;
    for (const Note &n : std::as_const(members))
        if (members.contains(n.nextId) && n.nextId != n.cId)
            pointedAt.insert(n.nextId);
    QList<Note> out;
    QSet<QString> seen;
    auto walk = [&](const QString &start) {
        QString id = start;
        while (members.contains(id) && !seen.contains(id)) {
            seen.insert(id);
            out.append(members.value(id));
            id = members.value(id).nextId;
        }
    };
    for (const Note &n : std::as_const(members))
        if (!pointedAt.contains(n.cId))
            walk(n.cId);
    for (const Note &n : std::as_const(members))
        walk(n.cId);
    return out;
}

bool NoteSyncHandlers::isLinear(const StandinAccount &account, const QString &classId) const
{
    const QList<Note> order = liveNotesInOrder(account, classId);
    for (int i = 0; i < order.size(); ++i) {
        const QString expected = i + 1 < order.size() ? order.at(i + 1).cId : QStringLiteral("-1");
        if (order.at(i).nextId != expected)
            return false;
    }
    return true;
}

QJsonObject NoteSyncHandlers::noteEntry(const Note &n, qint64 sortFromBottom, const QString &actionType)
{
    QJsonObject detail{{"cId", n.cId},
                       {"classId", n.classId},
                       {"content", n.content},
                       {"fontColor", n.fontColor},
                       {"nextId", n.nextId},
                       {"sort", sortFromBottom},
                       {"isCompleted", n.isCompleted},
                       {"completedTime", n.completedTime}};
    detail.insert("remindSetting", n.remind.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(n.remind));
    return QJsonObject{{"cId", n.cId}, {"actionType", actionType}, {"detail", detail}};
}

QJsonObject NoteSyncHandlers::pullReply(StandinAccount &account, qint64 since)
{
    Data &d = data(account);
    const bool full = since <= 0;
    QJsonArray classes;
    for (const Category &c : std::as_const(d.classes)) {
        if (full ? c.deleted : c.version <= since)
            continue;
        if (c.deleted) {
            classes.append(QJsonObject{{"classId", c.classId}, {"actionType", "3"}});
            continue;
        }
        // Rows made since the asked version are additions, the rest changes.
        classes.append(QJsonObject{{"classId", c.classId},
                                   {"actionType", full || c.created > since ? "1" : "2"},
                                   {"detail", QJsonObject{{"classId", c.classId},
                                                          {"name", c.name},
                                                          {"backColor", c.backColor},
                                                          {"sort", c.sort}}}});
    }
    QJsonArray notes;
    QHash<QString, QHash<QString, qint64>> sorts; // classId -> cId -> sort from the bottom
    for (const Note &n : std::as_const(d.notes)) {
        if (full ? n.deleted : n.version <= since)
            continue;
        if (n.deleted) {
            notes.append(QJsonObject{{"cId", n.cId}, {"actionType", "3"}});
            continue;
        }
        if (!sorts.contains(n.classId)) {
            const QList<Note> order = liveNotesInOrder(account, n.classId);
            QHash<QString, qint64> s;
            for (int i = 0; i < order.size(); ++i)
                s.insert(order.at(i).cId, order.size() - i);
            sorts.insert(n.classId, s);
        }
        notes.append(
            noteEntry(n, sorts.value(n.classId).value(n.cId), full || n.created > since ? "1" : "2"));
    }
    QJsonObject reply{{"version", QString::number(account.version)},
                      {"syncClassResult", QJsonObject{{"datas", classes}}},
                      {"syncContentResult", QJsonObject{{"datas", notes}}}};
    if (d.restoreVersion > since && d.restoreVersion > 0)
        reply.insert("SnapshotRestoreResult", QJsonObject{{"snapshotDate", d.restoreDate}});
    QStringList cleared;
    bool timeAxis = false;
    for (const Data::Clear &c : std::as_const(d.clears)) {
        if (c.version > since && !full) {
            cleared << c.classIds;
            timeAxis = timeAxis || c.timeAxis;
        }
    }
    QJsonArray recordDeletions;
    for (const Data::RecordDeletion &r : std::as_const(d.recordDeletions))
        if (!full && r.version > since)
            recordDeletions.append(QJsonObject{{"delType", r.delType}, {"indexId", r.indexId}});
    if (!recordDeletions.isEmpty())
        reply.insert("syncContentLogDelResult", QJsonObject{{"datas", recordDeletions}});
    if (!cleared.isEmpty() || timeAxis)
        reply.insert("syncClearDataResult",
                     QJsonObject{{"classIds", cleared.join(',')}, {"isClearAllTimeAxis", timeAxis}});
    // Profile and settings changes raised the data version: a delta pull since then carries them.
    if (full || account.userInfoVersion > since)
        reply.insert("syncUserInfoResult", QJsonObject{{"isChange", true}, {"detail", account.userInfo}});
    if (full || account.sysSetVersion > since)
        reply.insert("syncUserSetResult", QJsonObject{{"isChange", true}, {"detail", account.sysSet}});
    if (full) {
        QJsonArray wifis;
        for (const QJsonValue &w : std::as_const(account.wifis))
            wifis.append(
                QJsonObject{{"wifiId", w.toObject().value("wifiId")}, {"actionType", "1"}, {"detail", w}});
        if (!wifis.isEmpty())
            reply.insert("syncUserWifiResult", QJsonObject{{"datas", wifis}});
    }
    return reply;
}

QJsonObject NoteSyncHandlers::pushResult(bool saved, const QString &pushedId, const QString &serverKey,
                                         const QString &serverId, const QString &msg) const
{
    QJsonObject r{{"isSave", saved}, {serverKey, serverId}, {"msg", msg}};
    // An item pushed under its server id is named by that id alone unless the
    // switch asks for the echo.
    if (m_echoServerIds || pushedId != serverId)
        r.insert("clientId", pushedId);
    return r;
}

QJsonObject NoteSyncHandlers::applyPush(StandinState &state, StandinAccount &account, const QJsonObject &body)
{
    Data &d = data(account);
    ++d.pushCount;
    const qint64 v = account.version + 1;
    bool changed = false;

    QJsonArray classResults;
    for (const QJsonValue &iv : body.value("classes").toArray()) {
        const QJsonObject item = iv.toObject();
        const QString clientId = text(item.value("clientId"));
        const QString pushedId = clientId.isEmpty() ? text(item.value("classId")) : clientId;
        const QString key = clientId.isEmpty() ? QStringLiteral("classId") : QStringLiteral("clientId");
        Q_UNUSED(key);
        const qint64 action = number(item.value("actionType"));
        const QString name = item.value("name").toString();
        if (m_refuseClasses.contains(name)) {
            classResults.append(
                pushResult(false, pushedId, "classId", pushedId, m_refuseClasses.value(name)));
            continue;
        }
        QString serverId = clientId.isEmpty() ? pushedId : d.classClientIds.value(clientId);
        if (!clientId.isEmpty() && serverId.isEmpty()) {
            if (action == 3) { // never known: nothing to delete
                classResults.append(pushResult(true, pushedId, "classId", pushedId));
                continue;
            }
            serverId = state.newId();
            d.classClientIds.insert(clientId, serverId);
        }
        Category &cat = d.classes[serverId];
        if (action == 3) {
            if (!cat.classId.isEmpty() && !cat.deleted) {
                cat.deleted = true;
                cat.version = v;
                for (Note &n : d.notes)
                    if (n.classId == serverId && !n.deleted) {
                        n.deleted = true;
                        n.version = v;
                    }
                changed = true;
            } else if (cat.classId.isEmpty()) {
                d.classes.remove(serverId);
            }
            classResults.append(pushResult(true, pushedId, "classId", serverId));
            continue;
        }
        if (cat.deleted) {
            classResults.append(
                pushResult(false, pushedId, "classId", serverId, QStringLiteral("分类已删除")));
            continue;
        }
        if (cat.classId.isEmpty())
            cat.created = v;
        cat.classId = serverId;
        cat.name = name;
        cat.backColor = item.value("backColor").toString();
        cat.sort = number(item.value("sort"));
        cat.version = v;
        changed = true;
        classResults.append(pushResult(true, pushedId, "classId", serverId));
    }

    QJsonArray contentResults;
    QList<QString> touched;
    for (const QJsonValue &iv : body.value("contents").toArray()) {
        const QJsonObject item = iv.toObject();
        const QString clientId = text(item.value("clientId"));
        const QString pushedId = clientId.isEmpty() ? text(item.value("cId")) : clientId;
        const qint64 action = number(item.value("actionType"));
        const QString content = item.value("content").toString();
        if (m_refuseNotes.contains(content)) {
            contentResults.append(pushResult(false, pushedId, "cId", pushedId, m_refuseNotes.value(content)));
            continue;
        }
        QString serverId = clientId.isEmpty() ? pushedId : d.clientIds.value(clientId);
        if (action == 3) {
            auto it = d.notes.find(serverId);
            if (!serverId.isEmpty() && it != d.notes.end() && !it->deleted) {
                it->deleted = true;
                it->version = v;
                changed = true;
                addHistory(state, account, *it, 3, m_now());
            }
            contentResults.append(
                pushResult(true, pushedId, "cId", serverId.isEmpty() ? pushedId : serverId));
            continue;
        }
        const QString clientClassId = text(item.value("clientClassId"));
        const QString classId =
            clientClassId.isEmpty() ? text(item.value("classId")) : d.classClientIds.value(clientClassId);
        if (classId.isEmpty() || !d.classes.contains(classId) || d.classes.value(classId).deleted) {
            contentResults.append(pushResult(false, pushedId, "cId", pushedId, QStringLiteral("分类不存在")));
            continue;
        }
        if (!clientId.isEmpty() && serverId.isEmpty()) {
            serverId = state.newId();
            d.clientIds.insert(clientId, serverId);
        }
        if (d.notes.contains(serverId) && d.notes.value(serverId).deleted) {
            contentResults.append(pushResult(false, pushedId, "cId", serverId, QStringLiteral("内容已删除")));
            continue;
        }
        if (!d.notes.contains(serverId) && clientId.isEmpty() && action == 2) {
            contentResults.append(pushResult(false, pushedId, "cId", serverId, QStringLiteral("内容不存在")));
            continue;
        }
        Note &n = d.notes[serverId];
        const bool made = n.cId.isEmpty();
        const QString contentBefore = n.content;
        const QString classBefore = n.classId;
        if (made)
            n.created = v;
        n.cId = serverId;
        n.classId = classId;
        n.content = content;
        n.fontColor = item.value("fontColor").toString();
        n.nextId = text(item.value("nextId"));
        n.remind = storedRemind(item.value("remindSetting").toObject());
        // Only changes a user sees make history: a new note, another text or category
        // (order and reminder changes do not).
        if (made)
            addHistory(state, account, n, 1, m_now());
        else if (contentBefore != n.content)
            addHistory(state, account, n, 2, m_now(), &contentBefore);
        else if (classBefore != n.classId)
            addHistory(state, account, n, 2, m_now());
        const QJsonArray completed = item.value("completedList").toArray();
        if (!completed.isEmpty()) {
            n.isCompleted = true;
            n.completedTime = completed.first().toObject().value("completedTime").toString();
            for (const QJsonValue &c : completed)
                addCompletion(state, account, n, c.toObject());
        }
        n.version = v;
        touched << serverId;
        changed = true;
        contentResults.append(pushResult(true, pushedId, "cId", serverId));
    }
    // Links to notes pushed under client ids point at their server ids.
    for (const QString &id : std::as_const(touched)) {
        Note &n = d.notes[id];
        if (d.clientIds.contains(n.nextId))
            n.nextId = d.clientIds.value(n.nextId);
    }
    if (changed)
        account.version = v;
    return QJsonObject{{"result", true},
                       {"syncClassResult", classResults},
                       {"syncContentResult", contentResults},
                       {"version", QString::number(account.version)}};
}

QString NoteSyncHandlers::className(const Data &d, const QString &classId) const
{
    return d.classes.value(classId).name;
}

qint64 NoteSyncHandlers::addHistory(StandinState &state, StandinAccount &account, const Note &note,
                                    int actionType, const QDateTime &at, const QString *before)
{
    Data &d = data(account);
    const qint64 tId = state.newId().toLongLong();
    QJsonObject rec{{"tId", QString::number(tId)},
                    {"cId", note.cId},
                    {"classId", note.classId},
                    {"className", className(d, note.classId)},
                    {"content", note.content},
                    {"createTime", timeText(at)},
                    {"actionType", actionType},
                    {"terminalId", DesktopTerminal},
                    {"difference", QJsonValue(QJsonValue::Null)}};
    if (before) {
        const HistoryDiff diff = HistoryDiff::between(*before, note.content);
        rec.insert("content", diff.content);
        rec.insert("difference", QJsonObject{{"diffItems", diff.diffItems}});
    }
    d.history.insert(tId, rec);
    return tId;
}

qint64 NoteSyncHandlers::addCompletion(StandinState &state, StandinAccount &account, const Note &note,
                                       const QJsonObject &pushed)
{
    Data &d = data(account);
    const QString time = text(pushed.value("completedTime"));
    // A retried push brings the same completion again: it is one record.
    for (auto it = d.completions.cbegin(); it != d.completions.cend(); ++it)
        if (it->value("cId").toString() == note.cId && it->value("completedTime").toString() == time)
            return it.key();
    const qint64 tId = state.newId().toLongLong();
    QJsonObject rec = pushed;
    rec.insert("tId", QString::number(tId));
    rec.insert("cId", note.cId);
    rec.insert("classId", note.classId);
    if (!rec.value("content").isString())
        rec.insert("content", note.content);
    rec.insert("completedTime", time);
    rec.insert("terminalId", DesktopTerminal);
    d.completions.insert(tId, rec);
    return tId;
}

qint64 NoteSyncHandlers::deleteRecord(StandinAccount &account, int delType, const QString &indexId)
{
    Data &d = data(account);
    QMap<qint64, QJsonObject> *records = delType == 1 ? &d.completions : delType == 2 ? &d.history : nullptr;
    if (!records)
        return 400;
    bool ok = false;
    const qint64 tId = indexId.toLongLong(&ok);
    if (!ok || !records->remove(tId))
        return 404;
    d.recordDeletions.append({++account.version, delType, QString::number(tId)});
    return 0;
}

QJsonArray NoteSyncHandlers::page(const QMap<qint64, QJsonObject> &records, const QJsonObject &params,
                                  QString *error)
{
    error->clear();
    bool ok = true;
    const QString sizeText = text(params.value("pageSize"));
    const qint64 size = sizeText.isEmpty() ? 200 : sizeText.toLongLong(&ok);
    if (!ok || size <= 0 || size > 1000) {
        *error = QStringLiteral("pageSize 无效");
        return {};
    }
    const QString sortText = text(params.value("sortType"));
    const qint64 sortType = sortText.isEmpty() ? 1 : sortText.toLongLong(&ok);
    if (!ok || (sortType != 0 && sortType != 1)) {
        *error = QStringLiteral("sortType 无效");
        return {};
    }
    const QString indexText = text(params.value("indexId"));
    const bool hasIndex = !indexText.isEmpty();
    const qint64 index = hasIndex ? indexText.toLongLong(&ok) : 0;
    if (!ok) {
        *error = QStringLiteral("indexId 无效");
        return {};
    }
    QJsonArray out;
    if (sortType == 1) {
        auto it = hasIndex ? records.lowerBound(index) : records.cend();
        while (it != records.cbegin() && out.size() < size) {
            --it;
            out.append(*it);
        }
    } else {
        for (auto it = hasIndex ? records.upperBound(index) : records.cbegin();
             it != records.cend() && out.size() < size; ++it)
            out.append(*it);
    }
    return out;
}
