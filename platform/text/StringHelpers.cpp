#include "platform/text/StringHelpers.h"

#include "platform/text/WrappedText.h"

#include <QCryptographicHash>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTextDocumentFragment>

#include <array>
#include <cmath>

namespace {

// A validator accepts a text only when its pattern matches the whole text.
QRegularExpression anchored(const QString &pattern)
{
    QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
    Q_ASSERT(re.isValid());
    re.optimize();
    return re;
}

bool matches(const QRegularExpression &re, const QString &text)
{
    return re.match(text).hasMatch();
}

bool allAsciiDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

bool lp_regularChinese(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("[一-龥]+"));
    return matches(re, text);
}

bool lp_regularChineseOrEnglish(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("[一-龥a-zA-Z]+"));
    return matches(re, text);
}

bool lp_regularNumber(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("[0-9]*"));
    return matches(re, text);
}

bool lp_regularLetter(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("[a-zA-Z]*"));
    return matches(re, text);
}

bool lp_regularLM(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("[a-zA-Z0-9]*"));
    return matches(re, text);
}

bool lp_regularIDCard(const QString &text)
{
    if (text.size() != 18)
        return false;
    static const QRegularExpression re = anchored(QStringLiteral(
        "^(^[1-9]\\d{7}((0\\d)|(1[0-2]))(([0|1|2]\\d)|3[0-1])\\d{3}$)|"
        "(^[1-9]\\d{5}[1-9]\\d{3}((0\\d)|(1[0-2]))(([0|1|2]\\d)|3[0-1])((\\d{4})|\\d{3}[Xx])$)$"));
    if (!matches(re, text))
        return false;
    // The pattern's day class also admits "|"; the weighted sum needs digits.
    const QString body = text.left(17);
    if (!allAsciiDigits(body))
        return false;
    static constexpr std::array<int, 17> weights{7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const std::array<QString, 11> checks{"1", "0", "10", "9", "8", "7", "6", "5", "4", "3", "2"};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (body.at(i).unicode() - u'0') * weights[i];
    const int r = sum % 11;
    const QString last = text.right(1);
    if (r == 2)
        return last == u"X" || last == u"x";
    return last == checks[r];
}

bool lp_regularEmail(const QString &text)
{
    static const QRegularExpression re =
        anchored(QStringLiteral("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,4}"));
    return matches(re, text);
}

bool lp_regularPhoneNum(const QString &text)
{
    static const QRegularExpression re =
        anchored(QStringLiteral("^1(3[0-9]|4[579]|5[0-35-9]|7[01356]|8[0-9])\\d{8}$"));
    return matches(re, text);
}

bool lp_regularMovePhoneNum(const QString &text)
{
    static const QRegularExpression re =
        anchored(QStringLiteral("^1(34[0-8]|70[356]|(3[5-9]|4[7]|5[0-27-9]|7[8]|8[2-47-8])\\d)\\d{7}$"));
    return matches(re, text);
}

bool lp_regularLinkPhoneNum(const QString &text)
{
    static const QRegularExpression re =
        anchored(QStringLiteral("^1(70[07-9]|(3[0-2]|4[5]|5[5-6]|7[15-6]|8[5-6])\\d)\\d{7}$"));
    return matches(re, text);
}

bool lp_regularTelecomPhoneNum(const QString &text)
{
    static const QRegularExpression re =
        anchored(QStringLiteral("^1(34[9]|70[0-2]|(3[3]|4[9]|5[3]|7[37]|8[019])\\d)\\d{7}$"));
    return matches(re, text);
}

bool lp_regularBankCard(const QString &text)
{
    if (text.size() < 16 || !allAsciiDigits(text))
        return false;
    const qsizetype n = text.size();
    const int check = text.at(n - 1).unicode() - u'0';
    int total = 0;
    bool doubleIt = true; // the rightmost digit before the check digit is doubled
    for (qsizetype i = n - 2; i >= 0; --i) {
        int d = text.at(i).unicode() - u'0';
        if (doubleIt) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        total += d;
        doubleIt = !doubleIt;
    }
    return (total + check) % 10 == 0;
}

bool lp_regularWithdrawModey(const QString &text)
{
    static const QRegularExpression re = anchored(QStringLiteral("^\\d*\\.{0,1}\\d{0,2}$"));
    return matches(re, text);
}

QString lp_regularPhoneNumber(const QString &text)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits.append(c);
    }
    return digits;
}

QString base64StringFromData(const QByteArray &data, qsizetype length)
{
    Q_UNUSED(length);
    return QString::fromLatin1(data.toBase64());
}

QString stringToMD5(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

qreal lp_heightWithFont(const QString &text, const QFont &font, qreal width)
{
    return std::ceil(WrappedText(text, font, width).size().height());
}

qreal lp_widthWithFont(const QString &text, const QFont &font, qreal height)
{
    const QFontMetricsF fm(font);
    const QRectF r = fm.boundingRect(QRectF(0, 0, 1e9, std::max<qreal>(height, 0)), 0, text);
    return std::ceil(r.width());
}

qsizetype lp_dataLength(const QString &text)
{
    if (text.isEmpty())
        return 0;
    // A surrogate without its partner (a text cut mid-character) counts as the
    // replacement character it becomes when stored, wherever it stands.
    QString clean = text;
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const QChar c = clean.at(i);
        if (c.isHighSurrogate() && i + 1 < clean.size() && clean.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            clean[i] = QChar::ReplacementCharacter;
    }
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid()) {
        qWarning("GB18030 converter is not available");
        return clean.toUtf8().size();
    }
    const QByteArray bytes = encoder.encode(clean);
    return bytes.size();
}

QString lp_replaceCharactersInRange(const QString &text, TextRange range, const QString &replacement)
{
    if (text.isEmpty())
        return QStringLiteral("");
    const TextRange r = range.clampedToText(text);
    QString out = text;
    out.replace(r.location, r.length, replacement);
    return out;
}

QString htmlText(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}
