#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// The texts of one list's rows, kept folded for matching: white space taken
// out and every letter case-folded (Unicode folding, for every script), each
// row with the value it is ordered by. A query is matched as plain text (no
// wildcards), the hits come newest first: by that value descending, ties by key
// descending. Changes are cheap; the order is restored once, at the next match.
class FoldedTextIndex
{
public:
    // The text as it is matched: without white space, case-folded.
    static QString fold(const QString &text);

    // Adds the row or replaces what it held.
    void insert(qint64 key, qint64 order, const QString &text);
    void remove(qint64 key);
    void clear();

    bool contains(qint64 key) const { return m_position.contains(key); }
    qsizetype size() const { return m_position.size(); }

    // The keys of the rows whose folded text holds the folded query; nothing for
    // a query that folds to nothing.
    QList<qint64> match(const QString &query) const;

private:
    struct Entry
    {
        qint64 key = 0;
        qint64 order = 0;
        QString folded;
        bool gone = false;
    };
    void restoreOrder() const;

    mutable std::vector<Entry> m_entries;
    mutable QHash<qint64, qsizetype> m_position; // key -> entry
    mutable bool m_ordered = true;
    mutable qsizetype m_gone = 0;
};
