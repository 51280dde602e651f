#include "platform/text/StringHelpers.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>

#include <map>

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
static bool runningOnValgrind()
{
    return RUNNING_ON_VALGRIND;
}
#else
static bool runningOnValgrind()
{
    return false;
}
#endif

Q_DECLARE_METATYPE(TextRange)

namespace {
using Validator = bool (*)(const QString &);
const std::map<QString, Validator> &validatorTable()
{
    static const std::map<QString, Validator> v{
        {"chinese", lp_regularChinese},
        {"chineseOrEnglish", lp_regularChineseOrEnglish},
        {"number", lp_regularNumber},
        {"letter", lp_regularLetter},
        {"lm", lp_regularLM},
        {"idCard", lp_regularIDCard},
        {"email", lp_regularEmail},
        {"phone", lp_regularPhoneNum},
        {"mobile", lp_regularMovePhoneNum},
        {"unicom", lp_regularLinkPhoneNum},
        {"telecom", lp_regularTelecomPhoneNum},
        {"bankCard", lp_regularBankCard},
        {"amount", lp_regularWithdrawModey},
    };
    return v;
}
} // namespace

class TestStringHelpers : public QObject
{
    Q_OBJECT
private slots:
    void validators_data()
    {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("expected");
        const QString longDigits(10000, u'7');
        struct Row
        {
            const char *name, *validator;
            QString input;
            bool expected;
        };
        const Row rows[] = {
            {"number empty", "number", "", true},
            {"number leading zero", "number", "0123", true},
            {"number with letter", "number", "12a4", false},
            {"number fullwidth digits", "number", QString::fromUtf8("１２３"), false},
            {"number emoji", "number", QString::fromUtf8("12😀"), false},
            {"number very long", "number", longDigits, true},
            {"number trailing newline", "number", "123\n", false},
            {"chinese", "chinese", QString::fromUtf8("中文龥"), true},
            {"chinese empty", "chinese", "", false},
            {"chinese past the basic block", "chinese", QString::fromUtf8("龦"), false},
            {"chinese extension B (non-BMP)", "chinese", QString::fromUtf8("𠀀"), false},
            {"chinese mixed latin", "chinese", QString::fromUtf8("中a"), false},
            {"chinese or english mixed", "chineseOrEnglish", QString::fromUtf8("中文abcXYZ"), true},
            {"chinese or english space", "chineseOrEnglish", QString::fromUtf8("中 文"), false},
            {"chinese or english empty", "chineseOrEnglish", "", false},
            {"letter empty", "letter", "", true},
            {"letter accented", "letter", QString::fromUtf8("é"), false},
            {"lm", "lm", "ab12CD", true},
            {"lm underscore", "lm", "ab_1", false},
            {"email", "email", "a.b+c@mail.example.com", true},
            {"email one-letter tld", "email", "a@b.c", false},
            {"email five-letter tld", "email", "a@b.museum", false},
            {"email chinese local part", "email", QString::fromUtf8("用户@example.com"), false},
            {"email trailing newline", "email", "a@example.com\n", false},
            {"phone", "phone", "13812345678", true},
            {"phone bad second digit", "phone", "12812345678", false},
            {"phone short", "phone", "1381234567", false},
            {"phone long", "phone", "138123456789", false},
            {"phone trailing newline", "phone", "13812345678\n", false},
            {"phone fullwidth", "phone", QString::fromUtf8("１３８１２３４５６７８"), false},
            {"mobile 134x", "mobile", "13401234567", true},
            {"mobile 1349 is telecom", "mobile", "13491234567", false},
            {"telecom 1349", "telecom", "13491234567", true},
            {"telecom 189", "telecom", "18912345678", true},
            {"unicom 130", "unicom", "13012345678", true},
            {"unicom 138", "unicom", "13812345678", false},
            {"id card with X", "idCard", "11010519491231002X", true},
            {"id card with x", "idCard", "11010519491231002x", true},
            {"id card digit check", "idCard", "440300199001011238", true},
            {"id card wrong check", "idCard", "440300199001011237", false},
            {"id card X where a digit is due", "idCard", "44030019900101123X", false},
            {"id card 17 characters", "idCard", "11010519491231002", false},
            {"id card 19 characters", "idCard", "11010519491231002X1", false},
            {"id card month 13", "idCard", "110105194913310021", false},
            {"id card bar in the day", "idCard", "110105194912|1002X", false},
            {"id card emoji padding", "idCard", QString::fromUtf8("1101051949123100😀"), false},
            {"bank card", "bankCard", "4111111111111111", true},
            {"bank card 19 digits", "bankCard", "6011000990139424", true},
            {"bank card bad check", "bankCard", "4111111111111112", false},
            {"bank card 15 digits", "bankCard", "411111111111116", false},
            {"bank card with dashes", "bankCard", "4111-1111-1111-1111", false},
            {"amount two decimals", "amount", "12.34", true},
            {"amount three decimals", "amount", "12.345", false},
            {"amount empty", "amount", "", true},
            {"amount two dots", "amount", "1..2", false},
        };
        for (const Row &r : rows)
            QTest::newRow(r.name) << QString::fromLatin1(r.validator) << r.input << r.expected;
    }
    void validators()
    {
        QFETCH(QString, validator);
        QFETCH(QString, input);
        QFETCH(bool, expected);
        QCOMPARE(validatorTable().at(validator)(input), expected);
    }

    void validatorsOnHugeInputs_data()
    {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("expected");
        constexpr qsizetype mb = 1 << 20;
        const QString digits(mb, u'7');
        const QString letters(mb, u'a');
        const QString ideographs(mb, QChar(0x4e2d));
        const QString emoji = QString::fromUtf8("😀").repeated(mb / 2);
        const QString dots = QString("a.").repeated(mb / 2);
        for (const auto &[name, validator] : validatorTable()) {
            const QByteArray n = name.toLatin1();
            const bool digitsOk = name == "number" || name == "lm" || name == "amount";
            QTest::addRow("%s: digits", n.constData()) << name << digits << digitsOk;
            QTest::addRow("%s: digits then x", n.constData()) << name << (digits + "x") << (name == "lm");
            QTest::addRow("%s: letters", n.constData())
                << name << letters << (name == "letter" || name == "lm" || name == "chineseOrEnglish");
            QTest::addRow("%s: ideographs", n.constData())
                << name << ideographs << (name == "chinese" || name == "chineseOrEnglish");
            QTest::addRow("%s: emoji", n.constData()) << name << emoji << false;
            // Backtracking bait for the e-mail pattern: many dots, no valid ending.
            QTest::addRow("%s: dotted, bad end", n.constData()) << name << ("a@" + dots + "!") << false;
            QTest::addRow("%s: long e-mail", n.constData())
                << name << (letters + "@" + dots + "com") << (name == "email");
            QTest::addRow("%s: amount with a long fraction", n.constData())
                << name << (digits + "." + digits) << false;
        }
    }
    void validatorsOnHugeInputs()
    {
        QFETCH(QString, validator);
        QFETCH(QString, input);
        QFETCH(bool, expected);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(validatorTable().at(validator)(input), expected);
        // Linear patterns: a megabyte takes milliseconds, not seconds.
        if (!runningOnValgrind())
            QVERIFY2(timer.elapsed() < 500, qPrintable(QString("%1 ms").arg(timer.elapsed())));
    }

    void phoneNumberKeepsOnlyAsciiDigits()
    {
        QCOMPARE(lp_regularPhoneNumber("+86 138-1234-5678"), QString("8613812345678"));
        QCOMPARE(lp_regularPhoneNumber(QString::fromUtf8("１２😀3")), QString("3"));
        QCOMPARE(lp_regularPhoneNumber(""), QString(""));
    }

    void base64_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("one byte, two pads") << QByteArray("f") << "Zg==";
        QTest::newRow("two bytes, one pad") << QByteArray("fo") << "Zm8=";
        QTest::newRow("three bytes") << QByteArray("foo") << "Zm9v";
        QTest::newRow("plus and slash") << QByteArray("\xfb\xff", 2) << "+/8=";
        QTest::newRow("zero bytes") << QByteArray(3, '\0') << "AAAA";
    }
    void base64()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        QCOMPARE(base64StringFromData(data, data.size()), expected);
        // The length argument is ignored.
        QCOMPARE(base64StringFromData(data, 1), expected);
        QCOMPARE(base64StringFromData(data, data.size() + 100), expected);
    }
    void base64HasNoLineBreaks()
    {
        const QString s = base64StringFromData(QByteArray(3000, 'x'), 3000);
        QCOMPARE(s.size(), 4000);
        QVERIFY(!s.contains(u'\n') && !s.contains(u'\r'));
    }

    void md5_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("ascii") << "abc"
                               << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("chinese as utf-8") << QString::fromUtf8("中文") << "a7bac2239fcdcb3a067903d8077c4a07";
        QTest::newRow("emoji as utf-8") << QString::fromUtf8("😀") << "2a02eac39d716a70ecf37579185927b6";
    }
    void md5()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(stringToMD5(input), expected);
    }

    void gb18030Length_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<qsizetype>("bytes");
        QTest::newRow("empty") << "" << qsizetype(0);
        QTest::newRow("two letters and a Chinese character") << QString::fromUtf8("ab中") << qsizetype(4);
        QTest::newRow("chinese punctuation") << QString::fromUtf8("，。") << qsizetype(4);
        QTest::newRow("emoji (four-byte sequence)") << QString::fromUtf8("😀") << qsizetype(4);
        QTest::newRow("extension B ideograph") << QString::fromUtf8("a𠀀") << qsizetype(5);
        QTest::newRow("long mixed") << QString::fromUtf8("中a").repeated(5000) << qsizetype(15000);
    }
    void gb18030Length()
    {
        QFETCH(QString, input);
        QFETCH(qsizetype, bytes);
        QCOMPARE(lp_dataLength(input), bytes);
    }
    void gb18030LengthCountsALoneSurrogateWherever()
    {
        // A cut surrogate pair counts as U+FFFD (4 bytes), at the end or inside.
        QString trailing = "a";
        trailing.append(QChar(0xD800));
        QCOMPARE(lp_dataLength(trailing), qsizetype(5));
        QString inner = trailing + QString::fromUtf8("中");
        QCOMPARE(lp_dataLength(inner), qsizetype(7));
        QString low = "a";
        low.append(QChar(0xDC00));
        QCOMPARE(lp_dataLength(low), qsizetype(5));
    }

    void replaceInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextRange>("range");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("inside") << "abc" << TextRange{1, 1} << "X"
                                << "aXc";
        QTest::newRow("empty text, any range") << "" << TextRange{3, 5} << "X"
                                               << "";
        QTest::newRow("length past the end") << "abc" << TextRange{2, 10} << "X"
                                             << "abX";
        QTest::newRow("location past the end") << "abc" << TextRange{10, 2} << "X"
                                               << "abcX";
        QTest::newRow("negative location") << "abc" << TextRange{-1, 2} << "X"
                                           << "Xbc";
        QTest::newRow("huge length") << "abc" << TextRange{1, std::numeric_limits<qsizetype>::max()} << ""
                                     << "a";
        QTest::newRow("emoji as two units") << QString::fromUtf8("a😀b") << TextRange{1, 2} << ""
                                            << "ab";
        QTest::newRow("insert") << QString::fromUtf8("中文") << TextRange{1, 0} << "a"
                                << QString::fromUtf8("中a文");
        QTest::newRow("negative length inserts") << "abc" << TextRange{1, -5} << "X"
                                                 << "aXbc";
        constexpr qsizetype big = std::numeric_limits<qsizetype>::max();
        constexpr qsizetype intMax = std::numeric_limits<int>::max();
        QTest::newRow("location + length overflows") << "abc" << TextRange{big, big} << "X"
                                                     << "abcX";
        QTest::newRow("most negative location, huge length") << "abc" << TextRange{-big - 1, big} << "X"
                                                             << "Xabc";
        QTest::newRow("past INT_MAX") << "abc" << TextRange{2, intMax} << "X"
                                      << "abX";
        QTest::newRow("INT_MAX location") << "abc" << TextRange{intMax, intMax} << "X"
                                          << "abcX";
        // A range never cuts a character in half: it takes the whole pair.
        QTest::newRow("starts inside an emoji") << QString::fromUtf8("a😀b") << TextRange{2, 2} << "X"
                                                << "aX";
        QTest::newRow("ends inside an emoji") << QString::fromUtf8("a😀b") << TextRange{0, 2} << "X"
                                              << "Xb";
        QTest::newRow("inside one emoji")
            << QString::fromUtf8("😀") << TextRange{1, 0} << "X" << QString::fromUtf8("X😀");
        QTest::newRow("low half only")
            << QString::fromUtf8("a😀😀") << TextRange{2, 1} << "" << QString::fromUtf8("a😀");
    }
    void replaceInRange()
    {
        QFETCH(QString, text);
        QFETCH(TextRange, range);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        const QString result = lp_replaceCharactersInRange(text, range, replacement);
        QCOMPARE(result, expected);
        QVERIFY(!result.isNull());
        QVERIFY(QStringView(result).isValidUtf16());
    }

    void htmlToPlainText()
    {
        QCOMPARE(htmlText("<p>a &amp; b</p>"), QString("a & b"));
        QCOMPARE(htmlText(QString::fromUtf8("<b>中</b>文<br>😀")), QString::fromUtf8("中文\n😀"));
        QCOMPARE(htmlText(""), QString(""));
    }

    void measuredSizes()
    {
        QFont font;
        font.setPixelSize(15);
        QCOMPARE(lp_widthWithFont("", font, 19), 0.0);
        const qreal one = lp_widthWithFont("abc", font, 19);
        const qreal two = lp_widthWithFont("abcabc", font, 19);
        QVERIFY(one > 0 && two > one);
        QCOMPARE(one, std::ceil(one));
        const qreal lineHeight = lp_heightWithFont("abc", font, 1000);
        const qreal wrapped = lp_heightWithFont(QString("word ").repeated(50), font, 100);
        QVERIFY(lineHeight > 0);
        QVERIFY(wrapped >= 3 * lineHeight);
        QCOMPARE(wrapped, std::ceil(wrapped));
        QVERIFY(lp_widthWithFont(QString::fromUtf8("中文😀"), font, 19) > 0);
        QVERIFY(lp_heightWithFont("abc", font, 0) > 0); // no width: no crash, still measured
    }
};

PRELVANE_TEST_MAIN(TestStringHelpers)
#include "tst_stringhelpers.moc"
