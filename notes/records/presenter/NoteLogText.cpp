#include "notes/records/presenter/NoteLogText.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr quint8 RemovedBit = 1;
constexpr quint8 AddedBit = 2;

// A span's number as a signed index; anything that is no finite number is none.
std::optional<qsizetype> indexValue(const QVariant &value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    // Far beyond any text: the clamp takes it to the text's end either way.
    constexpr double limit = double(std::numeric_limits<qint32>::max());
    return qsizetype(std::clamp(std::trunc(d), -limit, limit));
}

} // namespace

TextRangeList NoteLogText::rangesOf(const QString &text, const QVariant &diffItems, int type)
{
    TextRangeList out;
    const QVariantList items = diffItems.toList();
    for (const QVariant &item : items) {
        const QVariantMap span = item.toMap();
        bool typed = false;
        if (span.value(QStringLiteral("diffType")).toInt(&typed) != type || !typed)
            continue;
        const auto start = indexValue(span.value(QStringLiteral("diffStartIndex")));
        const auto length = indexValue(span.value(QStringLiteral("diffLength")));
        if (!start || !length)
            continue;
        const TextRange r = TextRange{*start, *length}.clampedToText(text);
        if (!r.isEmpty())
            out.append(r);
    }
    return out;
}

NoteLogText NoteLogText::build(const QString &content, const QVariant &diffItems, int actionType)
{
    NoteLogText out;
    out.m_text = content;
    if (content.isEmpty())
        return out;
    std::vector<quint8> marks(size_t(content.size()), 0);
    if (diffItems.isValid() && !diffItems.isNull()) {
        for (const TextRange &r : rangesOf(content, diffItems, Removed))
            for (qsizetype i = r.location; i < r.end(); ++i)
                marks[size_t(i)] |= RemovedBit;
        for (const TextRange &r : rangesOf(content, diffItems, Added))
            for (qsizetype i = r.location; i < r.end(); ++i)
                marks[size_t(i)] |= AddedBit;
    } else if (actionType == 3) {
        std::fill(marks.begin(), marks.end(), RemovedBit);
    }
    qsizetype start = 0;
    for (qsizetype i = 1; i <= content.size(); ++i) {
        if (i < content.size() && marks[size_t(i)] == marks[size_t(start)])
            continue;
        const quint8 m = marks[size_t(start)];
        Run run{start, i - start, QColor(), (m & RemovedBit) != 0};
        // The added colour is laid over the removed grey, as the spans are applied in that order.
        if (m & AddedBit)
            run.color = addedColor();
        else if (m & RemovedBit)
            run.color = removedColor();
        out.m_runs.append(run);
        start = i;
    }
    return out;
}

bool NoteLogText::isPlain() const
{
    for (const Run &r : m_runs)
        if (r.color.isValid() || r.struck)
            return false;
    return true;
}

QList<QTextLayout::FormatRange> NoteLogText::formats() const
{
    QList<QTextLayout::FormatRange> out;
    for (const Run &r : m_runs) {
        if (!r.color.isValid())
            continue;
        QTextLayout::FormatRange f;
        f.start = int(r.start);
        f.length = int(r.length);
        f.format.setForeground(r.color);
        out.append(f);
    }
    return out;
}
