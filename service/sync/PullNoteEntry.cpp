#include "service/sync/PullNoteEntry.h"

#include "platform/base/Missing.h"
#include "service/api/ReplyValue.h"
#include "service/sync/PullReplyKeys.h"
#include "service/sync/PullReplyReader.h"

bool PullNoteEntry::read(const QJsonValue &value)
{
    entry = value.toObject();
    const QJsonValue cIdValue = entry.value(PullReplyKeys::cId);
    const QJsonValue actionValue = entry.value(PullReplyKeys::actionType);
    const QJsonValue detailValue = entry.value(PullReplyKeys::detail);
    detail = detailValue.toObject();
    remindSetting = detail.value(PullReplyKeys::remindSetting);
    classId = ReplyValue::idText(detail.value(PullReplyKeys::classId));
    cId = ReplyValue::idText(cIdValue);
    action = ReplyValue::code(actionValue);
    besideDetail =
        entry.size() != !cIdValue.isUndefined() + !actionValue.isUndefined() + !detailValue.isUndefined();
    return value.isObject() && (Missing::isMissing(detailValue) || detailValue.isObject());
}

QJsonObject PullNoteEntry::besideValues() const
{
    return PullReplyReader::valuesBeside(entry, PullReplyKeys::cId);
}
