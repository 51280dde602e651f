#include "service/standin/HistoryDiff.h"

#include <QJsonObject>

namespace {
QJsonObject span(int type, qsizetype start, qsizetype length)
{
    return QJsonObject{{"diffType", type}, {"diffStartIndex", qint64(start)}, {"diffLength", qint64(length)}};
}
} // namespace

HistoryDiff HistoryDiff::between(const QString &before, const QString &after)
{
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix))
        ++prefix;
    // Back off to a whole character: a common high surrogate alone is no prefix.
    if (prefix > 0 && before.at(prefix - 1).isHighSurrogate())
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    if (suffix > 0 && before.at(before.size() - suffix).isLowSurrogate())
        --suffix;

    const QString removed = before.mid(prefix, before.size() - prefix - suffix);
    const QString added = after.mid(prefix, after.size() - prefix - suffix);
    HistoryDiff d;
    d.content = after.left(prefix) + removed + added + after.right(suffix);
    if (!removed.isEmpty())
        d.diffItems.append(span(Removed, prefix, removed.size()));
    if (!added.isEmpty())
        d.diffItems.append(span(Added, prefix + removed.size(), added.size()));
    return d;
}
