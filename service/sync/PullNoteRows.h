#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class Context;
class NoteDetail;

// The notes of one import, read once: what the entries did to each row is kept
// with it, so the sweep and the order rebuild need no second read.
class PullNoteRows
{
public:
    struct Row
    {
        NoteDetail *note = nullptr;
        // An entry that is not a deletion names the row's cId.
        bool listed = false;
        // The entry's values went into the row (not when local changes wait for the push).
        bool imported = false;
        // The entry's sort, held back from a stored row that is numbered afresh
        // anyway (so that a row keeping its place is not written).
        std::optional<qint16> pulledSort;
    };

    void load(Context &ctx);
    void expect(qsizetype more) { m_expected = size_t(qMax<qsizetype>(more, 0)); }
    // The slot of the row under `cId` (the first one made, as the store's finder
    // gives it, unless it is gone); -1 when there is none.
    qsizetype find(const QString &cId) const { return m_byCId.value(cId, -1); }
    qsizetype add(NoteDetail *n);
    Row &at(qsizetype slot) { return m_rows[size_t(slot)]; }
    // Another row under a shared cId once the one found is gone (seldom: a walk).
    qsizetype firstLive(const QString &cId);
    // Every row, in creation order (rows gone meanwhile included).
    const std::vector<Row> &rows() const { return m_rows; }
    // cIds more than one row holds (or none): an entry's mark on one of them does
    // not tell about the others.
    bool shared(const QString &cId) const { return !m_shared.isEmpty() && m_shared.contains(cId); }
    bool anyShared() const { return !m_shared.isEmpty(); }

private:
    bool m_loaded = false;
    size_t m_expected = 0;
    std::vector<Row> m_rows;
    QHash<QString, qsizetype> m_byCId;
    QSet<QString> m_shared;
};
