#pragma once

#include <QList>
#include <QStringView>
#include <QtGlobal>

#include <algorithm>

// A span of text in UTF-16 units (QString's own indices).
struct TextRange
{
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    bool isEmpty() const { return length <= 0; }

    // The part of this range that lies inside a text of `textLength` units.
    // Ranges from outside (service spans, stale selections) may point anywhere.
    TextRange clampedTo(qsizetype textLength) const
    {
        if (length <= 0 || textLength <= 0)
            return {std::clamp<qsizetype>(location, 0, std::max<qsizetype>(textLength, 0)), 0};
        const qsizetype start = std::clamp<qsizetype>(location, 0, textLength);
        // Avoid overflow when length is huge.
        const qsizetype stop =
            location > textLength - length ? textLength : std::max(location + length, start);
        return {start, std::max<qsizetype>(std::min(stop, textLength) - start, 0)};
    }

    // clampedTo(text.size()), widened so that no end falls between the two
    // halves of a surrogate pair; an empty range moves to the pair's start.
    TextRange clampedToText(QStringView text) const
    {
        const TextRange r = clampedTo(text.size());
        const auto insidePair = [text](qsizetype at) {
            return at > 0 && at < text.size() && text[at - 1].isHighSurrogate() && text[at].isLowSurrogate();
        };
        const qsizetype start = insidePair(r.location) ? r.location - 1 : r.location;
        if (r.length == 0)
            return {start, 0};
        const qsizetype stop = insidePair(r.end()) ? r.end() + 1 : r.end();
        return {start, stop - start};
    }

    friend bool operator==(const TextRange &a, const TextRange &b)
    {
        return a.location == b.location && a.length == b.length;
    }
};

using TextRangeList = QList<TextRange>;
