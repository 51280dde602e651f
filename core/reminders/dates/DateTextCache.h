#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// Record times ("yyyy/M/d H:mm:ss", or without seconds) as milliseconds since the epoch, for filters that
// look at every row of a large mirror. The parse works on the text directly (no QDateTime on the way) and
// each key keeps its value until its text changes, so a filter change parses nothing it has seen before.
// Reads exactly what DateManager::getDateFromString reads.
class DateTextCache
{
public:
    // Milliseconds since the epoch of a date text in the system time zone; nothing for any other text.
    static std::optional<qint64> parse(QStringView text);

    // The parsed value of key's text, parsed again only when the text differs from the one seen last.
    std::optional<qint64> value(const QString &key, const QString &text);
    void remove(const QString &key);
    void clear();
    qsizetype size() const;

private:
    struct Entry
    {
        QString text;
        std::optional<qint64> msecs;
    };
    QHash<QString, Entry> m_entries;
};
