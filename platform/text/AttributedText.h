#pragma once

#include "platform/text/TextRange.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTextFormat>

class QTextDocument;

// Styles ranges of a rich text document. Ranges are UTF-16 indices of the
// document's plain text; each is clamped to the text (taking whole surrogate
// pairs) and empty ones are skipped, so a stale or foreign span never stops the rest of a list.
// Attributes are merged into what is already there, and every styling call
// returns *this so that calls chain:
//   AttributedText(doc).lp_changeColorWithRangeArray(r, grey).lp_addMiddleLineWithRangeArray(r, grey);
class AttributedText
{
public:
    // The colour of a strike-through line, kept on the characters for
    // painters that draw it apart from the text colour.
    static constexpr int StrikeOutColorProperty = QTextFormat::UserProperty + 1;

    explicit AttributedText(QTextDocument *document);

    QTextDocument *document() const { return m_document; }

    // Every occurrence of `subString`: the first found case-sensitively, the
    // following ones (after the end of the previous) case-insensitively.
    // Empty when the sub-string is empty or does not occur.
    static TextRangeList lp_getRangeWithTotalString(const QString &totalString, const QString &subString);

    AttributedText &lp_addMiddleLineWithRangeArray(const TextRangeList &ranges, const QColor &lineColor);
    AttributedText &lp_changeColorWithRangeArray(const TextRangeList &ranges, const QColor &textColor);
    // Letter spacing in pixels, taken as a signed 8-bit value.
    AttributedText &lp_changeSpaceWithRangeArray(const TextRangeList &ranges, double space);
    AttributedText &lp_changeLineSpaceWithRangeArray(const TextRangeList &ranges, double lineSpace);
    AttributedText &lp_changeFontSizeWithRangeArray(const TextRangeList &ranges, double fontSize);
    // A link whose target is the document's own text.
    AttributedText &lp_addUrlLinkWithRangeArray(const TextRangeList &ranges);
    AttributedText &lp_addUnderlineWithRangeArray(const TextRangeList &ranges, const QColor &lineColor,
                                                  double lineSpacing);
    // ranges[i] becomes a red link to links[i], all in one edit block. Extra
    // entries of the longer list are ignored.
    AttributedText &lp_addLinkUrlWithValues(const TextRangeList &ranges, const QStringList &links);

private:
    template <typename Fn> void forEachRange(const TextRangeList &ranges, Fn fn);

    QTextDocument *m_document;
};
