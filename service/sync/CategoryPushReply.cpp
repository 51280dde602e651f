#include "service/sync/CategoryPushReply.h"

#include "core/model/Classify.h"
#include "core/model/RowAction.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"
#include "service/api/ReplyValue.h"
#include "service/sync/SyncNotesManager.h"

#include <QJsonArray>

namespace {

QJsonArray classResults(const QJsonObject &data)
{
    const QJsonValue v = data.value(QStringLiteral("syncClassResult"));
    if (v.isArray())
        return v.toArray();
    return v.toObject().value(QStringLiteral("datas")).toArray();
}

} // namespace

CategoryPushReply CategoryPushReply::apply(const SyncNotesManager &notes, bool answered,
                                           const BaseSuccessModel &reply)
{
    CategoryPushReply out;
    if (!answered || reply.code != 200 || !reply.hasObjectData())
        return out;
    const QJsonObject data = reply.dataObject();
    const QJsonArray results = classResults(data);
    bool applied =
        notes.syncPushDatas(reply, [&out](const QStringList &messages) { out.refusals = messages; });
    if (!applied)
        return out;
    if (results.isEmpty() || !results.first().isObject()) {
        out.outcome = Outcome::Refused;
        if (out.refusals.isEmpty())
            out.refusals << SyncNotesManager::refusedWithoutReasonText();
        return out;
    }
    if (!out.refusals.isEmpty()) {
        out.outcome = Outcome::Refused;
        return out;
    }
    out.classId = ReplyValue::idText(results.first().toObject().value(QStringLiteral("classId")));
    if (out.classId.isEmpty()) {
        out.outcome = Outcome::Refused;
        out.refusals << SyncNotesManager::refusedWithoutReasonText();
        return out;
    }
    out.outcome = Outcome::Accepted;
    out.version = ReplyValue::idText(data.value(QStringLiteral("version")));
    // A reply without "version" keeps the one we have: storing nothing would
    // make the next pull fetch everything.
    if (!out.version.isEmpty()) {
        UserDefaults::setValue(SignInKeys::Version, out.version);
        UserDefaults::sync();
    }
    return out;
}

Classify *CategoryPushReply::acceptedRow(Context *ctx, bool *created) const
{
    auto *row = ctx->findFirstByAttribute<Classify>(QStringLiteral("classId"), classId);
    if (created)
        *created = !row;
    if (row)
        return row;
    row = ctx->create<Classify>();
    row->setClassId(classId);
    row->setActionType(RowAction::Added);
    row->setVersion(version.isEmpty() ? UserDefaults::string(SignInKeys::Version) : version);
    return row;
}
