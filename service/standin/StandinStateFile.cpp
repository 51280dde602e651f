#include "service/standin/StandinStateFile.h"

#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonObject hashToJson(const QHash<QString, QString> &h)
{
    QJsonObject o;
    for (auto it = h.begin(); it != h.end(); ++it)
        o.insert(it.key(), it.value());
    return o;
}

QHash<QString, QString> hashFromJson(const QJsonObject &o)
{
    QHash<QString, QString> h;
    for (auto it = o.begin(); it != o.end(); ++it)
        h.insert(it.key(), it.value().toString());
    return h;
}

// A damaged file's number outside the 64-bit range reads as 0, not as an undefined conversion.
qint64 number(const QJsonObject &o, const char *key)
{
    const double d = o.value(QLatin1String(key)).toDouble();
    return d >= -9.2e18 && d <= 9.2e18 ? qint64(d) : 0;
}

QJsonObject categoryToJson(const NoteSyncHandlers::Category &c)
{
    return {{"classId", c.classId}, {"name", c.name},       {"backColor", c.backColor}, {"sort", c.sort},
            {"version", c.version}, {"created", c.created}, {"deleted", c.deleted}};
}

NoteSyncHandlers::Category categoryFromJson(const QJsonObject &o)
{
    NoteSyncHandlers::Category c;
    c.classId = o.value("classId").toString();
    c.name = o.value("name").toString();
    c.backColor = o.value("backColor").toString();
    c.sort = number(o, "sort");
    c.version = number(o, "version");
    c.created = number(o, "created");
    c.deleted = o.value("deleted").toBool();
    return c;
}

QJsonObject noteToJson(const NoteSyncHandlers::Note &n)
{
    return {{"cId", n.cId},
            {"classId", n.classId},
            {"content", n.content},
            {"fontColor", n.fontColor},
            {"nextId", n.nextId},
            {"isCompleted", n.isCompleted},
            {"completedTime", n.completedTime},
            {"remind", n.remind},
            {"version", n.version},
            {"created", n.created},
            {"deleted", n.deleted}};
}

NoteSyncHandlers::Note noteFromJson(const QJsonObject &o)
{
    NoteSyncHandlers::Note n;
    n.cId = o.value("cId").toString();
    n.classId = o.value("classId").toString();
    n.content = o.value("content").toString();
    n.fontColor = o.value("fontColor").toString();
    n.nextId = o.value("nextId").toString(QStringLiteral("-1"));
    n.isCompleted = o.value("isCompleted").toBool();
    n.completedTime = o.value("completedTime").toString();
    n.remind = o.value("remind").toObject();
    n.version = number(o, "version");
    n.created = number(o, "created");
    n.deleted = o.value("deleted").toBool();
    return n;
}

QJsonArray categoriesToJson(const QMap<QString, NoteSyncHandlers::Category> &m)
{
    QJsonArray a;
    for (const NoteSyncHandlers::Category &c : m)
        a.append(categoryToJson(c));
    return a;
}

QMap<QString, NoteSyncHandlers::Category> categoriesFromJson(const QJsonArray &a)
{
    QMap<QString, NoteSyncHandlers::Category> m;
    for (const QJsonValue &v : a) {
        const NoteSyncHandlers::Category c = categoryFromJson(v.toObject());
        m.insert(c.classId, c);
    }
    return m;
}

QJsonArray notesToJson(const QMap<QString, NoteSyncHandlers::Note> &m)
{
    QJsonArray a;
    for (const NoteSyncHandlers::Note &n : m)
        a.append(noteToJson(n));
    return a;
}

QMap<QString, NoteSyncHandlers::Note> notesFromJson(const QJsonArray &a)
{
    QMap<QString, NoteSyncHandlers::Note> m;
    for (const QJsonValue &v : a) {
        const NoteSyncHandlers::Note n = noteFromJson(v.toObject());
        m.insert(n.cId, n);
    }
    return m;
}

// The service's records, each with its own "tId" (the key they are kept under).
QJsonArray recordsToJson(const QMap<qint64, QJsonObject> &records)
{
    QJsonArray out;
    for (auto it = records.begin(); it != records.end(); ++it) {
        QJsonObject r = it.value();
        r.insert("tId", QString::number(it.key()));
        out.append(r);
    }
    return out;
}

QMap<qint64, QJsonObject> recordsFromJson(const QJsonArray &records)
{
    QMap<qint64, QJsonObject> out;
    for (const QJsonValue &v : records) {
        const QJsonObject r = v.toObject();
        bool ok = false;
        const qint64 tId = r.value("tId").toVariant().toString().toLongLong(&ok);
        if (ok)
            out.insert(tId, r);
    }
    return out;
}

QJsonObject dataToJson(const NoteSyncHandlers::Data &d)
{
    QJsonArray clears;
    for (const NoteSyncHandlers::Data::Clear &c : d.clears)
        clears.append(QJsonObject{{"version", c.version},
                                  {"classIds", QJsonArray::fromStringList(c.classIds)},
                                  {"timeAxis", c.timeAxis}});
    QJsonObject snapshots;
    for (auto it = d.snapshots.begin(); it != d.snapshots.end(); ++it)
        snapshots.insert(it.key(), QJsonObject{{"classes", categoriesToJson(it.value().first)},
                                               {"notes", notesToJson(it.value().second)}});
    return {{"classes", categoriesToJson(d.classes)},
            {"notes", notesToJson(d.notes)},
            {"clientIds", hashToJson(d.clientIds)},
            {"classClientIds", hashToJson(d.classClientIds)},
            {"history", recordsToJson(d.history)},
            {"completions", recordsToJson(d.completions)},
            {"clears", clears},
            {"restoreVersion", d.restoreVersion},
            {"restoreDate", d.restoreDate},
            {"snapshots", snapshots}};
}

void dataFromJson(const QJsonObject &o, NoteSyncHandlers::Data &d)
{
    d = NoteSyncHandlers::Data{};
    d.classes = categoriesFromJson(o.value("classes").toArray());
    d.notes = notesFromJson(o.value("notes").toArray());
    d.clientIds = hashFromJson(o.value("clientIds").toObject());
    d.classClientIds = hashFromJson(o.value("classClientIds").toObject());
    d.history = recordsFromJson(o.value("history").toArray());
    d.completions = recordsFromJson(o.value("completions").toArray());
    for (const QJsonValue &v : o.value("clears").toArray()) {
        const QJsonObject c = v.toObject();
        QStringList ids;
        for (const QJsonValue &id : c.value("classIds").toArray())
            ids << id.toString();
        d.clears.append({number(c, "version"), ids, c.value("timeAxis").toBool()});
    }
    d.restoreVersion = number(o, "restoreVersion");
    d.restoreDate = o.value("restoreDate").toString();
    const QJsonObject snapshots = o.value("snapshots").toObject();
    for (auto it = snapshots.begin(); it != snapshots.end(); ++it) {
        const QJsonObject s = it.value().toObject();
        d.snapshots.insert(it.key(), {categoriesFromJson(s.value("classes").toArray()),
                                      notesFromJson(s.value("notes").toArray())});
    }
}

QJsonObject accountToJson(const StandinAccount &a)
{
    QJsonObject openIds;
    for (auto it = a.openIds.begin(); it != a.openIds.end(); ++it)
        openIds.insert(it.key(), it.value());
    return {{"userId", a.userId},
            {"account", a.account},
            {"passWord", a.passWord},
            {"userKey", a.userKey},
            {"accessToken", a.accessToken},
            {"sessions", QJsonArray::fromStringList(a.sessions)},
            {"openIds", openIds},
            {"version", a.version},
            {"userInfo", a.userInfo},
            {"sysSet", a.sysSet},
            {"userInfoVersion", a.userInfoVersion},
            {"sysSetVersion", a.sysSetVersion},
            {"wifis", a.wifis},
            {"snapshots", a.snapshots},
            {"teamVersions", a.teamVersions},
            {"extra", a.extra}};
}

StandinAccount accountFromJson(const QJsonObject &o)
{
    StandinAccount a;
    a.userId = o.value("userId").toString();
    a.account = o.value("account").toString();
    a.passWord = o.value("passWord").toString();
    a.userKey = o.value("userKey").toString();
    a.accessToken = o.value("accessToken").toString();
    for (const QJsonValue &v : o.value("sessions").toArray())
        a.sessions << v.toString();
    a.openIds = hashFromJson(o.value("openIds").toObject());
    a.version = number(o, "version");
    a.userInfo = o.value("userInfo").toObject();
    a.sysSet = o.value("sysSet").toObject();
    a.userInfoVersion = number(o, "userInfoVersion");
    a.sysSetVersion = number(o, "sysSetVersion");
    a.wifis = o.value("wifis").toArray();
    a.snapshots = o.value("snapshots").toArray();
    a.teamVersions = o.value("teamVersions").toArray();
    a.extra = o.value("extra").toObject();
    return a;
}

constexpr int FormatVersion = 1;

} // namespace

bool StandinStateFile::save(const QString &file, const StandinState &state, NoteSyncHandlers &notes,
                            QString *error)
{
    QJsonArray accounts;
    for (const StandinAccount &a : state.accounts) {
        QJsonObject o = accountToJson(a);
        o.insert("notes", dataToJson(notes.data(a)));
        accounts.append(o);
    }
    QJsonObject images;
    for (auto it = state.images.begin(); it != state.images.end(); ++it)
        images.insert(it.key(), QString::fromLatin1(it.value().toBase64()));
    QJsonObject oauth;
    for (auto it = state.oauthStates.begin(); it != state.oauthStates.end(); ++it)
        oauth.insert(it.key(), it.value());
    const QJsonObject root{{"format", FormatVersion},
                           {"accounts", accounts},
                           {"autoJumpKey", state.autoJumpKey},
                           {"terminals", state.terminals},
                           {"oauthStates", oauth},
                           {"nextId", state.nextId},
                           {"images", images}};
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    out.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool StandinStateFile::load(const QString &file, StandinState &state, NoteSyncHandlers &notes, QString *error)
{
    auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString());
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return failed(QStringLiteral("not a state file: %1").arg(parse.errorString()));
    const QJsonObject root = doc.object();
    if (root.value("format").toInt() != FormatVersion)
        return failed(QStringLiteral("unknown state format %1").arg(root.value("format").toInt()));

    StandinState loaded;
    loaded.autoJumpKey = root.value("autoJumpKey").toString(loaded.autoJumpKey);
    loaded.terminals = root.value("terminals").toArray();
    const QJsonObject oauth = root.value("oauthStates").toObject();
    for (auto it = oauth.begin(); it != oauth.end(); ++it)
        loaded.oauthStates.insert(it.key(), it.value().toObject());
    loaded.nextId = number(root, "nextId");
    const QJsonObject images = root.value("images").toObject();
    for (auto it = images.begin(); it != images.end(); ++it)
        loaded.images.insert(it.key(), QByteArray::fromBase64(it.value().toString().toLatin1()));
    QList<QPair<QString, QJsonObject>> data;
    for (const QJsonValue &v : root.value("accounts").toArray()) {
        const QJsonObject o = v.toObject();
        StandinAccount a = accountFromJson(o);
        if (a.userId.isEmpty() || a.account.isEmpty())
            return failed(QStringLiteral("an account without id or name"));
        data.append({a.userId, o.value("notes").toObject()});
        loaded.accounts.append(a);
    }
    state = loaded;
    for (int i = 0; i < state.accounts.size(); ++i)
        dataFromJson(data.at(i).second, notes.data(state.accounts.at(i)));
    return true;
}
