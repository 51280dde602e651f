#include "service/sync/NoteMapManager.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "platform/base/Missing.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/AttributeValue.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ReplyValue.h"

#include <QDebug>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QVarLengthArray>

#include <algorithm>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Keys read from the reply: the Latin-1 views compare with the parsed keys without
// building a text per look-up.
constexpr QLatin1StringView kCId("cId");
constexpr QLatin1StringView kClassId("classId");
constexpr QLatin1StringView kDetail("detail");
constexpr QLatin1StringView kDatas("datas");
constexpr QLatin1StringView kActionType("actionType");
constexpr QLatin1StringView kRemindSetting("remindSetting");
constexpr QLatin1StringView kSort("sort");
// Attribute names for the store's finders.
const QString kCIdAttribute = QStringLiteral("cId");
const QString kClassIdAttribute = QStringLiteral("classId");

int actionOf(const QJsonValue &v)
{
    return ReplyValue::code(v);
}

QString textOf(const QJsonValue &v)
{
    return ReplyValue::idText(v);
}

// Every row of one entity, read once by its key the first time one is asked for.
template <typename T, auto Key> class LoadedRows
{
public:
    // The row read or added last under `key`, unless it is deleted.
    T *one(Context &ctx, const QString &key)
    {
        T *row = rows(ctx).value(key);
        return row && !row->isDeleted() ? row : nullptr;
    }
    void add(T *row)
    {
        if (m_loaded)
            m_rows.insert((row->*Key)(), row);
    }

private:
    const QMultiHash<QString, T *> &rows(Context &ctx)
    {
        if (!m_loaded) {
            m_loaded = true;
            for (T *row : ctx.findAll<T>())
                m_rows.insert((row->*Key)(), row);
        }
        return m_rows;
    }

    bool m_loaded = false;
    QMultiHash<QString, T *> m_rows;
};

// The notes of one import, read once: what the entries did to each row is kept
// with it, so the sweep and the order rebuild need no second read.
class NoteRows
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

    void load(Context &ctx)
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
    void expect(qsizetype more) { m_expected = size_t(qMax<qsizetype>(more, 0)); }
    // The slot of the row under `cId` (the first one made, as the store's finder
    // gives it, unless it is gone); -1 when there is none.
    qsizetype find(const QString &cId) const { return m_byCId.value(cId, -1); }
    qsizetype add(NoteDetail *n)
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
    Row &at(qsizetype slot) { return m_rows[size_t(slot)]; }
    // Another row under a shared cId once the one found is gone (seldom: a walk).
    qsizetype firstLive(const QString &cId)
    {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (!m_rows[i].note->isDeleted() && m_rows[i].note->cId() == cId) {
                m_byCId.insert(cId, qsizetype(i));
                return qsizetype(i);
            }
        }
        return -1;
    }
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

// Every reminder by its cId, read once; rows made by the import are not added:
// each is held by its note, which is found first.
class RemindRows
{
public:
    // Every live row under `cId`, in creation order (as the store's finder gives them).
    void all(Context &ctx, const QString &cId, QVarLengthArray<DateRemind *, 4> *out)
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

private:
    void load(Context &ctx)
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

    bool m_loaded = false;
    QHash<QString, DateRemind *> m_first;
    QHash<QString, QList<DateRemind *>> m_later;
};

// Finders for one import: with many entries every row is read once into a hash
// instead of one query per entry.
struct ImportIndex
{
    Context &ctx;
    bool bulk = false;
    NoteRows notes;
    RemindRows reminds;
    LoadedRows<Classify, &Classify::classId> classes;

    ImportIndex(Context &c, bool many) : ctx(c), bulk(many) {}

    // With `slot`, the row's slot in `notes` (bulk only; -1 when there is none).
    NoteDetail *note(const QString &cId, qsizetype *slot = nullptr)
    {
        if (!bulk)
            return ctx.findFirstByAttribute<NoteDetail>(kCIdAttribute, cId);
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
    qsizetype addNote(NoteDetail *n) { return bulk ? notes.add(n) : -1; }
    void remindsOf(const QString &cId, QVarLengthArray<DateRemind *, 4> *out)
    {
        if (bulk) {
            reminds.all(ctx, cId, out);
            return;
        }
        for (DateRemind *r : ctx.findByAttribute<DateRemind>(kCIdAttribute, cId))
            out->append(r);
    }
    Classify *classify(const QString &classId) { return classes.one(ctx, classId); }
    void addClassify(Classify *c) { classes.add(c); }
};

// An entry's values beside its own key, its actionType and its detail (those
// three are the import's to set).
QJsonObject valuesBeside(const QJsonObject &entry, QLatin1StringView keyName)
{
    QJsonObject values = entry;
    values.remove(keyName);
    values.remove(kActionType);
    values.remove(kDetail);
    return values;
}

// With `overwritePending` (a restore) the service's values also replace local
// changes that wait for the push; otherwise those rows are left as they are.
Classify *importClassify(const QJsonObject &entry, ImportIndex &index, bool overwritePending = false)
{
    const QString classId = textOf(entry.value(kClassId));
    if (classId.isEmpty())
        return nullptr;
    const int action = actionOf(entry.value(kActionType));
    Classify *c = index.classify(classId);
    if (action == 3) {
        if (c)
            index.ctx.deleteObject(c);
        return nullptr;
    }
    if (action != 1 && action != 2)
        return nullptr;
    if (c && !c->isSync() && !overwritePending)
        return c; // local changes wait for the push and win
    if (!c) {
        c = index.ctx.create<Classify>();
        c->setClassId(classId);
        index.addClassify(c);
    }
    // The entry's own classId and actionType are the import's (set below): only
    // other values beside the detail are taken, so that a row already holding
    // the pulled values is not written.
    c->importValuesForKeys(valuesBeside(entry, kClassId));
    c->importValuesForKeys(entry.value(kDetail).toObject());
    c->setClassId(classId);
    c->setIsSync(true);
    c->setActionType(0);
    return c;
}

void importRemind(NoteDetail *note, const QJsonValue &setting, ImportIndex &index)
{
    if (Missing::isMissing(setting) || !setting.isObject()) {
        if (DateRemind *r = note->remind())
            index.ctx.deleteObject(r);
        return;
    }
    const QString cId = note->cId();
    DateRemind *target = note->remind();
    QVarLengthArray<DateRemind *, 4> byCId;
    index.remindsOf(cId, &byCId);
    if (!target && !byCId.isEmpty())
        target = byCId.first();
    for (DateRemind *r : std::as_const(byCId)) {
        if (r != target && !r->noteDetail())
            index.ctx.deleteObject(r); // an orphan left by an earlier import
    }
    if (!target) {
        target = index.ctx.create<DateRemind>();
        target->setCId(cId);
    }
    target->importValuesForKeys(setting.toObject());
    if (target->cId() != cId)
        target->setCId(cId);
    if (note->remind() != target)
        note->setRemind(target);
}

// One note entry as the import reads it, its keys read once.
struct NoteEntry
{
    QJsonObject entry;
    QJsonObject detail;
    QJsonValue remindSetting;
    QString cId;
    QString classId; // the detail's
    int action = -1;
    // The entry holds values beside its cId, actionType and detail.
    bool besideDetail = false;

    // False when the entry is not an object or its detail is neither an object nor missing
    // (what can be read is read all the same).
    bool read(const QJsonValue &value)
    {
        entry = value.toObject();
        const QJsonValue cIdValue = entry.value(kCId);
        const QJsonValue actionValue = entry.value(kActionType);
        const QJsonValue detailValue = entry.value(kDetail);
        detail = detailValue.toObject();
        remindSetting = detail.value(kRemindSetting);
        classId = textOf(detail.value(kClassId));
        cId = textOf(cIdValue);
        action = actionOf(actionValue);
        besideDetail =
            entry.size() != !cIdValue.isUndefined() + !actionValue.isUndefined() + !detailValue.isUndefined();
        return value.isObject() && (Missing::isMissing(detailValue) || detailValue.isObject());
    }
    // The values beside the detail; the entry's cId and actionType are the
    // import's own (a row takes the entry's cId and actionType 0).
    QJsonObject besideValues() const { return valuesBeside(entry, kCId); }
};

// `imported` tells whether the entry's values went into the returned note (not
// when local changes wait for the push); `slot` is the note's slot in the
// index's rows (bulk only). With `pulledSort` a stored row does not take the
// entry's sort, which goes there instead (the order rebuild numbers it afresh).
NoteDetail *importNote(const NoteEntry &e, ImportIndex &index, QStringList *withdrawn,
                       bool overwritePending = false, bool *imported = nullptr, qsizetype *slot = nullptr,
                       std::optional<qint16> *pulledSort = nullptr)
{
    if (imported)
        *imported = false;
    if (slot)
        *slot = -1;
    const QString &cId = e.cId;
    if (cId.isEmpty())
        return nullptr;
    NoteDetail *note = index.note(cId, slot);
    if (e.action == 3) {
        if (note) {
            if (withdrawn)
                withdrawn->append(cId);
            index.ctx.deleteObject(note);
        }
        return nullptr;
    }
    if (note && !note->isSync() && !overwritePending)
        return note; // local changes wait for the push and win
    const bool created = !note;
    if (created) {
        if (e.action != 1 && e.action != 2)
            return nullptr;
        note = index.ctx.create<NoteDetail>();
        note->setCId(cId);
        const qsizetype s = index.addNote(note);
        if (slot)
            *slot = s;
    }
    Classify *classify = index.classify(e.classId);
    if (e.besideDetail)
        note->importValuesForKeys(e.besideValues());
    const auto sortValue = pulledSort && !created ? e.detail.constFind(kSort) : e.detail.constEnd();
    if (sortValue != e.detail.constEnd()) {
        // A value that cannot be read leaves the row's own, as the import does.
        const auto sort = AttributeValue::convert(*sortValue, AttributeType::Int16);
        *pulledSort = sort ? qint16(sort->toLongLong()) : note->sort();
        QJsonObject values = e.detail;
        values.remove(kSort);
        note->importValuesForKeys(values);
    } else {
        note->importValuesForKeys(e.detail);
    }
    // Setting a value a row already holds changes nothing: those setters are skipped.
    if (note->cId() != cId)
        note->setCId(cId);
    if (note->classify() != classify)
        note->setClassify(classify);
    if (!note->isSync())
        note->setIsSync(true);
    if (note->isError())
        note->setIsError(false);
    if (note->actionType() != 0)
        note->setActionType(0);
    importRemind(note, e.remindSetting, index);
    if (withdrawn)
        withdrawn->append(cId);
    if (imported)
        *imported = true;
    return note;
}

bool isObjectOrMissing(const QJsonValue &v)
{
    return Missing::isMissing(v) || v.isObject();
}

// The entries of a section ({"datas": [...]}), or nothing when it is missing.
bool sectionEntries(const QJsonValue &section, QString *error, const char *name, QJsonArray *entries)
{
    if (Missing::isMissing(section))
        return true;
    if (!section.isObject()) {
        *error = QStringLiteral("%1 is not an object").arg(QLatin1String(name));
        return false;
    }
    const QJsonValue datas = section.toObject().value(kDatas);
    if (Missing::isMissing(datas))
        return true;
    if (!datas.isArray()) {
        *error = QStringLiteral("%1.datas is not a list").arg(QLatin1String(name));
        return false;
    }
    *entries = datas.toArray();
    return true;
}

bool listOfObjects(const QJsonValue &section, QString *error, const char *name)
{
    QJsonArray entries;
    if (!sectionEntries(section, error, name, &entries))
        return false;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        if (!(*it).isObject()) {
            *error = QStringLiteral("%1.datas holds an entry that is not an object").arg(QLatin1String(name));
            return false;
        }
    }
    return true;
}

constexpr const char *kNotesSection = "syncContentResult";

// What is wrong with a note entry of the wrong shape.
QString noteEntryError(const QJsonValue &entry)
{
    return entry.isObject() ? QStringLiteral("a note entry's detail is not an object")
                            : QStringLiteral("%1.datas holds an entry that is not an object")
                                  .arg(QLatin1String(kNotesSection));
}

// The note entries, each read once; false (and the error) when one has the wrong shape.
// A long list is read by a few threads at once (the reply is only read).
bool readNoteEntries(const QJsonObject &data, std::vector<NoteEntry> *out, QString *error)
{
    QJsonArray entries;
    if (!sectionEntries(data.value(QLatin1String(kNotesSection)), error, kNotesSection, &entries))
        return false;
    const qsizetype count = entries.size();
    out->resize(size_t(count));
    // Each part reads its own copy of the list and notes its first bad entry.
    auto readPart = [out](QJsonArray list, qsizetype from, qsizetype to, qsizetype *bad) {
        for (qsizetype i = from; i < to; ++i) {
            if (!(*out)[size_t(i)].read(list.at(i))) {
                *bad = i;
                return;
            }
        }
    };
    constexpr qsizetype kPerPart = 1000;
    const qsizetype parts = std::clamp<qsizetype>(count / kPerPart, 1, qMin(QThread::idealThreadCount(), 4));
    std::vector<qsizetype> bad(size_t(parts), -1);
    {
        std::vector<std::jthread> helpers;
        for (qsizetype p = 1; p < parts; ++p) {
            const qsizetype from = count * p / parts, to = count * (p + 1) / parts;
            try {
                helpers.emplace_back(readPart, entries, from, to, &bad[size_t(p)]);
            } catch (const std::system_error &) {
                readPart(entries, from, to, &bad[size_t(p)]); // no thread to be had: read it here
            }
        }
        readPart(entries, 0, count / parts, &bad[0]);
    }
    for (const qsizetype i : bad) {
        if (i < 0)
            continue;
        *error = noteEntryError(entries.at(i));
        out->clear();
        return false;
    }
    return true;
}

UserInfo *currentUser(Context &ctx, qint64 userId, bool create)
{
    if (userId == 0)
        return nullptr;
    UserInfo *u = ctx.findFirstByAttribute<UserInfo>(QStringLiteral("userId"), userId);
    if (!u && create) {
        u = ctx.create<UserInfo>();
        u->setValue(QStringLiteral("userId"), userId);
    }
    return u;
}

bool listHasElement(const QString &commaList, const QString &value)
{
    for (const QString &part : commaList.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (part.trimmed() == value)
            return true;
    }
    return false;
}

// The order the nextId links give when they form one chain over all notes;
// empty when they do not.
QList<NoteDetail *> chainOrder(const QList<NoteDetail *> &members)
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

// A full pull numbers every category and the notes in each afresh. `rows`: every
// note in creation order (rows gone meanwhile are skipped), marked with whether
// its pulled values were taken.
void rebuildFullSort(Context &ctx, const std::vector<NoteRows::Row> &rows)
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
    for (const NoteRows::Row &row : rows) {
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

// A delta pull places the notes it changed (`changed`: each once, in entry
// order, of `entryCount` entries).
void rebuildChangedSort(QList<NoteDetail *> changed, qsizetype entryCount, Context &ctx)
{
    if (changed.isEmpty())
        return;
    const QSet<NoteDetail *> changedSet(changed.cbegin(), changed.cend());
    if (entryCount > 100) {
        // Pulled numbers count from the bottom; the list shows the top first.
        QHash<QString, int> counts;
        for (NoteDetail *n : changed) {
            if (!counts.contains(n->classId()))
                counts.insert(n->classId(),
                              int(ctx.findByAttribute<NoteDetail>(kClassIdAttribute, n->classId()).size()));
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


// Whether the reply has the shape the import reads; the note entries only with `notes`.
bool checkShape(const QJsonObject &data, QString *error, bool notes)
{
    for (const char *key :
         {"SnapshotRestoreResult", "syncClearDataResult", "syncUserInfoResult", "syncUserSetResult"}) {
        if (!isObjectOrMissing(data.value(QLatin1String(key)))) {
            *error = QStringLiteral("%1 is not an object").arg(QLatin1String(key));
            return false;
        }
    }
    for (const char *key : {"syncUserInfoResult", "syncUserSetResult"}) {
        const QJsonObject s = data.value(QLatin1String(key)).toObject();
        if (ReplyValue::isTrue(s.value(QStringLiteral("isChange"))) && !isObjectOrMissing(s.value(kDetail))) {
            *error = QStringLiteral("%1.detail is not an object").arg(QLatin1String(key));
            return false;
        }
    }
    if (!listOfObjects(data.value(QStringLiteral("syncContentLogDelResult")), error, "syncContentLogDelResult") ||
        !listOfObjects(data.value(QStringLiteral("syncUserWifiResult")), error, "syncUserWifiResult") ||
        !listOfObjects(data.value(QStringLiteral("syncClassResult")), error, "syncClassResult"))
        return false;
    if (!notes)
        return true;
    QJsonArray entries;
    if (!sectionEntries(data.value(QLatin1String(kNotesSection)), error, kNotesSection, &entries))
        return false;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const QJsonValue v = *it;
        if (!v.isObject() || !isObjectOrMissing(v.toObject().value(kDetail))) {
            *error = noteEntryError(v);
            return false;
        }
    }
    return true;
}

bool applyAll(Context &ctx, const QJsonObject &data, const NoteMapManager::Options &options,
              NoteMapManager::Result *result)
{
    // The note entries are checked while they are read, in one pass.
    QString error;
    std::vector<NoteEntry> noteEntries;
    if (!checkShape(data, &error, false) || !readNoteEntries(data, &noteEntries, &error)) {
        result->error = error;
        return false;
    }

    // 1-3: a restore or a full pull replaces the data by key (step 10); the
    // server-side clears go now.
    const QJsonObject restore = data.value(QStringLiteral("SnapshotRestoreResult")).toObject();
    const QJsonObject clear = data.value(QStringLiteral("syncClearDataResult")).toObject();
    const bool restoring =
        options.restore ||
        (!options.fullPull && !Missing::isMissing(restore.value(QStringLiteral("snapshotDate"))));
    const bool replacing = restoring || options.fullPull;
    // Replacing reads every note anyway (for the sweep).
    ImportIndex index(ctx, replacing || noteEntries.size() > 64);
    index.notes.expect(qsizetype(noteEntries.size()));
    for (const QString &id :
         textOf(clear.value(QStringLiteral("classIds"))).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        result->deletedClasses.insert(id.trimmed());
        if (Classify *c = index.classify(id.trimmed())) {
            for (NoteDetail *n : c->notes())
                result->withdrawn << n->cId();
            ctx.deleteObject(c);
        }
    }
    // 4: the history and completion records.
    if (ReplyValue::isTrue(clear.value(QStringLiteral("isClearAllTimeAxis")))) {
        ctx.deleteAll<NoteComplete>();
        ctx.deleteAll<NoteLog>();
    }
    // 6
    for (const QJsonValue &v :
         data.value(QStringLiteral("syncContentLogDelResult")).toObject().value(kDatas).toArray()) {
        const QJsonObject d = v.toObject();
        const int type = actionOf(d.value(QStringLiteral("delType")));
        const QString tId = textOf(d.value(QStringLiteral("indexId")));
        if (tId.isEmpty())
            continue;
        if (type == 2)
            ctx.deleteObject(ctx.findFirstByAttribute<NoteLog>(QStringLiteral("tId"), tId));
        else if (type == 1)
            ctx.deleteObject(ctx.findFirstByAttribute<NoteComplete>(QStringLiteral("tId"), tId));
    }
    // 7: the profile.
    const QJsonObject info = data.value(QStringLiteral("syncUserInfoResult")).toObject();
    if (ReplyValue::isTrue(info.value(QStringLiteral("isChange")))) {
        UserInfo *u = currentUser(ctx, options.userId, true);
        if (!u)
            u = ctx.findFirstWhere<UserInfo>();
        if (!u)
            u = ctx.create<UserInfo>();
        u->importValuesForKeys(info.value(kDetail).toObject());
        if (options.userId != 0)
            u->setValue(QStringLiteral("userId"), options.userId);
    }
    // 8: the settings and the skin they name.
    const QJsonObject set = data.value(QStringLiteral("syncUserSetResult")).toObject();
    if (ReplyValue::isTrue(set.value(QStringLiteral("isChange")))) {
        UserSet *s = ctx.findFirstWhere<UserSet>();
        if (!s)
            s = ctx.create<UserSet>();
        s->importValuesForKeys(set.value(kDetail).toObject());
        UserInfo *u = currentUser(ctx, options.userId, false);
        if (u && listHasElement(u->syncSettings(), QStringLiteral("1"))) {
            // An unknown skin name keeps the current skin.
            if (UISkin *skin =
                    ctx.findFirstByAttribute<UISkin>(QStringLiteral("nameId"), s->newSkinColor())) {
                for (UISkin *k : ctx.findAll<UISkin>()) {
                    if (k->isCurrSkin() != (k == skin))
                        k->setIsCurrSkin(k == skin);
                }
            }
        }
    }
    // 9: the saved networks.
    const QJsonArray wifis =
        data.value(QStringLiteral("syncUserWifiResult")).toObject().value(kDatas).toArray();
    if (!wifis.isEmpty()) {
        // The list replaces the saved networks, matched by "wifiId" so that kept
        // rows keep their keys.
        QHash<QString, WiFiRemind *> saved;
        QList<WiFiRemind *> unkeyed;
        for (WiFiRemind *w : ctx.findAll<WiFiRemind>()) {
            if (w->wifiId().isEmpty() || saved.contains(w->wifiId()))
                unkeyed.append(w);
            else
                saved.insert(w->wifiId(), w);
        }
        QSet<WiFiRemind *> listed;
        for (const QJsonValue &v : wifis) {
            const QJsonObject w = v.toObject();
            if (actionOf(w.value(kActionType)) == 3)
                continue;
            const QJsonObject detail = w.value(kDetail).toObject();
            QString wifiId = textOf(detail.value(QStringLiteral("wifiId")));
            if (wifiId.isEmpty())
                wifiId = textOf(w.value(QStringLiteral("wifiId")));
            WiFiRemind *row = wifiId.isEmpty() ? nullptr : saved.value(wifiId);
            if (!row || listed.contains(row)) {
                row = ctx.create<WiFiRemind>();
                if (!wifiId.isEmpty())
                    saved.insert(wifiId, row);
            }
            listed.insert(row);
            row->importValuesForKeys(w);
            row->importValuesForKeys(detail);
        }
        for (WiFiRemind *w : std::as_const(saved)) {
            if (!listed.contains(w))
                ctx.deleteObject(w);
        }
        for (WiFiRemind *w : std::as_const(unkeyed))
            ctx.deleteObject(w);
    }
    // 10: categories, then notes. A restore takes the service's values also over
    // local changes; any other pull leaves rows with local changes as they are.
    const QString version = textOf(data.value(QStringLiteral("version")));
    QSet<QString> listedClasses;
    for (const QJsonValue &v :
         data.value(QStringLiteral("syncClassResult")).toObject().value(kDatas).toArray()) {
        const QJsonObject entry = v.toObject();
        if (actionOf(entry.value(kActionType)) == 3)
            result->deletedClasses.insert(textOf(entry.value(kClassId)));
        else if (replacing)
            listedClasses.insert(textOf(entry.value(kClassId)));
        if (Classify *c = importClassify(entry, index, restoring); c && !version.isEmpty() && c->isSync())
            c->setVersion(version);
    }
    if (index.bulk)
        index.notes.load(ctx);
    // A full pull or a restore numbers every note afresh (from the rows kept by the index).
    const bool renumbering = options.fullPull || restoring;
    // Imported notes of a short list (without the index's rows).
    QSet<NoteDetail *> importedFew;
    result->withdrawn.reserve(result->withdrawn.size() + qsizetype(noteEntries.size()));
    for (const NoteEntry &e : noteEntries) {
        if (e.action == 3)
            result->deletedNotes.insert(e.cId);
        bool took = false;
        qsizetype slot = -1;
        std::optional<qint16> pulledSort;
        NoteDetail *n = importNote(e, index, &result->withdrawn, restoring, &took, &slot,
                                   renumbering ? &pulledSort : nullptr);
        if (slot >= 0 && e.action != 3) {
            NoteRows::Row &row = index.notes.at(slot);
            row.listed = true;
            if (took) {
                row.imported = true;
                row.pulledSort = pulledSort;
            }
        } else if (n && took) {
            importedFew.insert(n);
        }
    }
    if (replacing) {
        // Rows whose cId others hold too (or none) go by the cIds the reply lists.
        QSet<QString> listedShared;
        if (index.notes.anyShared()) {
            for (const NoteEntry &e : noteEntries) {
                if (e.action != 3 && index.notes.shared(e.cId))
                    listedShared.insert(e.cId);
            }
        }
        // What the reply lacks is gone on the service, as a pulled deletion would
        // say. Rows made here that the service has not taken yet (client ids)
        // stay for the next push; a restore drops them too, as the user asked.
        auto keep = [restoring](bool synced, const QString &id) {
            return !restoring && !synced && id.contains(QLatin1Char('c'));
        };
        for (const NoteRows::Row &row : index.notes.rows()) {
            NoteDetail *n = row.note;
            if (n->isDeleted())
                continue;
            const QString cId = n->cId();
            const bool listed = index.notes.shared(cId) ? listedShared.contains(cId) : row.listed;
            if (!listed && !keep(n->isSync(), cId)) {
                result->withdrawn << cId;
                ctx.deleteObject(n);
            }
        }
        for (Classify *c : ctx.findAll<Classify>()) {
            if (!listedClasses.contains(c->classId()) && !keep(c->isSync(), c->classId())) {
                for (NoteDetail *n : c->notes())
                    result->withdrawn << n->cId();
                ctx.deleteObject(c);
            }
        }
        ctx.markReplaced();
    }
    if (renumbering) {
        rebuildFullSort(ctx, index.notes.rows());
    } else {
        // The notes the entries changed, each once; one kept with its local
        // changes keeps its local order too, as its other values do.
        QList<NoteDetail *> changed;
        QSet<NoteDetail *> seen;
        for (const NoteEntry &e : noteEntries) {
            if (e.action == 3)
                continue;
            qsizetype slot = -1;
            NoteDetail *n = index.note(e.cId, &slot);
            if (!n || !(slot >= 0 ? index.notes.at(slot).imported : importedFew.contains(n)))
                continue;
            if (!seen.contains(n)) {
                seen.insert(n);
                changed.append(n);
            }
        }
        rebuildChangedSort(changed, qsizetype(noteEntries.size()), ctx);
    }

    if (!options.appliedVersion.isEmpty()) {
        if (UserInfo *u = currentUser(ctx, options.userId, true))
            u->setVersion(options.appliedVersion);
    }
    return true;
}

} // namespace

void NoteMapManager::settleRowsSavedMeanwhile(Context &main, const QList<ObjectId> &skipped, Result *r)
{
    bool changed = false;
    for (const ObjectId &id : skipped) {
        if (id.entity == Classify::entity().index) {
            Classify *c = main.existing<Classify>(id);
            if (c && r->deletedClasses.contains(c->classId())) {
                for (NoteDetail *n : c->notes())
                    r->withdrawn << n->cId();
                main.deleteObject(c);
                changed = true;
            }
            continue;
        }
        if (id.entity != NoteDetail::entity().index)
            continue;
        NoteDetail *n = main.existing<NoteDetail>(id);
        if (!n)
            continue;
        if (r->deletedNotes.contains(n->cId()) || r->deletedClasses.contains(n->classId()) ||
            (!n->classify() && !n->classId().isEmpty() &&
             !main.findFirstByAttribute<Classify>(kClassIdAttribute, n->classId()))) {
            r->withdrawn << n->cId();
            main.deleteObject(n);
            changed = true;
            continue;
        }
        for (DateRemind *rm : main.findByAttribute<DateRemind>(kCIdAttribute, n->cId())) {
            if (rm != n->remind() && !rm->noteDetail()) {
                main.deleteObject(rm);
                changed = true;
            }
        }
    }
    if (changed) {
        if (SaveResult s = main.saveAndWait(); !s)
            qWarning().noquote() << "sync: settling the rows saved during the pull failed:" << s.error;
    }
}

bool NoteMapManager::validate(const QJsonObject &data, QString *error)
{
    QString e;
    const bool ok = checkShape(data, &e, true);
    if (!ok && error)
        *error = e;
    return ok;
}

bool NoteMapManager::applyToContext(Context &ctx, const QJsonObject &data, const Options &options,
                                    Result *result)
{
    Result local;
    Result *r = result ? result : &local;
    r->ok = applyAll(ctx, data, options, r);
    return r->ok;
}

namespace {
NoteMapManager::Result failed(const QString &error)
{
    NoteMapManager::Result r;
    r.error = error;
    return r;
}
} // namespace

void NoteMapManager::noteMapToLocalWithData(const QJsonObject &data, const Options &options,
                                            Completion completion, Store *store)
{
    if (!store)
        store = Store::defaultStore();
    if (!store) {
        if (completion)
            completion(failed(QStringLiteral("no store")));
        return;
    }
    // The reply's shape is checked by the import itself, on the background
    // thread: a large reply would stall the main thread here.
    auto shared = std::make_shared<Result>();
    store->saveInBackground(
        [data, options, shared](Context &ctx) {
            if (!applyAll(ctx, data, options, shared.get())) {
                shared->ok = false;
                ctx.rollback();
                return;
            }
            if (options.stillWanted && !options.stillWanted()) {
                shared->ok = false;
                shared->error = QStringLiteral("the sign-in ended while the pull was applied");
                ctx.rollback();
                return;
            }
            shared->ok = true;
        },
        [shared, completion, store](const SaveResult &saved) {
            Result r = *shared;
            if (r.ok && !saved) {
                r.ok = false;
                r.error = QStringLiteral("the pulled data could not be saved: ") + saved.error;
            }
            if (!r.ok)
                r.withdrawn.clear();
            else if (!saved.skipped.isEmpty())
                settleRowsSavedMeanwhile(*store->mainContext(), saved.skipped, &r);
            if (completion)
                completion(r);
        });
}

void NoteMapManager::classifyMapToLocalWithData(const QJsonObject &data, Context &ctx)
{
    ImportIndex index(ctx, false);
    const QString version = textOf(data.value(QStringLiteral("version")));
    for (const QJsonValue &v :
         data.value(QStringLiteral("syncClassResult")).toObject().value(kDatas).toArray()) {
        if (Classify *c = importClassify(v.toObject(), index); c && !version.isEmpty() && c->isSync())
            c->setVersion(version);
    }
}

Classify *NoteMapManager::saveNoteToLocalWithClassify(const QJsonObject &entry, Context &ctx)
{
    ImportIndex index(ctx, false);
    return importClassify(entry, index);
}

NoteDetail *NoteMapManager::saveNoteToLocalWithNote(const QJsonObject &entry, Context &ctx,
                                                    QStringList *withdrawn)
{
    ImportIndex index(ctx, false);
    NoteEntry e;
    e.read(entry);
    return importNote(e, index, withdrawn);
}

void NoteMapManager::resetNoteSortWithNoteDatas(const QJsonArray &noteEntries, bool fullPull, Context &ctx)
{
    if (fullPull) {
        std::vector<NoteRows::Row> rows;
        for (NoteDetail *n : ctx.findAll<NoteDetail>())
            rows.push_back({n, true, true, std::nullopt});
        rebuildFullSort(ctx, rows);
        return;
    }
    ImportIndex index(ctx, noteEntries.size() > 64);
    QList<NoteDetail *> changed;
    QSet<NoteDetail *> seen;
    for (const QJsonValue &v : noteEntries) {
        const QJsonObject e = v.toObject();
        if (actionOf(e.value(kActionType)) == 3)
            continue;
        NoteDetail *n = index.note(textOf(e.value(kCId)));
        if (n && !seen.contains(n)) {
            seen.insert(n);
            changed.append(n);
        }
    }
    rebuildChangedSort(changed, noteEntries.size(), ctx);
}

NoteRemindModel NoteMapManager::mappingRemindModelFromNoteRemind(const DateRemind *r)
{
    NoteRemindModel m;
    if (!r || r->isDeleted())
        return m;
    m.setCId(r->cId());
    m.setRemindActionType(quint64(qMax<qint16>(r->remindActionType(), 0)));
    m.setRemindStartTime(r->remindDateTime());
    m.setRemindEndTime(r->remindEndTime());
    m.setRemindDateType(quint64(qMax<qint16>(r->remindDateType(), 0)));
    m.setRemindCycleType(quint64(qMax<qint16>(r->remindCycleType(), 0)));
    m.setRemindInterval(r->remindCycleInterval());
    m.setRemindStarType(quint64(qMax<qint16>(r->remindRType(), 0)));
    m.setRemindDelayTime(r->remindDelayTime());
    m.setRemindRealDateTime(r->remindRealDateTime());
    m.setRemindSpecify(r->remindCycleSpecific());
    m.setConnectWifiIds(r->connectWifiIds());
    m.setConnectWifiType(r->connectWifiType());
    m.setRemindWifiStatus(r->remindWifiStatus());
    m.setRemindWifiDateTime(r->remindWifiDateTime());
    return m;
}

bool NoteMapManager::recoverInterruptedPull(Context *ctx)
{
    if (!UserDefaults::contains(ApplyingVersionKey))
        return false;
    const QString applying = UserDefaults::string(ApplyingVersionKey);
    if (!ctx)
        ctx = Context::defaultContext();
    if (ctx) {
        const qint64 userId = UserDefaults::string(SignInKeys::UserId).toLongLong();
        UserInfo *u = currentUser(*ctx, userId, false);
        if (u && !applying.isEmpty() && u->version() == applying) {
            qWarning().noquote() << "sync: the last pull committed before the program stopped; version"
                                 << applying;
            UserDefaults::setValue(SignInKeys::Version, applying);
        }
    }
    UserDefaults::remove(ApplyingVersionKey);
    UserDefaults::sync();
    return true;
}
