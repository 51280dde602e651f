#pragma once

#include "platform/text/TextRange.h"

#include <QByteArray>
#include <QFont>
#include <QString>

// Small string services: validators (each a full match of its pattern),
// Base64, MD5, measured text sizes, GB 18030 byte length, safe range
// replacement and HTML to plain text.

bool lp_regularChinese(const QString &text);
bool lp_regularChineseOrEnglish(const QString &text);
bool lp_regularNumber(const QString &text); // digits only; "" passes
bool lp_regularLetter(const QString &text);
bool lp_regularLM(const QString &text);
bool lp_regularIDCard(const QString &text); // 18 characters with a valid check character
bool lp_regularEmail(const QString &text);
bool lp_regularPhoneNum(const QString &text);
bool lp_regularMovePhoneNum(const QString &text);
bool lp_regularLinkPhoneNum(const QString &text);
bool lp_regularTelecomPhoneNum(const QString &text);
bool lp_regularBankCard(const QString &text); // 16 digits or more, Luhn check
bool lp_regularWithdrawModey(const QString &text);
// The text with every character that is not an ASCII digit removed.
QString lp_regularPhoneNumber(const QString &text);

// Standard Base64 with padding and no line breaks. `length` is accepted for
// callers that pass it but the data's own length is always used.
QString base64StringFromData(const QByteArray &data, qsizetype length = -1);
// MD5 of the UTF-8 bytes as 32 lower-case hex digits.
QString stringToMD5(const QString &text);

// Height of the text wrapped at `width` as the rows paint it (WrappedText:
// long words broken anywhere), rounded up.
qreal lp_heightWithFont(const QString &text, const QFont &font, qreal width);
// Width of the text on one line, rounded up.
qreal lp_widthWithFont(const QString &text, const QFont &font, qreal height);

// Number of bytes of the text in GB 18030 (ASCII 1, a Chinese character 2,
// characters outside the BMP 4).
qsizetype lp_dataLength(const QString &text);

// A copy of the text with `range` (clamped to the text, never splitting a
// surrogate pair) replaced; "" for an empty text.
QString lp_replaceCharactersInRange(const QString &text, TextRange range, const QString &replacement);

// The text read as an HTML document, returned as plain text.
QString htmlText(const QString &html);
