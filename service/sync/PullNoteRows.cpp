#include "service/sync/PullNoteRows.h"

#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"

void PullNoteRows::load(Context &ctx)
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QList<NoteDetail *> all = ctx.findAll<NoteDetail>();
    m_rows.reserve(size_t(all.size()) + m_expected);
    m_byCId.reserve(all.size() + m_expected);
    for (NoteDetail *n : all)
        add(n);
}

qsizetype PullNoteRows::add(NoteDetail *n)
{
    const qsizetype slot = qsizetype(m_rows.size());
    m_rows.push_back({n, false, false, std::nullopt});
    const QString cId = n->cId();
    auto it = m_byCId.find(cId);
    if (it != m_byCId.end()) {
        m_shared.insert(cId);
        if (at(*it).note->isDeleted())
            *it = slot;
    } else {
        if (cId.isEmpty())
            m_shared.insert(cId);
        m_byCId.insert(cId, slot);
    }
    return slot;
}

qsizetype PullNoteRows::firstLive(const QString &cId)
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].note->isDeleted() && m_rows[i].note->cId() == cId) {
            m_byCId.insert(cId, qsizetype(i));
            return qsizetype(i);
        }
    }
    return -1;
}
