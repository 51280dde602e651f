#include "service/sync/PullAccountSections.h"

#include "core/model/DeletedRecord.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteLog.h"
#include "core/model/RowAction.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "platform/store/Context.h"
#include "service/api/ReplyValue.h"
#include "service/sync/PullReplyKeys.h"

#include <QHash>
#include <QList>
#include <QSet>

using namespace PullReplyKeys;

UserInfo *PullAccountSections::currentUser(Context &ctx, qint64 userId, bool create)
{
    if (userId == 0)
        return nullptr;
    UserInfo *u = ctx.findFirstByAttribute<UserInfo>(QStringLiteral("userId"), userId);
    if (!u && create) {
        u = ctx.create<UserInfo>();
        u->setValue(QStringLiteral("userId"), userId);
    }
    return u;
}

bool PullAccountSections::listHasElement(const QString &commaList, const QString &value)
{
    for (const QString &part : commaList.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (part.trimmed() == value)
            return true;
    }
    return false;
}

void PullAccountSections::deleteRecords(Context &ctx, const QJsonArray &entries)
{
    for (const QJsonValue &v : entries) {
        const QJsonObject d = v.toObject();
        const int type = ReplyValue::code(d.value(QStringLiteral("delType")));
        const QString tId = ReplyValue::idText(d.value(QStringLiteral("indexId")));
        if (tId.isEmpty())
            continue;
        if (type == DeletedRecord::History)
            ctx.deleteObject(ctx.findFirstByAttribute<NoteLog>(QStringLiteral("tId"), tId));
        else if (type == DeletedRecord::Completion)
            ctx.deleteObject(ctx.findFirstByAttribute<NoteComplete>(QStringLiteral("tId"), tId));
    }
}

void PullAccountSections::importProfile(Context &ctx, const QJsonObject &info, qint64 userId)
{
    if (!ReplyValue::isTrue(info.value(QStringLiteral("isChange"))))
        return;
    UserInfo *u = currentUser(ctx, userId, true);
    if (!u)
        u = ctx.findFirstWhere<UserInfo>();
    if (!u)
        u = ctx.create<UserInfo>();
    u->importValuesForKeys(info.value(detail).toObject());
    if (userId != 0)
        u->setValue(QStringLiteral("userId"), userId);
}

void PullAccountSections::importSettings(Context &ctx, const QJsonObject &set, qint64 userId)
{
    if (!ReplyValue::isTrue(set.value(QStringLiteral("isChange"))))
        return;
    UserSet *s = ctx.findFirstWhere<UserSet>();
    if (!s)
        s = ctx.create<UserSet>();
    s->importValuesForKeys(set.value(detail).toObject());
    UserInfo *u = currentUser(ctx, userId, false);
    if (u && listHasElement(u->syncSettings(), QStringLiteral("1"))) {
        // An unknown skin name keeps the current skin.
        if (UISkin *skin = ctx.findFirstByAttribute<UISkin>(QStringLiteral("nameId"), s->newSkinColor())) {
            for (UISkin *k : ctx.findAll<UISkin>()) {
                if (k->isCurrSkin() != (k == skin))
                    k->setIsCurrSkin(k == skin);
            }
        }
    }
}

void PullAccountSections::importNetworks(Context &ctx, const QJsonArray &wifis)
{
    if (wifis.isEmpty())
        return;
    // The list replaces the saved networks, matched by "wifiId" so that kept
    // rows keep their keys.
    QHash<QString, WiFiRemind *> saved;
    QList<WiFiRemind *> unkeyed;
    for (WiFiRemind *w : ctx.findAll<WiFiRemind>()) {
        if (w->wifiId().isEmpty() || saved.contains(w->wifiId()))
            unkeyed.append(w);
        else
            saved.insert(w->wifiId(), w);
    }
    QSet<WiFiRemind *> listed;
    for (const QJsonValue &v : wifis) {
        const QJsonObject w = v.toObject();
        if (ReplyValue::code(w.value(actionType)) == RowAction::Deleted)
            continue;
        const QJsonObject values = w.value(detail).toObject();
        QString wifiId = ReplyValue::idText(values.value(QStringLiteral("wifiId")));
        if (wifiId.isEmpty())
            wifiId = ReplyValue::idText(w.value(QStringLiteral("wifiId")));
        WiFiRemind *row = wifiId.isEmpty() ? nullptr : saved.value(wifiId);
        if (!row || listed.contains(row)) {
            row = ctx.create<WiFiRemind>();
            if (!wifiId.isEmpty())
                saved.insert(wifiId, row);
        }
        listed.insert(row);
        row->importValuesForKeys(w);
        row->importValuesForKeys(values);
    }
    for (WiFiRemind *w : std::as_const(saved)) {
        if (!listed.contains(w))
            ctx.deleteObject(w);
    }
    for (WiFiRemind *w : std::as_const(unkeyed))
        ctx.deleteObject(w);
}
