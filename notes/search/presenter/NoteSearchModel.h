#pragma once

#include "notes/records/presenter/NoteLogCell.h"
#include "notes/search/presenter/NoteSearchIndex.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QSet>

class Context;

// The search hits as keys of one scope's rows, in the index's order. A new
// search resets it; afterwards it follows the hits as they change with the
// store (new matches are inserted, rows that no longer match or are gone are
// removed, changed rows repaint), without a reset.
class NoteSearchModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        // The same numbers as the note list's roles, so that its row painter paints note hits.
        KeyRole = Qt::UserRole + 1, // the row's store key (qint64)
        CIdRole,
        LookRole,   // NoteRowLook (notes)
        HeightRole, // the row's height in pixels (notes; a history row's depends on the width)
        CellRole = NoteLogCell::Role, // NoteLogCell (history records), for the history row painter
        ContentRole = Qt::UserRole + 50,
        TIdRole,          // history records
        CreateTimeRole,   // history records
        ClassifyNameRole, // history records
        ActionTypeRole,   // history records: 1 added, 2 changed, 3 deleted
        TerminalIdRole,   // history records
        DiffItemsRole,    // history records: QVariantList of spans
    };
    using Scope = NoteSearchIndex::Scope;

    explicit NoteSearchModel(Context *store, QObject *parent = nullptr);

    Scope scope() const { return m_scope; }
    // The hits of a new search (a reset).
    void setHits(Scope scope, const QList<qint64> &keys);
    // The same search's hits after the store changed; `touched` rows repaint.
    void follow(const QList<qint64> &keys, const QSet<qint64> &touched);
    void clear();
    // Repaints every row (a setting that every note row shows changed).
    void refreshLooks();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    qint64 keyAt(int row) const { return row >= 0 && row < m_keys.size() ? m_keys.at(row) : 0; }
    int rowOfKey(qint64 key) const { return m_row.value(key, -1); }
    const QList<qint64> &keys() const { return m_keys; }

private:
    void reindex();
    qint64 importantMinutes() const;

    Context *m_store;
    Scope m_scope = Scope::Notes;
    QList<qint64> m_keys;
    QHash<qint64, int> m_row;
    mutable QHash<qint64, NoteLogCell> m_cells; // history rows as painted, read once per record
    qint64 m_importantMinutes = 0;
};
