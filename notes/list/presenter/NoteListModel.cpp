#include "notes/list/presenter/NoteListModel.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "notes/list/presenter/NoteRowFormatter.h"
#include "platform/store/Context.h"

#include <QSet>

#include <algorithm>
#include <iterator>
#include <vector>

NoteListModel::NoteListModel(Context *store, QObject *parent) : QAbstractListModel(parent), m_store(store) {}

bool NoteListModel::before(const Row &a, const Row &b)
{
    return a.sort != b.sort ? a.sort < b.sort : a.pk < b.pk;
}

Classify *NoteListModel::categoryRow() const
{
    if (!m_store || m_category.isNull())
        return nullptr;
    if (m_category.pk > 0) {
        if (auto *c = m_store->existing<Classify>(ObjectId{Classify::entity().index, m_category.pk});
            c && !c->isDeleted())
            return c;
    }
    if (!m_category.classId.isEmpty()) {
        auto *c = m_store->findFirstByAttribute<Classify>(QStringLiteral("classId"), m_category.classId);
        if (c && !c->isDeleted())
            return c;
    }
    return nullptr;
}

QList<NoteListModel::Row> NoteListModel::readRows() const
{
    QList<Row> rows;
    Classify *category = categoryRow();
    if (!category)
        return rows;
    // Only what a row holds, in one joined query: the objects are made when rows are painted.
    const FetchedValues values = m_store->fetchValues<NoteDetail>(
        Predicate::equals(QStringLiteral("classify"), category),
        {QStringLiteral("sort"), QStringLiteral("cId"), QStringLiteral("remind"),
         QStringLiteral("remind.remindActionType"), QStringLiteral("remind.remindRealDateTime"),
         QStringLiteral("remind.connectWifiIds")});
    rows.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &remind = values.at(i, 2);
        const qint64 remindPk = remind.isNull() ? 0 : remind.toLongLong();
        // A key whose reminder is gone reads as no reminder.
        const bool hasRemind = remindPk && values.at(i, 3).isValid();
        const bool active =
            hasRemind && NoteRowFormatter::isActive(values.at(i, 3).toLongLong(), values.at(i, 4).toString(),
                                                    values.at(i, 5).toString());
        rows.append(Row{values.keys.at(i), qint16(values.at(i, 0).toInt()),
                        active ? NoteRowFormatter::reminderHeight : NoteRowFormatter::plainHeight,
                        hasRemind ? remindPk : 0, values.at(i, 1).toString()});
    }
    std::stable_sort(rows.begin(), rows.end(), before);
    return rows;
}

void NoteListModel::reindex()
{
    m_index.clear();
    m_index.reserve(m_rows.size());
    m_noteOfRemind.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        m_index.insert(m_rows[i].pk, i);
        if (m_rows[i].remindPk)
            m_noteOfRemind.insert(m_rows[i].remindPk, m_rows[i].pk);
    }
}

void NoteListModel::renumber()
{
    // The same notes in a new order: only the rows' numbers change.
    for (int i = 0; i < m_rows.size(); ++i) {
        auto it = m_index.find(m_rows[i].pk);
        if (it == m_index.end())
            m_index.insert(m_rows[i].pk, i);
        else
            *it = i;
    }
}

void NoteListModel::setCategory(const CategoryKey &category)
{
    m_category = category;
    if (Classify *c = categoryRow())
        m_category = CategoryKey{c->objectId().pk, c->classId()};
    reload();
}

void NoteListModel::reload()
{
    beginResetModel();
    m_importantMinutes = importantMinutes();
    m_rows = readRows();
    reindex();
    endResetModel();
}

void NoteListModel::refreshAll()
{
    for (Row &row : m_rows)
        row = rowFor(row.pk);
    reindex();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1));
}

void NoteListModel::refreshRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row] = rowFor(m_rows[row].pk);
    if (m_rows[row].remindPk)
        m_noteOfRemind.insert(m_rows[row].remindPk, m_rows[row].pk);
    emit dataChanged(index(row), index(row));
}

NoteListModel::Row NoteListModel::rowFor(qint64 pk) const
{
    auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk});
    if (!n)
        return Row{pk, 0, NoteRowFormatter::plainHeight, 0, {}};
    DateRemind *r = n->remind();
    return Row{pk, n->sort(), NoteRowFormatter::heightFor(r), r ? r->objectId().pk : 0, n->cId()};
}

bool NoteListModel::applyChanges(const StoreChanges &changes)
{
    if (changes.replaced) {
        reload();
        return true;
    }
    const StoreChanges::Entity notes = changes.entity(QStringLiteral("NoteDetail"));
    const StoreChanges::Entity reminds = changes.entity(QStringLiteral("DateRemind"));
    const StoreChanges::Entity categories = changes.entity(QStringLiteral("Classify"));
    if (!changes.entity(QStringLiteral("UserSet")).isEmpty()) {
        // The important interval shows in every star's tip.
        m_importantMinutes = importantMinutes();
        if (!m_rows.isEmpty())
            emit dataChanged(index(0), index(int(m_rows.size()) - 1));
    }
    if (notes.isEmpty() && reminds.isEmpty() && categories.isEmpty())
        return false;

    Classify *category = categoryRow();
    if (!category) {
        if (!m_rows.isEmpty())
            reload();
        return !m_rows.isEmpty();
    }

    // Notes that leave the list, and those whose row must be read again.
    QSet<qint64> leaving;
    QSet<qint64> changed;
    QList<qint64> arriving;
    for (qint64 pk : notes.deleted)
        if (m_index.contains(pk))
            leaving.insert(pk);
    auto consider = [&](qint64 pk) {
        auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, pk});
        const bool member = n && !n->isDeleted() && n->classify() == category;
        if (m_index.contains(pk)) {
            if (member)
                changed.insert(pk);
            else
                leaving.insert(pk);
        } else if (member) {
            arriving << pk;
        }
    };
    for (qint64 pk : notes.inserted)
        consider(pk);
    for (const StoreChanges::Updated &u : notes.updated)
        consider(u.pk);
    for (qint64 pk : reminds.deleted)
        if (qint64 note = m_noteOfRemind.value(pk); note && m_index.contains(note) && !leaving.contains(note))
            changed.insert(note);
    auto remindChanged = [&](qint64 pk) {
        auto *r = m_store->existing<DateRemind>(ObjectId{DateRemind::entity().index, pk});
        NoteDetail *n = r ? r->noteDetail() : nullptr;
        qint64 note = n ? n->objectId().pk : m_noteOfRemind.value(pk);
        if (note && m_index.contains(note) && !leaving.contains(note))
            changed.insert(note);
    };
    for (qint64 pk : reminds.inserted)
        remindChanged(pk);
    for (const StoreChanges::Updated &u : reminds.updated)
        remindChanged(u.pk);

    // Gone rows first, from the bottom up.
    if (!leaving.isEmpty()) {
        QList<int> gone;
        for (qint64 pk : leaving)
            gone << m_index.value(pk);
        std::sort(gone.begin(), gone.end(), std::greater<int>());
        for (int row : gone) {
            beginRemoveRows({}, row, row);
            m_rows.removeAt(row);
            endRemoveRows();
        }
        reindex();
    }

    // Changed rows: new values, and the order they give.
    std::vector<bool> isChanged(size_t(m_rows.size()), false);
    for (qint64 pk : std::as_const(changed)) {
        const int at = m_index.value(pk);
        isChanged[size_t(at)] = true;
        Row &row = m_rows[at];
        Row fresh = rowFor(pk);
        if (fresh.remindPk != row.remindPk) {
            if (row.remindPk && m_noteOfRemind.value(row.remindPk) == pk)
                m_noteOfRemind.remove(row.remindPk);
            if (fresh.remindPk)
                m_noteOfRemind.insert(fresh.remindPk, pk);
        }
        row = std::move(fresh);
    }
    if (!std::is_sorted(m_rows.cbegin(), m_rows.cend(), before)) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList persistent = persistentIndexList();
        QList<qint64> keys;
        keys.reserve(persistent.size());
        for (const QModelIndex &i : persistent)
            keys << m_rows[i.row()].pk;
        // Only the changed rows can be out of place: they are sorted on their own and
        // merged into the others (the order is total, so this is what a full sort gives).
        QList<Row> kept, moved;
        kept.reserve(m_rows.size() - changed.size());
        moved.reserve(changed.size());
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            (isChanged[size_t(i)] ? moved : kept).append(std::move(m_rows[i]));
        if (!std::is_sorted(kept.cbegin(), kept.cend(), before))
            std::stable_sort(kept.begin(), kept.end(), before);
        std::stable_sort(moved.begin(), moved.end(), before);
        std::merge(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()),
                   std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()),
                   m_rows.begin(), before);
        renumber();
        QModelIndexList movedTo;
        movedTo.reserve(persistent.size());
        for (qint64 pk : keys)
            movedTo << index(m_index.value(pk));
        changePersistentIndexList(persistent, movedTo);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    // New rows at their places.
    if (!arriving.isEmpty()) {
        QList<Row> rows;
        for (qint64 pk : arriving)
            rows << rowFor(pk);
        std::stable_sort(rows.begin(), rows.end(), before);
        for (const Row &row : rows) {
            const int at =
                int(std::upper_bound(m_rows.cbegin(), m_rows.cend(), row, before) - m_rows.cbegin());
            beginInsertRows({}, at, at);
            m_rows.insert(at, row);
            endInsertRows();
        }
        reindex();
    }

    for (qint64 pk : std::as_const(changed)) {
        const int row = m_index.value(pk, -1);
        if (row >= 0)
            emit dataChanged(index(row), index(row));
    }
    return false;
}

int NoteListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

qint64 NoteListModel::importantMinutes() const
{
    const QList<UserSet *> sets = m_store->fetch<UserSet>(FetchRequest{{}, {}, 1});
    return sets.isEmpty() ? 0 : sets.first()->importantRemindInterval();
}

QVariant NoteListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case KeyRole:
        return row.pk;
    case CIdRole:
        return row.cId;
    case HeightRole:
        return row.height;
    case Qt::DisplayRole:
    case LookRole: {
        auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, row.pk});
        if (!n || n->isDeleted())
            return {};
        if (role == Qt::DisplayRole)
            return n->content().trimmed();
        return QVariant::fromValue(NoteRowFormatter::format(n, n->remind(), m_importantMinutes));
    }
    default:
        return {};
    }
}

qint64 NoteListModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].pk : 0;
}

NoteKey NoteListModel::noteKeyAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return NoteKey{m_rows[row].pk, m_rows[row].cId};
}
