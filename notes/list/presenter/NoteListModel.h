#pragma once

#include "platform/base/AppEvents.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

class Classify;
class Context;
struct StoreChanges;

// The notes of one category in its hand-made order ("sort" ascending, ties in
// the order the rows were made), held as keys. It follows the store's change
// sets: new, changed and gone notes become inserted, changed and removed rows,
// a new order a layout change (persistent indexes follow their notes), and a
// replacement of the account's data a reset.
class NoteListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1, // the note's store key (qint64)
        CIdRole,
        LookRole,   // NoteRowLook
        HeightRole, // the row's height in pixels
    };

    explicit NoteListModel(Context *store, QObject *parent = nullptr);

    // Shows the notes of this category (a reset); a null or unknown category shows none.
    void setCategory(const CategoryKey &category);
    CategoryKey category() const { return m_category; }
    // The category's row, found again by key or classId; null when gone.
    Classify *categoryRow() const;
    // Reads the category's notes again (a reset).
    void reload();
    // Repaints every row, or one.
    void refreshAll();
    void refreshRow(int row);

    // Follows one save. Returns true when it reset the model.
    bool applyChanges(const StoreChanges &changes);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    qint64 keyAt(int row) const;
    NoteKey noteKeyAt(int row) const;
    int rowOfKey(qint64 pk) const { return m_index.value(pk, -1); }

private:
    struct Row
    {
        qint64 pk = 0;
        qint16 sort = 0;
        int height = 0;
        qint64 remindPk = 0;
        QString cId;
    };
    static bool before(const Row &a, const Row &b);

    QList<Row> readRows() const;
    void reindex();
    void renumber();
    Row rowFor(qint64 pk) const;
    qint64 importantMinutes() const;

    Context *m_store;
    CategoryKey m_category;
    QList<Row> m_rows;
    QHash<qint64, int> m_index;           // note key -> row
    QHash<qint64, qint64> m_noteOfRemind; // reminder key -> note key
    qint64 m_importantMinutes = 0;
};
