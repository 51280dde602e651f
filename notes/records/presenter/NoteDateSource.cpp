#include "notes/records/presenter/NoteDateSource.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"

NoteDateSource::NoteDateSource(Context *store, QObject *parent) : QObject(parent), m_store(store)
{
    if (m_store)
        connect(m_store, &Context::changesSaved, this, &NoteDateSource::storeChanged);
}

QList<NoteDateSource::Item> NoteDateSource::fetch(const QString &classId)
{
    QList<Item> items;
    if (!m_store)
        return items;
    Predicate where = Predicate::isNotNull(QStringLiteral("remind")) &&
                      Predicate::notEquals(QStringLiteral("actionType"), 3);
    if (!classId.isEmpty())
        where = where && Predicate::equals(QStringLiteral("classId"), classId);
    enum Column
    {
        CId,
        Completed,
        ActionType,
        Remind,
        RemindActionType,
        Real,
        Delay,
        WifiIds,
        WifiStatus,
        WifiDate
    };
    const FetchedValues values = m_store->fetchValues<NoteDetail>(
        where, {QStringLiteral("cId"), QStringLiteral("isCompleted"), QStringLiteral("actionType"),
                QStringLiteral("remind"), QStringLiteral("remind.remindActionType"),
                QStringLiteral("remind.remindRealDateTime"), QStringLiteral("remind.remindDelayTime"),
                QStringLiteral("remind.connectWifiIds"), QStringLiteral("remind.remindWifiStatus"),
                QStringLiteral("remind.remindWifiDateTime")});
    items.reserve(values.size());
    m_noteOfRemind.clear();
    m_noteOfRemind.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &remind = values.at(i, Remind);
        // A key whose reminder is gone reads as no reminder.
        if (remind.isNull() || !values.at(i, RemindActionType).isValid())
            continue;
        m_noteOfRemind.insert(remind.toLongLong(), values.keys.at(i));
        NoteDateGrouping::Values v;
        v.noteActionType = qint16(values.at(i, ActionType).toInt());
        v.completed = values.at(i, Completed).toBool();
        v.remindActionType = qint16(values.at(i, RemindActionType).toInt());
        v.realDateTime = values.at(i, Real).toString();
        v.delayTime = values.at(i, Delay).toString();
        v.wifiIds = values.at(i, WifiIds).toString();
        v.wifiStatus = qint16(values.at(i, WifiStatus).toInt());
        v.wifiDateTime = values.at(i, WifiDate).toString();
        if (const auto timing = NoteDateGrouping::timing(v))
            items.append(Item{values.keys.at(i), values.at(i, CId).toString(), *timing});
    }
    return items;
}

std::optional<NoteDateSource::Item> NoteDateSource::item(qint64 notePk, const QString &classId)
{
    if (!m_store)
        return std::nullopt;
    auto *n = m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, notePk});
    if (!n || n->isDeleted())
        return std::nullopt;
    const DateRemind *r = n->remind();
    if (!r || r->isDeleted())
        return std::nullopt;
    m_noteOfRemind.insert(r->objectId().pk, notePk);
    if (!classId.isEmpty() && n->classId() != classId)
        return std::nullopt;
    NoteDateGrouping::Values v;
    v.noteActionType = n->actionType();
    v.completed = n->isCompleted();
    v.remindActionType = r->remindActionType();
    v.realDateTime = r->remindRealDateTime();
    v.delayTime = r->remindDelayTime();
    v.wifiIds = r->connectWifiIds();
    v.wifiStatus = r->remindWifiStatus();
    v.wifiDateTime = r->remindWifiDateTime();
    const auto timing = NoteDateGrouping::timing(v);
    if (!timing)
        return std::nullopt;
    return Item{notePk, n->cId(), *timing};
}

void NoteDateSource::storeChanged(const StoreChanges &changes)
{
    if (changes.replaced) {
        emit itemsReplaced();
        return;
    }
    if (!changes.entity(QStringLiteral("UserSet")).isEmpty())
        emit looksChanged();
    const StoreChanges::Entity notes = changes.entity(QStringLiteral("NoteDetail"));
    const StoreChanges::Entity reminds = changes.entity(QStringLiteral("DateRemind"));
    if (notes.isEmpty() && reminds.isEmpty())
        return;
    QSet<qint64> touched;
    for (qint64 pk : notes.inserted)
        touched.insert(pk);
    for (const StoreChanges::Updated &u : notes.updated)
        touched.insert(u.pk);
    for (qint64 pk : notes.deleted)
        touched.insert(pk);
    auto remindTouched = [&](qint64 pk) {
        auto *r = m_store->existing<DateRemind>(ObjectId{DateRemind::entity().index, pk});
        const NoteDetail *n = r ? r->noteDetail() : nullptr;
        if (n)
            touched.insert(n->objectId().pk);
        if (const qint64 before = m_noteOfRemind.value(pk))
            touched.insert(before);
    };
    for (qint64 pk : reminds.inserted)
        remindTouched(pk);
    for (const StoreChanges::Updated &u : reminds.updated)
        remindTouched(u.pk);
    for (qint64 pk : reminds.deleted) {
        if (const qint64 before = m_noteOfRemind.take(pk))
            touched.insert(before);
    }
    if (!touched.isEmpty())
        emit itemsChanged(touched);
}
