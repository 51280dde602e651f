#include "core/reminders/dates/DateTextCache.h"

#include "platform/calendar/LocalTime.h"

#include <QDate>

namespace {

// Reads minDigits..maxDigits ASCII digits at pos.
bool readNumber(QStringView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits) {
        const char16_t ch = text[pos].unicode();
        if (ch < u'0' || ch > u'9')
            break;
        value = value * 10 + (ch - u'0');
        ++pos;
        ++digits;
    }
    return digits >= minDigits;
}

bool readChar(QStringView text, qsizetype &pos, char16_t ch)
{
    if (pos >= text.size() || text[pos].unicode() != ch)
        return false;
    ++pos;
    return true;
}

} // namespace

std::optional<qint64> DateTextCache::parse(QStringView text)
{
    qsizetype pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!readNumber(text, pos, 4, 4, y) || !readChar(text, pos, u'/') || !readNumber(text, pos, 1, 2, mo) ||
        !readChar(text, pos, u'/') || !readNumber(text, pos, 1, 2, d) || !readChar(text, pos, u' ') ||
        !readNumber(text, pos, 1, 2, h) || !readChar(text, pos, u':') || !readNumber(text, pos, 2, 2, mi))
        return std::nullopt;
    if (pos < text.size() && (!readChar(text, pos, u':') || !readNumber(text, pos, 2, 2, s)))
        return std::nullopt;
    if (pos != text.size() || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    const QDate date(y, mo, d);
    if (!date.isValid() || y < 1)
        return std::nullopt;
    return LocalTime::toEpochMSecs(date.toJulianDay(), ((h * 60 + mi) * 60 + s) * 1000);
}

std::optional<qint64> DateTextCache::value(const QString &key, const QString &text)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        it = m_entries.insert(key, Entry{text, parse(text)});
    else if (it->text != text)
        *it = Entry{text, parse(text)};
    return it->msecs;
}

void DateTextCache::remove(const QString &key)
{
    m_entries.remove(key);
}

void DateTextCache::clear()
{
    m_entries.clear();
}

qsizetype DateTextCache::size() const
{
    return m_entries.size();
}
