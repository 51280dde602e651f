#include "platform/text/AttributedText.h"

#include <QFontDatabase>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

AttributedText::AttributedText(QTextDocument *document) : m_document(document) {}

TextRangeList AttributedText::lp_getRangeWithTotalString(const QString &totalString, const QString &subString)
{
    TextRangeList found;
    if (subString.isEmpty())
        return found;
    qsizetype at = totalString.indexOf(subString, 0, Qt::CaseSensitive);
    while (at >= 0) {
        found.append({at, subString.size()});
        at = totalString.indexOf(subString, at + subString.size(), Qt::CaseInsensitive);
    }
    return found;
}

template <typename Fn> void AttributedText::forEachRange(const TextRangeList &ranges, Fn fn)
{
    if (!m_document)
        return;
    // Positions are those of the plain text (the end-of-document marker is not text).
    const QString text = m_document->toPlainText();
    for (const TextRange &range : ranges) {
        const TextRange r = range.clampedToText(text);
        if (r.isEmpty())
            continue;
        QTextCursor cursor(m_document);
        cursor.setPosition(int(r.location));
        cursor.setPosition(int(r.end()), QTextCursor::KeepAnchor);
        fn(cursor);
    }
}

namespace {

// The whole part of the number wrapped into a signed byte (-128 ... 127);
// fmod is exact, so also numbers beyond any integer type wrap correctly.
qint8 signedByte(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<qint8>(
        static_cast<quint8>(static_cast<int>(std::fmod(std::trunc(value), 256.0)) & 0xFF));
}

// Negative or non-finite spacings would break the layout; they mean none.
double usableSpacing(double value)
{
    return std::isfinite(value) && value > 0 ? value : 0;
}

void mergeChar(QTextCursor &cursor, const QTextCharFormat &format)
{
    cursor.mergeCharFormat(format);
}

void mergeLineSpacing(QTextCursor &cursor, double lineSpace)
{
    QTextBlockFormat block;
    block.setLineHeight(usableSpacing(lineSpace), QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(block);
}

} // namespace

AttributedText &AttributedText::lp_addMiddleLineWithRangeArray(const TextRangeList &ranges,
                                                               const QColor &lineColor)
{
    QTextCharFormat f;
    f.setFontStrikeOut(true);
    f.setVerticalAlignment(QTextCharFormat::AlignNormal);
    if (lineColor.isValid())
        f.setProperty(StrikeOutColorProperty, lineColor);
    forEachRange(ranges, [&](QTextCursor &c) { mergeChar(c, f); });
    return *this;
}

AttributedText &AttributedText::lp_changeColorWithRangeArray(const TextRangeList &ranges,
                                                             const QColor &textColor)
{
    QTextCharFormat f;
    f.setForeground(textColor);
    forEachRange(ranges, [&](QTextCursor &c) { mergeChar(c, f); });
    return *this;
}

AttributedText &AttributedText::lp_changeSpaceWithRangeArray(const TextRangeList &ranges, double space)
{
    QTextCharFormat f;
    f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    f.setFontLetterSpacing(signedByte(space));
    forEachRange(ranges, [&](QTextCursor &c) { mergeChar(c, f); });
    return *this;
}

AttributedText &AttributedText::lp_changeLineSpaceWithRangeArray(const TextRangeList &ranges,
                                                                 double lineSpace)
{
    forEachRange(ranges, [&](QTextCursor &c) { mergeLineSpacing(c, lineSpace); });
    return *this;
}

AttributedText &AttributedText::lp_changeFontSizeWithRangeArray(const TextRangeList &ranges, double fontSize)
{
    QTextCharFormat f;
    f.setFontFamilies({QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    if (std::isfinite(fontSize) && fontSize > 0)
        f.setFontPointSize(fontSize);
    forEachRange(ranges, [&](QTextCursor &c) { mergeChar(c, f); });
    return *this;
}

AttributedText &AttributedText::lp_addUrlLinkWithRangeArray(const TextRangeList &ranges)
{
    if (!m_document)
        return *this;
    QTextCharFormat f;
    f.setAnchor(true);
    f.setAnchorHref(m_document->toPlainText());
    forEachRange(ranges, [&](QTextCursor &c) { mergeChar(c, f); });
    return *this;
}

AttributedText &AttributedText::lp_addUnderlineWithRangeArray(const TextRangeList &ranges,
                                                              const QColor &lineColor, double lineSpacing)
{
    QTextCharFormat f;
    f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    if (lineColor.isValid())
        f.setUnderlineColor(lineColor);
    forEachRange(ranges, [&](QTextCursor &c) {
        mergeChar(c, f);
        mergeLineSpacing(c, lineSpacing);
    });
    return *this;
}

AttributedText &AttributedText::lp_addLinkUrlWithValues(const TextRangeList &ranges, const QStringList &links)
{
    if (!m_document)
        return *this;
    QTextCursor block(m_document);
    block.beginEditBlock();
    const qsizetype n = std::min(ranges.size(), links.size());
    const QString text = m_document->toPlainText();
    for (qsizetype i = 0; i < n; ++i) {
        const TextRange r = ranges.at(i).clampedToText(text);
        if (r.isEmpty())
            continue;
        QTextCharFormat f;
        f.setAnchor(true);
        f.setAnchorHref(links.at(i));
        f.setForeground(QColor(Qt::red));
        // One cursor for all, so that the edits form a single block.
        block.setPosition(int(r.location));
        block.setPosition(int(r.end()), QTextCursor::KeepAnchor);
        block.mergeCharFormat(f);
    }
    block.endEditBlock();
    return *this;
}
