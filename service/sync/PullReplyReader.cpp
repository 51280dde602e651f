#include "service/sync/PullReplyReader.h"

#include "platform/base/Missing.h"
#include "service/api/ReplyValue.h"
#include "service/sync/PullNoteEntry.h"
#include "service/sync/PullReplyKeys.h"

#include <QThread>

#include <algorithm>
#include <system_error>
#include <thread>

using namespace PullReplyKeys;

QJsonObject PullReplyReader::valuesBeside(const QJsonObject &entry, QLatin1StringView keyName)
{
    QJsonObject values = entry;
    values.remove(keyName);
    values.remove(actionType);
    values.remove(detail);
    return values;
}

bool PullReplyReader::isObjectOrMissing(const QJsonValue &v)
{
    return Missing::isMissing(v) || v.isObject();
}

bool PullReplyReader::sectionEntries(const QJsonValue &section, QString *error, const char *name,
                                     QJsonArray *entries)
{
    if (Missing::isMissing(section))
        return true;
    if (!section.isObject()) {
        *error = QStringLiteral("%1 is not an object").arg(QLatin1String(name));
        return false;
    }
    const QJsonValue list = section.toObject().value(datas);
    if (Missing::isMissing(list))
        return true;
    if (!list.isArray()) {
        *error = QStringLiteral("%1.datas is not a list").arg(QLatin1String(name));
        return false;
    }
    *entries = list.toArray();
    return true;
}

bool PullReplyReader::listOfObjects(const QJsonValue &section, QString *error, const char *name)
{
    QJsonArray entries;
    if (!sectionEntries(section, error, name, &entries))
        return false;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        if (!(*it).isObject()) {
            *error = QStringLiteral("%1.datas holds an entry that is not an object").arg(QLatin1String(name));
            return false;
        }
    }
    return true;
}

QString PullReplyReader::noteEntryError(const QJsonValue &entry)
{
    return entry.isObject() ? QStringLiteral("a note entry's detail is not an object")
                            : QStringLiteral("%1.datas holds an entry that is not an object")
                                  .arg(QLatin1String(notesSection));
}

bool PullReplyReader::readNoteEntries(const QJsonObject &data, std::vector<PullNoteEntry> *out,
                                      QString *error)
{
    QJsonArray entries;
    if (!sectionEntries(data.value(QLatin1String(notesSection)), error, notesSection, &entries))
        return false;
    const qsizetype count = entries.size();
    out->resize(size_t(count));
    // Each part reads its own copy of the list and notes its first bad entry.
    auto readPart = [out](QJsonArray list, qsizetype from, qsizetype to, qsizetype *bad) {
        for (qsizetype i = from; i < to; ++i) {
            if (!(*out)[size_t(i)].read(list.at(i))) {
                *bad = i;
                return;
            }
        }
    };
    constexpr qsizetype kPerPart = 1000;
    const qsizetype parts = std::clamp<qsizetype>(count / kPerPart, 1, qMin(QThread::idealThreadCount(), 4));
    std::vector<qsizetype> bad(size_t(parts), -1);
    {
        std::vector<std::jthread> helpers;
        for (qsizetype p = 1; p < parts; ++p) {
            const qsizetype from = count * p / parts, to = count * (p + 1) / parts;
            try {
                helpers.emplace_back(readPart, entries, from, to, &bad[size_t(p)]);
            } catch (const std::system_error &) {
                readPart(entries, from, to, &bad[size_t(p)]); // no thread to be had: read it here
            }
        }
        readPart(entries, 0, count / parts, &bad[0]);
    }
    for (const qsizetype i : bad) {
        if (i < 0)
            continue;
        *error = noteEntryError(entries.at(i));
        out->clear();
        return false;
    }
    return true;
}

bool PullReplyReader::checkShape(const QJsonObject &data, QString *error, bool notes)
{
    for (const char *key :
         {"SnapshotRestoreResult", "syncClearDataResult", "syncUserInfoResult", "syncUserSetResult"}) {
        if (!isObjectOrMissing(data.value(QLatin1String(key)))) {
            *error = QStringLiteral("%1 is not an object").arg(QLatin1String(key));
            return false;
        }
    }
    for (const char *key : {"syncUserInfoResult", "syncUserSetResult"}) {
        const QJsonObject s = data.value(QLatin1String(key)).toObject();
        if (ReplyValue::isTrue(s.value(QStringLiteral("isChange"))) && !isObjectOrMissing(s.value(detail))) {
            *error = QStringLiteral("%1.detail is not an object").arg(QLatin1String(key));
            return false;
        }
    }
    if (!listOfObjects(data.value(QStringLiteral("syncContentLogDelResult")), error,
                       "syncContentLogDelResult") ||
        !listOfObjects(data.value(QStringLiteral("syncUserWifiResult")), error, "syncUserWifiResult") ||
        !listOfObjects(data.value(QStringLiteral("syncClassResult")), error, "syncClassResult"))
        return false;
    if (!notes)
        return true;
    QJsonArray entries;
    if (!sectionEntries(data.value(QLatin1String(notesSection)), error, notesSection, &entries))
        return false;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const QJsonValue v = *it;
        if (!v.isObject() || !isObjectOrMissing(v.toObject().value(detail))) {
            *error = noteEntryError(v);
            return false;
        }
    }
    return true;
}
