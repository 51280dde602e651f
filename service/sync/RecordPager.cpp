#include "service/sync/RecordPager.h"

#include "core/model/NoteComplete.h"
#include "core/model/NoteLog.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"

#include <QHash>
#include <QJsonObject>
#include <QPointer>

namespace {

// What the import of one page leaves for the main thread.
struct PageImport
{
    int records = 0;
    QString boundary; // the tId at the end of the mirror the chain walks to
};

// One record into its row; the keys first, then the values the import decides.
void importRecord(ManagedObject *row, const QJsonObject &record, qint64 tId, RecordPager::Kind kind)
{
    row->importValuesForKeys(record);
    // A "sort" in the record would otherwise reorder the mirror: the order is the tId's.
    row->setValue(QStringLiteral("sort"), tId);
    row->setValue(QStringLiteral("tId"), QString::number(tId));
    if (kind != RecordPager::Kind::History)
        return;
    auto *log = static_cast<NoteLog *>(row);
    const QJsonValue difference = record.value(QStringLiteral("difference"));
    if (!difference.isNull()) {
        const QJsonValue items = difference.toObject().value(QStringLiteral("diffItems"));
        log->setDiffItems(items.isArray() ? QVariant(items.toArray().toVariantList()) : QVariant());
    }
    log->setClassifyName(record.value(QStringLiteral("className")).toString());
}

PageImport importPage(Context &ctx, const QJsonArray &records, RecordPager::Kind kind, bool towardsOlder)
{
    const EntityDescription &entity =
        kind == RecordPager::Kind::History ? NoteLog::entity() : NoteComplete::entity();
    QHash<qint64, QJsonObject> byId;
    QVariantList ids;
    for (const QJsonValue &v : records) {
        const QJsonObject record = v.toObject();
        const auto tId = ReplyValue::toInt64(record.value(QStringLiteral("tId")));
        if (!tId)
            continue; // a record without an id cannot be kept
        if (!byId.contains(*tId))
            ids.append(QString::number(*tId));
        byId.insert(*tId, record);
    }
    PageImport out;
    QHash<QString, ManagedObject *> existing;
    if (!ids.isEmpty()) {
        const QList<ManagedObject *> rows =
            ctx.fetch(entity, FetchRequest{Predicate::in(QStringLiteral("tId"), ids), {}, -1});
        for (ManagedObject *row : rows)
            existing.insert(row->value(QStringLiteral("tId")).toString(), row);
    }
    for (auto it = byId.cbegin(); it != byId.cend(); ++it) {
        const QString id = QString::number(it.key());
        ManagedObject *row = existing.value(id);
        if (!row)
            row = ctx.createObject(entity);
        importRecord(row, it.value(), it.key(), kind);
        ++out.records;
    }
    const QList<ManagedObject *> end =
        ctx.fetch(entity, FetchRequest{Predicate(), {{QStringLiteral("sort"), towardsOlder}}, 1});
    if (!end.isEmpty())
        out.boundary = end.first()->value(QStringLiteral("tId")).toString();
    return out;
}

} // namespace

struct RecordPager::Chain
{
    quint64 serial = 0;
    quint64 generation = 0;
    bool towardsOlder = true; // sortType 1; else 0, newer records
    int pageSize = RecordPager::DefaultPageSize;
    QString index; // the tId the last page was asked from; empty for the newest
};

RecordPager::RecordPager(Kind kind, ApiNetWorking &api, Context &store, Session &session, QObject *parent)
    : QObject(parent), m_kind(kind), m_api(api), m_store(store), m_session(session)
{
    // A chain of an ended sign-in ends with it; its late pages find no chain.
    connect(&m_session, &Session::signingOut, this, [this] {
        if (m_chain)
            end(Result::Dropped);
    });
}

RecordPager::~RecordPager() = default;

RecordPager::Kind RecordPager::kind() const
{
    return m_kind;
}

bool RecordPager::isRunning() const
{
    return m_chain != nullptr;
}

void RecordPager::refresh(int pageSize)
{
    if (m_chain)
        return;
    static quint64 serials = 0;
    m_chain = std::make_unique<Chain>();
    m_chain->pageSize = pageSize > 0 ? pageSize : DefaultPageSize;
    m_chain->serial = ++serials;
    m_chain->generation = m_session.generation();
    const EntityDescription &entity = m_kind == Kind::History ? NoteLog::entity() : NoteComplete::entity();
    const QList<ManagedObject *> newest =
        m_store.fetch(entity, FetchRequest{Predicate(), {{QStringLiteral("sort"), false}}, 1});
    if (!newest.isEmpty()) {
        m_chain->towardsOlder = false;
        m_chain->index = newest.first()->value(QStringLiteral("tId")).toString();
    }
    requestPage();
}

void RecordPager::requestPage()
{
    QJsonObject params{{"pageSize", QString::number(m_chain->pageSize)},
                       {"sortType", m_chain->towardsOlder ? QStringLiteral("1") : QStringLiteral("0")}};
    if (!m_chain->index.isEmpty())
        params.insert(QStringLiteral("indexId"), m_chain->index);
    const quint64 serial = m_chain->serial;
    auto live = [this, serial] { return m_chain && m_chain->serial == serial; };
    auto success = [this, live](const BaseSuccessModel &reply) {
        if (!live())
            return;
        if (m_session.generation() != m_chain->generation)
            return end(Result::Dropped);
        if (!reply.isSuccess())
            return end(Result::Refused);
        const QJsonArray records = reply.dataObject().value(QStringLiteral("datas")).toArray();
        if (records.isEmpty())
            return end(Result::Done);
        pageArrived(records);
    };
    auto failed = [this, live](const BaseErrorModel &) {
        if (live())
            end(Result::Failed);
    };
    if (m_kind == Kind::History)
        m_api.loadLogNoteListWithParams(params, this, success, failed);
    else
        m_api.loadCompleteNoteListWithParams(params, this, success, failed);
}

void RecordPager::pageArrived(const QJsonArray &records)
{
    const Kind kind = m_kind;
    const bool older = m_chain->towardsOlder;
    const quint64 serial = m_chain->serial;
    auto result = std::make_shared<PageImport>();
    auto done = [self = QPointer<RecordPager>(this), serial, result](const SaveResult &saved) {
        if (!self || !self->m_chain || self->m_chain->serial != serial)
            return;
        if (!saved)
            return self->end(Result::Failed);
        if (self->m_session.generation() != self->m_chain->generation)
            return self->end(Result::Dropped);
        if (result->records > 0)
            emit self->pageImported(result->records);
        // A page that leaves the end of the mirror where it was ends the chain.
        if (result->boundary.isEmpty() || result->boundary == self->m_chain->index)
            return self->end(Result::Done);
        self->m_chain->index = result->boundary;
        self->requestPage();
    };
    Store *store = m_store.store();
    if (!store) {
        *result = importPage(m_store, records, kind, older);
        done(m_store.saveAndWait());
        return;
    }
    store->saveInBackground(
        [records, kind, older, result](Context &ctx) { *result = importPage(ctx, records, kind, older); },
        done);
}

void RecordPager::end(Result result)
{
    m_chain.reset();
    emit finished(result);
}
