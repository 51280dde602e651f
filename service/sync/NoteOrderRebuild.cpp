#include "service/sync/NoteOrderRebuild.h"

#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "service/sync/PullReplyKeys.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

QList<NoteDetail *> NoteOrderRebuild::chainOrder(const QList<NoteDetail *> &members)
{
    QHash<QString, NoteDetail *> byId;
    for (NoteDetail *n : members)
        byId.insert(n->cId(), n);
    QSet<QString> pointedAt;
    for (NoteDetail *n : members) {
        if (byId.contains(n->nextId()))
            pointedAt.insert(n->nextId());
    }
    NoteDetail *head = nullptr;
    for (NoteDetail *n : members) {
        if (!pointedAt.contains(n->cId())) {
            if (head)
                return {};
            head = n;
        }
    }
    QList<NoteDetail *> out;
    QSet<NoteDetail *> seen;
    for (NoteDetail *n = head; n && !seen.contains(n); n = byId.value(n->nextId())) {
        seen.insert(n);
        out.append(n);
        if (n->nextId() == QLatin1String("-1"))
            break;
    }
    if (out.size() != members.size() || out.isEmpty() || out.last()->nextId() != QLatin1String("-1"))
        return {};
    return out;
}

void NoteOrderRebuild::rebuildFull(Context &ctx, const std::vector<PullNoteRows::Row> &rows)
{
    struct Member
    {
        NoteDetail *note;
        bool imported;
        std::optional<qint16> pulledSort;
        qint16 sort() const { return pulledSort.value_or(note->sort()); }
    };
    QHash<QString, QList<Member>> byClass;
    QString lastClassId;
    QList<Member> *last = nullptr;
    for (const PullNoteRows::Row &row : rows) {
        if (row.note->isDeleted())
            continue;
        // Notes come by category mostly: the list of the last one is kept at hand
        // (taken afresh after each insertion, which may move the lists).
        const QString classId = row.note->classId();
        if (!last || classId != lastClassId) {
            last = &byClass[classId];
            lastClassId = classId;
        }
        last->append({row.note, row.imported, row.pulledSort});
    }
    qint16 cs = 1;
    QSet<QString> numbered;
    for (Classify *c : ctx.findAllSortedBy<Classify>(QStringLiteral("sort"), true)) {
        c->setSort(cs++);
        const QString classId = c->classId();
        const auto it = byClass.constFind(classId);
        if (it == byClass.constEnd())
            continue;
        numbered.insert(classId);
        QList<Member> list, kept;
        list.reserve(it->size());
        for (const Member &m : *it)
            (m.imported ? list : kept).append(m);
        // Pulled numbers count from the bottom; notes kept with their local
        // changes count from the top and go back to where they were.
        const auto higher = [](const Member &a, const Member &b) { return a.sort() > b.sort(); };
        if (!std::is_sorted(list.begin(), list.end(), higher))
            std::stable_sort(list.begin(), list.end(), higher);
        std::stable_sort(kept.begin(), kept.end(),
                         [](const Member &a, const Member &b) { return a.sort() < b.sort(); });
        for (const Member &m : std::as_const(kept))
            list.insert(std::clamp<qsizetype>(m.sort() - 1, 0, list.size()), m);
        qint16 s = 1;
        for (const Member &m : std::as_const(list)) {
            if (m.note->sort() != s)
                m.note->setSort(s);
            ++s;
        }
    }
    // Notes of no category listed keep the pulled numbers.
    for (auto it = byClass.cbegin(); it != byClass.cend(); ++it) {
        if (numbered.contains(it.key()))
            continue;
        for (const Member &m : *it) {
            if (m.pulledSort && m.note->sort() != *m.pulledSort)
                m.note->setSort(*m.pulledSort);
        }
    }
}

void NoteOrderRebuild::rebuildChanged(QList<NoteDetail *> changed, qsizetype entryCount, Context &ctx)
{
    if (changed.isEmpty())
        return;
    const QSet<NoteDetail *> changedSet(changed.cbegin(), changed.cend());
    if (entryCount > 100) {
        // Pulled numbers count from the bottom; the list shows the top first.
        QHash<QString, int> counts;
        for (NoteDetail *n : changed) {
            if (!counts.contains(n->classId()))
                counts.insert(n->classId(), int(ctx.findByAttribute<NoteDetail>(
                                                       PullReplyKeys::classIdAttribute, n->classId())
                                                    .size()));
        }
        for (NoteDetail *n : changed)
            n->setSort(qint16(counts.value(n->classId()) - n->sort() + 1));
        return;
    }

    std::stable_sort(changed.begin(), changed.end(),
                     [](const NoteDetail *a, const NoteDetail *b) { return a->sort() < b->sort(); });
    QSet<QString> done;
    for (NoteDetail *first : std::as_const(changed)) {
        const QString classId = first->classId();
        if (done.contains(classId))
            continue;
        done.insert(classId);
        const QList<NoteDetail *> members = ctx.findAllSortedBy<NoteDetail>(
            QStringLiteral("sort"), true, [&](const NoteDetail *n) { return n->classId() == classId; });
        QList<NoteDetail *> list = chainOrder(members);
        if (list.isEmpty()) {
            for (NoteDetail *n : members) {
                if (!changedSet.contains(n))
                    list.append(n);
            }
            // A note goes right before its successor; one whose successor is not
            // placed yet waits for it, so chains of changed notes keep their order.
            QList<NoteDetail *> waiting;
            for (NoteDetail *n : std::as_const(changed)) {
                if (n->classId() == classId)
                    waiting.append(n);
            }
            auto indexOf = [&list](const QString &cId) {
                for (int i = 0; i < list.size(); ++i) {
                    if (list.at(i)->cId() == cId)
                        return i;
                }
                return -1;
            };
            bool progress = true;
            while (!waiting.isEmpty() && progress) {
                progress = false;
                for (int w = 0; w < waiting.size(); ++w) {
                    NoteDetail *n = waiting.at(w);
                    const int at = indexOf(n->nextId());
                    if (at < 0 && n->nextId() != QLatin1String("-1"))
                        continue;
                    if (at >= 0)
                        list.insert(at, n);
                    else
                        list.append(n);
                    waiting.removeAt(w--);
                    progress = true;
                }
            }
            for (NoteDetail *n : std::as_const(waiting)) {
                if (n->sort() == 1)
                    list.append(n);
                else
                    list.prepend(n);
            }
        }
        qint16 s = 1;
        for (NoteDetail *n : std::as_const(list))
            n->setSort(s++);
    }
}
