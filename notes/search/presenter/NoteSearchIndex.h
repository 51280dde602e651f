#pragma once

#include "notes/search/presenter/FoldedTextIndex.h"

#include <QObject>
#include <QSet>

class Context;
struct StoreChanges;

// The folded texts of one search scope: the notes that are not marked deleted
// (`NoteDetail`, completed ones included) or the mirrored edit history
// (`NoteLog`, every record). Read from the store in one query at the first
// search, then kept up to date from the store's change sets, so that a search
// reads nothing more of the store.
class NoteSearchIndex : public QObject
{
    Q_OBJECT
public:
    enum class Scope
    {
        Notes,
        History,
    };

    NoteSearchIndex(Context *store, Scope scope, QObject *parent = nullptr);

    Scope scope() const { return m_scope; }
    bool isBuilt() const { return m_built; }

    // The keys whose text holds the query (white space and case ignored), by
    // `sort` descending; nothing for a query of white space only.
    QList<qint64> match(const QString &query);
    // Forgets every text (a sign-out); the next search reads the store again.
    void reset();

signals:
    // Rows of this scope that were added, changed (a value a row shows
    // included) or are gone; only once the index is built.
    void rowsChanged(const QSet<qint64> &keys);
    // The account's data was replaced: every hit is to be matched again.
    void rowsReplaced();

private:
    void build();
    void storeChanged(const StoreChanges &changes);
    // The row's entry from its object; gone (or marked deleted) rows leave.
    void refresh(qint64 key);

    Context *m_store;
    Scope m_scope;
    FoldedTextIndex m_index;
    bool m_built = false;
};
