#include "notes/search/presenter/NoteSearchIndex.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"

namespace {

const QString Content = QStringLiteral("content");
const QString Sort = QStringLiteral("sort");

} // namespace

NoteSearchIndex::NoteSearchIndex(Context *store, Scope scope, QObject *parent)
    : QObject(parent), m_store(store), m_scope(scope)
{
    if (m_store)
        connect(m_store, &Context::changesSaved, this, &NoteSearchIndex::storeChanged);
}

QList<qint64> NoteSearchIndex::match(const QString &query)
{
    if (FoldedTextIndex::fold(query).isEmpty())
        return {};
    if (!m_built)
        build();
    return m_index.match(query);
}

void NoteSearchIndex::reset()
{
    m_built = false;
    m_index.clear();
}

void NoteSearchIndex::build()
{
    m_index.clear();
    m_built = true;
    if (!m_store)
        return;
    const bool notes = m_scope == Scope::Notes;
    const FetchedValues values =
        notes ? m_store->fetchValues<NoteDetail>(Predicate::notEquals(QStringLiteral("actionType"), 3),
                                                 {Content, Sort})
              : m_store->fetchValues<NoteLog>(Predicate(), {Content, Sort});
    for (qsizetype i = 0; i < values.size(); ++i)
        m_index.insert(values.keys.at(i), values.at(i, 1).toLongLong(), values.at(i, 0).toString());
}

void NoteSearchIndex::refresh(qint64 key)
{
    if (m_scope == Scope::Notes) {
        auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, key});
        if (!n || n->isDeleted() || n->actionType() == 3)
            m_index.remove(key);
        else
            m_index.insert(key, n->sort(), n->content());
        return;
    }
    auto *log = m_store->existing<NoteLog>(ObjectId{NoteLog::entity().index, key});
    if (!log || log->isDeleted())
        m_index.remove(key);
    else
        m_index.insert(key, log->sort(), log->content());
}

void NoteSearchIndex::storeChanged(const StoreChanges &changes)
{
    if (!m_built)
        return;
    if (changes.replaced) {
        // Read again at the next search; the hits shown are matched again now.
        m_built = false;
        m_index.clear();
        emit rowsReplaced();
        return;
    }
    const bool notes = m_scope == Scope::Notes;
    const StoreChanges::Entity rows =
        changes.entity(notes ? QStringLiteral("NoteDetail") : QStringLiteral("NoteLog"));
    QSet<qint64> touched;
    for (qint64 pk : rows.inserted) {
        refresh(pk);
        touched.insert(pk);
    }
    for (const StoreChanges::Updated &u : rows.updated) {
        if (u.attributes.isEmpty() || u.attributes.contains(Content) || u.attributes.contains(Sort) ||
            u.attributes.contains(QStringLiteral("actionType")))
            refresh(u.pk);
        touched.insert(u.pk);
    }
    for (qint64 pk : rows.deleted) {
        m_index.remove(pk);
        touched.insert(pk);
    }
    if (notes) {
        // A reminder changes its note's row (its line and height).
        const StoreChanges::Entity reminds = changes.entity(QStringLiteral("DateRemind"));
        auto noteOf = [&](qint64 pk) {
            auto *r = m_store->existing<DateRemind>(ObjectId{DateRemind::entity().index, pk});
            if (const NoteDetail *n = r ? r->noteDetail() : nullptr)
                touched.insert(n->objectId().pk);
        };
        for (qint64 pk : reminds.inserted)
            noteOf(pk);
        for (const StoreChanges::Updated &u : reminds.updated)
            noteOf(u.pk);
    }
    if (!touched.isEmpty())
        emit rowsChanged(touched);
}
