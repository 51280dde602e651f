#pragma once

#include "platform/text/TextRange.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <QVariant>

// The text of an edit-history record with its change spans marked, as runs a
// painter draws: added text in blue, removed text in grey and struck through
// in red (a span both removed and added is blue and struck). The service's
// spans are UTF-16 ranges of the record's content; each is clamped to the text
// and never ends inside a surrogate pair, so a bad span marks less, never
// stops the row. Without spans a deleted record is struck through whole.
class NoteLogText
{
public:
    enum SpanType
    {
        Added = 1,
        Removed = 2,
    };
    struct Run
    {
        qsizetype start = 0;
        qsizetype length = 0;
        QColor color;        // invalid: the row's own text colour
        bool struck = false; // struck through in strikeColor()
        bool operator==(const Run &) const = default;
    };

    static QColor addedColor() { return QColor(0x24, 0x8f, 0xd8); }
    static QColor removedColor() { return QColor(0x99, 0x99, 0x99); }
    static QColor strikeColor() { return QColor(0xe3, 0x5d, 0x5d); }

    NoteLogText() = default;
    // `diffItems` is the record's list of spans ("diffType", "diffStartIndex",
    // "diffLength"); an invalid QVariant means the record has none.
    static NoteLogText build(const QString &content, const QVariant &diffItems, int actionType);
    // The spans of a list, clamped to `text`, of one type; entries that are no
    // span (no numbers, another type) are skipped.
    static TextRangeList rangesOf(const QString &text, const QVariant &diffItems, int type);

    const QString &text() const { return m_text; }
    // Runs that cover the text from its start to its end, in order; none for an empty text.
    const QList<Run> &runs() const { return m_runs; }
    bool isPlain() const;
    // Colour formats of the marked runs, for a QTextLayout of text().
    QList<QTextLayout::FormatRange> formats() const;

    bool operator==(const NoteLogText &) const = default;

private:
    QString m_text;
    QList<Run> m_runs;
};
