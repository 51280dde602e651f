#include "notes/search/presenter/FoldedTextIndex.h"

#include <QStringMatcher>

#include <algorithm>

QString FoldedTextIndex::fold(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace())
            out.append(c);
    return out.toCaseFolded();
}

void FoldedTextIndex::insert(qint64 key, qint64 order, const QString &text)
{
    const auto at = m_position.constFind(key);
    if (at != m_position.cend()) {
        Entry &e = m_entries[size_t(*at)];
        if (e.order != order)
            m_ordered = false;
        e.order = order;
        e.folded = fold(text);
        return;
    }
    m_position.insert(key, qsizetype(m_entries.size()));
    m_entries.push_back(Entry{key, order, fold(text), false});
    m_ordered = false;
}

void FoldedTextIndex::remove(qint64 key)
{
    const auto at = m_position.constFind(key);
    if (at == m_position.cend())
        return;
    Entry &e = m_entries[size_t(*at)];
    e.gone = true;
    e.folded.clear();
    m_position.erase(at);
    ++m_gone;
    m_ordered = false;
}

void FoldedTextIndex::clear()
{
    m_entries.clear();
    m_position.clear();
    m_ordered = true;
    m_gone = 0;
}

void FoldedTextIndex::restoreOrder() const
{
    if (m_ordered)
        return;
    if (m_gone > 0) {
        std::erase_if(m_entries, [](const Entry &e) { return e.gone; });
        m_gone = 0;
    }
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry &a, const Entry &b) {
        return a.order != b.order ? a.order > b.order : a.key > b.key;
    });
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_position[m_entries[i].key] = qsizetype(i);
    m_ordered = true;
}

QList<qint64> FoldedTextIndex::match(const QString &query) const
{
    QList<qint64> hits;
    const QString folded = fold(query);
    if (folded.isEmpty())
        return hits;
    restoreOrder();
    if (folded.size() == 1) {
        const QChar c = folded.front();
        for (const Entry &e : m_entries)
            if (e.folded.contains(c))
                hits.append(e.key);
        return hits;
    }
    const QStringMatcher matcher(folded, Qt::CaseSensitive);
    for (const Entry &e : m_entries)
        if (e.folded.size() >= folded.size() && matcher.indexIn(e.folded) >= 0)
            hits.append(e.key);
    return hits;
}
