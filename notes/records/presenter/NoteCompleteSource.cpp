#include "notes/records/presenter/NoteCompleteSource.h"

#include "core/model/NoteComplete.h"
#include "platform/store/Context.h"

#include <algorithm>

NoteCompleteSource::NoteCompleteSource(Context *store, QObject *parent) : QObject(parent), m_store(store)
{
    if (m_store)
        connect(m_store, &Context::changesSaved, this, &NoteCompleteSource::storeChanged);
}

void NoteCompleteSource::reset()
{
    m_loaded = false;
    m_entries.clear();
    m_rowOf.clear();
    m_times.clear();
    m_sorted = true;
}

void NoteCompleteSource::ensureLoaded()
{
    if (m_loaded || !m_store)
        return;
    m_loaded = true;
    enum Column
    {
        Sort,
        TId,
        ClassId,
        CompletedTime
    };
    const FetchedValues values = m_store->fetchValues<NoteComplete>(
        Predicate(), {QStringLiteral("sort"), QStringLiteral("tId"), QStringLiteral("classId"),
                      QStringLiteral("completedTime")});
    m_entries.clear();
    m_entries.reserve(size_t(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        Entry e;
        e.pk = values.keys.at(i);
        e.sort = values.at(i, Sort).toLongLong();
        e.tId = values.at(i, TId).toString();
        e.classId = values.at(i, ClassId).toString();
        e.completedAt = m_times.value(e.tId, values.at(i, CompletedTime).toString());
        m_entries.push_back(std::move(e));
    }
    m_sorted = false;
    sortIfNeeded();
}

void NoteCompleteSource::sortIfNeeded()
{
    if (m_sorted)
        return;
    // Newest first; equal sorts (a service that repeats an id) keep the key order.
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry &a, const Entry &b) {
        return a.sort != b.sort ? a.sort > b.sort : a.pk < b.pk;
    });
    m_rowOf.clear();
    m_rowOf.reserve(qsizetype(m_entries.size()));
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_rowOf.insert(m_entries[i].pk, qsizetype(i));
    m_sorted = true;
}

QList<qint64> NoteCompleteSource::query(const QString &classId, const RecordTimeRange &range)
{
    ensureLoaded();
    sortIfNeeded();
    QList<qint64> keys;
    keys.reserve(qsizetype(m_entries.size()));
    const bool all = range.isAll();
    for (const Entry &e : m_entries) {
        if (!classId.isEmpty() && e.classId != classId)
            continue;
        if (!all && (!e.completedAt || !range.contains(*e.completedAt)))
            continue;
        keys.append(e.pk);
    }
    return keys;
}

QList<NoteCompleteSource::Entry> NoteCompleteSource::newest(const QString &classId,
                                                            std::optional<qint64> belowSort, int limit)
{
    QList<Entry> out;
    if (!m_store)
        return out;
    Predicate where;
    if (!classId.isEmpty())
        where = Predicate::equals(QStringLiteral("classId"), classId);
    if (belowSort) {
        const Predicate below = Predicate::less(QStringLiteral("sort"), *belowSort);
        where = classId.isEmpty() ? below : (where && below);
    }
    const QList<NoteComplete *> rows =
        m_store->fetch<NoteComplete>(FetchRequest{where, {{QStringLiteral("sort"), false}}, limit});
    out.reserve(rows.size());
    for (const NoteComplete *row : rows)
        out.append(Entry{row->objectId().pk, row->sort(), row->tId(), row->classId(),
                         m_times.value(row->tId(), row->completedTime())});
    return out;
}

bool NoteCompleteSource::isEmpty() const
{
    return !m_store || m_store->fetch(NoteComplete::entity(), FetchRequest{Predicate(), {}, 1}).isEmpty();
}

std::optional<NoteCompleteSource::Entry> NoteCompleteSource::entry(qint64 pk)
{
    ensureLoaded();
    sortIfNeeded();
    const auto it = m_rowOf.constFind(pk);
    if (it == m_rowOf.cend())
        return std::nullopt;
    return m_entries[size_t(*it)];
}

int NoteCompleteSource::size()
{
    ensureLoaded();
    return int(m_entries.size());
}

void NoteCompleteSource::readRow(qint64 pk)
{
    auto *row = m_store->existing<NoteComplete>(ObjectId{NoteComplete::entity().index, pk});
    if (!row || row->isDeleted())
        return;
    Entry e;
    e.pk = pk;
    e.sort = row->sort();
    e.tId = row->tId();
    e.classId = row->classId();
    e.completedAt = m_times.value(e.tId, row->completedTime());
    const auto it = m_rowOf.constFind(pk);
    if (it != m_rowOf.cend()) {
        m_entries[size_t(*it)] = std::move(e);
    } else {
        m_rowOf.insert(pk, qsizetype(m_entries.size()));
        m_entries.push_back(std::move(e));
    }
    m_sorted = false;
}

void NoteCompleteSource::storeChanged(const StoreChanges &changes)
{
    const StoreChanges::Entity mirror = changes.entity(NoteComplete::entity().name);
    if (!m_loaded) {
        // Nothing is indexed yet; the rows that went are still news to the list.
        if (!mirror.deleted.isEmpty())
            emit itemsRemoved(QSet<qint64>(mirror.deleted.cbegin(), mirror.deleted.cend()));
        return;
    }
    if (changes.replaced) {
        // Rows may have gone without being named: read everything again.
        QSet<qint64> before;
        for (const Entry &e : m_entries)
            before.insert(e.pk);
        reset();
        ensureLoaded();
        for (const Entry &e : m_entries)
            before.remove(e.pk);
        if (!before.isEmpty())
            emit itemsRemoved(before);
        return;
    }
    if (mirror.isEmpty())
        return;
    for (qint64 pk : mirror.inserted)
        readRow(pk);
    for (const StoreChanges::Updated &u : mirror.updated)
        readRow(u.pk);
    if (mirror.deleted.isEmpty())
        return;
    const QSet<qint64> gone(mirror.deleted.cbegin(), mirror.deleted.cend());
    std::erase_if(m_entries, [&](const Entry &e) {
        if (!gone.contains(e.pk))
            return false;
        m_times.remove(e.tId);
        return true;
    });
    // Positions moved: the next read finds its rows again.
    m_sorted = false;
    sortIfNeeded();
    emit itemsRemoved(gone);
}
