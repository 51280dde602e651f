#include "platform/text/AttributedText.h"
#include "tests/support/TestEnv.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(TextRangeList)

namespace {
QTextCharFormat formatAt(QTextDocument &doc, int position)
{
    // The format of the character at `position` (a cursor reports the one before it).
    QTextCursor c(&doc);
    c.setPosition(position + 1);
    return c.charFormat();
}
} // namespace

class TestAttributedText : public QObject
{
    Q_OBJECT
private slots:
    void findRanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sub");
        QTest::addColumn<TextRangeList>("expected");
        QTest::newRow("lower: later hits ignore case") << "aAa"
                                                       << "a" << TextRangeList{{0, 1}, {1, 1}, {2, 1}};
        QTest::newRow("upper: first hit is case-sensitive") << "aAa"
                                                            << "A" << TextRangeList{{1, 1}, {2, 1}};
        QTest::newRow("empty sub-string") << "abc"
                                          << "" << TextRangeList{};
        QTest::newRow("not found") << "abc"
                                   << "x" << TextRangeList{};
        QTest::newRow("empty text") << ""
                                    << "a" << TextRangeList{};
        QTest::newRow("no overlapping hits") << "aaa"
                                             << "aa" << TextRangeList{{0, 2}};
        QTest::newRow("emoji in UTF-16 units")
            << QString::fromUtf8("x😀y😀") << QString::fromUtf8("😀") << TextRangeList{{1, 2}, {4, 2}};
        QTest::newRow("chinese among latin") << QString::fromUtf8("《用户协议》和《隐私政策》")
                                             << QString::fromUtf8("《") << TextRangeList{{0, 1}, {7, 1}};
    }
    void findRanges()
    {
        QFETCH(QString, text);
        QFETCH(QString, sub);
        QFETCH(TextRangeList, expected);
        QCOMPARE(AttributedText::lp_getRangeWithTotalString(text, sub), expected);
    }

    void rangesAreClampedAndABadOneDoesNotStopTheList()
    {
        QTextDocument doc;
        doc.setPlainText("abcdef");
        AttributedText(&doc).lp_changeColorWithRangeArray({{4, 100}, {50, 2}, {-3, 4}, {2, 0}}, Qt::red);
        const QColor red(Qt::red);
        QCOMPARE(formatAt(doc, 0).foreground().color(), red);  // from {-3, 4}
        QVERIFY(formatAt(doc, 2).foreground().color() != red); // {2, 0} is empty
        QCOMPARE(formatAt(doc, 4).foreground().color(), red);
        QCOMPARE(formatAt(doc, 5).foreground().color(), red);
        QCOMPARE(doc.toPlainText(), QString("abcdef"));
    }

    void rangesTakeWholeSurrogatePairs()
    {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8("a😀b😀"));
        AttributedText text(&doc);
        text.lp_changeColorWithRangeArray({{2, 1}}, Qt::red)   // low half of the first
            .lp_changeColorWithRangeArray({{4, 1}}, Qt::blue); // high half of the second
        QCOMPARE(formatAt(doc, 1).foreground().color(), QColor(Qt::red));
        QCOMPARE(formatAt(doc, 2).foreground().color(), QColor(Qt::red));
        QVERIFY(formatAt(doc, 3).foreground().color() != QColor(Qt::red));
        QCOMPARE(formatAt(doc, 4).foreground().color(), QColor(Qt::blue));
        QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(Qt::blue));
        text.lp_addLinkUrlWithValues({{5, 0x7fffffff}}, {"https://a.example/"}); // low half, overflowing
        QCOMPARE(formatAt(doc, 4).anchorHref(), QString("https://a.example/"));
        QCOMPARE(formatAt(doc, 5).anchorHref(), QString("https://a.example/"));
        QVERIFY(!formatAt(doc, 3).isAnchor());
        QCOMPARE(doc.toPlainText(), QString::fromUtf8("a😀b😀"));
    }

    void callsChainAndMergeAttributes()
    {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8("完成😀ab\ncd"));
        AttributedText text(&doc);
        AttributedText &same = text.lp_changeColorWithRangeArray({{0, 4}}, Qt::gray)
                                   .lp_addMiddleLineWithRangeArray({{2, 2}}, Qt::gray)
                                   .lp_changeColorWithRangeArray({{7, 2}}, Qt::blue);
        QCOMPARE(&same, &text);
        const QTextCharFormat emoji = formatAt(doc, 2);
        QVERIFY(emoji.fontStrikeOut());
        QCOMPARE(emoji.foreground().color(), QColor(Qt::gray)); // colour kept under the strike
        QCOMPARE(emoji.property(AttributedText::StrikeOutColorProperty).value<QColor>(), QColor(Qt::gray));
        QVERIFY(!formatAt(doc, 0).fontStrikeOut());
        // Indices after a line break are the plain text's indices.
        QCOMPARE(formatAt(doc, 7).foreground().color(), QColor(Qt::blue));
        QCOMPARE(formatAt(doc, 8).foreground().color(), QColor(Qt::blue));
    }

    void emptyListChangesNothing()
    {
        QTextDocument doc;
        doc.setPlainText("abc");
        const QString before = doc.toHtml();
        AttributedText text(&doc);
        QCOMPARE(&text.lp_addUnderlineWithRangeArray({}, Qt::red, 4), &text);
        QCOMPARE(&text.lp_addLinkUrlWithValues({}, {}), &text);
        QCOMPARE(doc.toHtml(), before);
        QCOMPARE(doc.availableUndoSteps(), 0);
    }

    void underlineSetsLineAndSpacing()
    {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8("忘记密码？"));
        AttributedText(&doc).lp_addUnderlineWithRangeArray({{0, 4}}, QColor(Qt::blue), 6);
        const QTextCharFormat f = formatAt(doc, 1);
        QCOMPARE(f.underlineStyle(), QTextCharFormat::SingleUnderline);
        QCOMPARE(f.underlineColor(), QColor(Qt::blue));
        QCOMPARE(doc.begin().blockFormat().lineHeight(), 6.0);
        QCOMPARE(int(doc.begin().blockFormat().lineHeightType()), int(QTextBlockFormat::LineDistanceHeight));
        QCOMPARE(formatAt(doc, 4).underlineStyle(), QTextCharFormat::NoUnderline);
    }

    void otherStyles()
    {
        QTextDocument doc;
        doc.setPlainText("abcdef");
        AttributedText(&doc)
            .lp_changeSpaceWithRangeArray({{0, 1}}, 300) // kept as a signed byte: 300 -> 44
            .lp_changeFontSizeWithRangeArray({{1, 1}}, 20)
            .lp_changeLineSpaceWithRangeArray({{2, 1}}, 3)
            .lp_addUrlLinkWithRangeArray({{3, 2}});
        QCOMPARE(formatAt(doc, 0).fontLetterSpacing(), 44.0);
        QCOMPARE(formatAt(doc, 0).fontLetterSpacingType(), QFont::AbsoluteSpacing);
        QCOMPARE(formatAt(doc, 1).fontPointSize(), 20.0);
        QCOMPARE(doc.begin().blockFormat().lineHeight(), 3.0);
        QVERIFY(formatAt(doc, 3).isAnchor());
        QCOMPARE(formatAt(doc, 4).anchorHref(), QString("abcdef"));
        QVERIFY(!formatAt(doc, 5).isAnchor());
    }

    void letterSpacingWrapsAsASignedByte_data()
    {
        QTest::addColumn<double>("space");
        QTest::addColumn<double>("expected");
        QTest::newRow("in range") << 5.0 << 5.0;
        QTest::newRow("negative") << -3.0 << -3.0;
        QTest::newRow("fraction cut") << 2.9 << 2.0;
        QTest::newRow("128 wraps") << 128.0 << -128.0;
        QTest::newRow("-129 wraps") << -129.0 << 127.0;
        QTest::newRow("past int") << 4294967296.0 + 7 << 7.0;
        QTest::newRow("huge") << 1e300 << 0.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    }
    void letterSpacingWrapsAsASignedByte()
    {
        QFETCH(double, space);
        QFETCH(double, expected);
        QTextDocument doc;
        doc.setPlainText("ab");
        AttributedText(&doc).lp_changeSpaceWithRangeArray({{0, 1}}, space);
        QCOMPARE(formatAt(doc, 0).fontLetterSpacing(), expected);
    }

    void unusableSizesAndSpacingsAreIgnored()
    {
        const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(), -4.0};
        for (double v : bad) {
            QTextDocument doc;
            doc.setPlainText("ab");
            AttributedText(&doc)
                .lp_changeFontSizeWithRangeArray({{0, 1}}, v)
                .lp_changeLineSpaceWithRangeArray({{0, 1}}, v)
                .lp_addUnderlineWithRangeArray({{1, 1}}, Qt::red, v);
            const double size = formatAt(doc, 0).fontPointSize();
            QVERIFY2(size == 0 || (std::isfinite(size) && size > 0), qPrintable(QString::number(v)));
            const double line = doc.begin().blockFormat().lineHeight();
            QVERIFY2(std::isfinite(line) && line >= 0, qPrintable(QString::number(v)));
            QVERIFY(formatAt(doc, 1).fontUnderline());
            doc.documentLayout()->documentSize(); // lays out without trouble
        }
    }

    void linksAreRedAndOneUndoStep()
    {
        QTextDocument doc;
        const QString text = QString::fromUtf8("同意《用户协议》和《隐私政策》");
        doc.setPlainText(text);
        const TextRangeList ranges{{2, 6}, {9, 6}};
        AttributedText(&doc).lp_addLinkUrlWithValues(ranges, {"https://a.example/1", "https://a.example/2"});
        QCOMPARE(formatAt(doc, 3).anchorHref(), QString("https://a.example/1"));
        QCOMPARE(formatAt(doc, 3).foreground().color(), QColor(Qt::red));
        QCOMPARE(formatAt(doc, 14).anchorHref(), QString("https://a.example/2"));
        QVERIFY(!formatAt(doc, 0).isAnchor());
        // All links were made in one edit: a single undo takes them all back.
        doc.undo();
        QVERIFY(!formatAt(doc, 3).isAnchor());
        QVERIFY(!formatAt(doc, 14).isAnchor());
        QVERIFY(!doc.isUndoAvailable());
    }

    void linkListsOfDifferentLengthsUseThePairs()
    {
        QTextDocument doc;
        doc.setPlainText("one two");
        AttributedText(&doc).lp_addLinkUrlWithValues({{0, 3}, {4, 3}}, {"https://a.example/"});
        QCOMPARE(formatAt(doc, 0).anchorHref(), QString("https://a.example/"));
        QVERIFY(!formatAt(doc, 5).isAnchor());
        AttributedText(&doc).lp_addLinkUrlWithValues({{100, 3}}, {"x", "y"}); // clamped away
        QCOMPARE(doc.toPlainText(), QString("one two"));
    }

    void nullDocumentIsHarmless()
    {
        AttributedText text(nullptr);
        text.lp_changeColorWithRangeArray({{0, 1}}, Qt::red).lp_addLinkUrlWithValues({{0, 1}}, {"x"});
        QVERIFY(!text.document());
    }
};

PRELVANE_TEST_MAIN(TestAttributedText)
#include "tst_attributedtext.moc"
