#include "service/sync/PullImportIndex.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "service/sync/PullReplyKeys.h"

NoteDetail *PullImportIndex::note(const QString &cId, qsizetype *slot)
{
    if (!bulk)
        return ctx.findFirstByAttribute<NoteDetail>(PullReplyKeys::cIdAttribute, cId);
    notes.load(ctx);
    qsizetype s = notes.find(cId);
    NoteDetail *n = s >= 0 ? notes.at(s).note : nullptr;
    if (n && n->isDeleted()) {
        s = notes.shared(cId) ? notes.firstLive(cId) : -1;
        n = s >= 0 ? notes.at(s).note : nullptr;
    }
    if (slot)
        *slot = n ? s : -1;
    return n;
}

void PullImportIndex::remindsOf(const QString &cId, QVarLengthArray<DateRemind *, 4> *out)
{
    if (bulk) {
        m_reminds.all(ctx, cId, out);
        return;
    }
    for (DateRemind *r : ctx.findByAttribute<DateRemind>(PullReplyKeys::cIdAttribute, cId))
        out->append(r);
}

Classify *PullImportIndex::classify(const QString &classId)
{
    if (!m_classesLoaded) {
        m_classesLoaded = true;
        for (Classify *c : ctx.findAll<Classify>())
            m_classes.insert(c->classId(), c);
    }
    Classify *c = m_classes.value(classId);
    return c && !c->isDeleted() ? c : nullptr;
}

void PullImportIndex::addClassify(Classify *c)
{
    if (m_classesLoaded)
        m_classes.insert(c->classId(), c);
}

void PullImportIndex::RemindRows::all(Context &ctx, const QString &cId, QVarLengthArray<DateRemind *, 4> *out)
{
    load(ctx);
    if (DateRemind *r = m_first.value(cId); r && !r->isDeleted())
        out->append(r);
    if (m_later.isEmpty())
        return;
    const auto it = m_later.constFind(cId);
    if (it == m_later.constEnd())
        return;
    for (DateRemind *r : *it) {
        if (!r->isDeleted())
            out->append(r);
    }
}

void PullImportIndex::RemindRows::load(Context &ctx)
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QList<DateRemind *> all = ctx.findAll<DateRemind>();
    m_first.reserve(all.size());
    for (DateRemind *r : all) {
        const QString cId = r->cId();
        if (m_first.contains(cId))
            m_later[cId].append(r);
        else
            m_first.insert(cId, r);
    }
}
