#include "notes/records/presenter/NoteDateListModel.h"

#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "notes/list/presenter/NoteRowFormatter.h"
#include "platform/store/Context.h"

#include <algorithm>

NoteDateListModel::NoteDateListModel(Context *store, NoteDateSource *source, QObject *parent)
    : QAbstractListModel(parent), m_store(store), m_source(source)
{
}

bool NoteDateListModel::before(const Entry &a, const Entry &b) const
{
    // Dated notes first, then Wi-Fi ones; each by time in the chosen direction; ties by key.
    if (a.timing.wifi != b.timing.wifi)
        return !a.timing.wifi;
    if (a.when != b.when)
        return m_latestFirst ? a.when > b.when : a.when < b.when;
    return a.pk < b.pk;
}

NoteDateListModel::Entry NoteDateListModel::entryFor(const NoteDateSource::Item &item,
                                                     const NoteDateGrouping::Now &now) const
{
    Entry e;
    e.pk = item.pk;
    e.cId = item.cId;
    e.timing = item.timing;
    e.when = NoteDateGrouping::sortTime(item.timing, now);
    e.group = NoteDateGrouping::group(item.timing, now);
    return e;
}

void NoteDateListModel::reload(const QString &classId, bool latestFirst, const QDateTime &now)
{
    m_classId = classId;
    m_latestFirst = latestFirst;
    m_loaded = true;
    m_importantMinutes = importantMinutes();
    const NoteDateGrouping::Now n(now);
    QList<Entry> entries;
    if (m_source) {
        const QList<NoteDateSource::Item> items = m_source->fetch(classId);
        entries.reserve(items.size());
        for (const NoteDateSource::Item &item : items)
            entries.append(entryFor(item, n));
    }
    rebuild(std::move(entries));
}

void NoteDateListModel::clear()
{
    m_loaded = false;
    rebuild({});
}

void NoteDateListModel::rebuild(QList<Entry> entries)
{
    beginResetModel();
    for (QList<Entry> &g : m_groups)
        g.clear();
    m_entries.clear();
    m_entries.reserve(entries.size());
    for (Entry &e : entries) {
        m_entries.insert(e.pk, e);
        m_groups[e.group].append(std::move(e));
    }
    for (QList<Entry> &g : m_groups)
        std::sort(g.begin(), g.end(), [this](const Entry &a, const Entry &b) { return before(a, b); });
    endResetModel();
}

int NoteDateListModel::rowsOf(int group) const
{
    const int n = int(m_groups[group].size());
    return 1 + (n ? n : (m_suppressed[group] ? 0 : 1));
}

int NoteDateListModel::offset(int group) const
{
    int at = 0;
    for (int g = 0; g < group; ++g)
        at += rowsOf(g);
    return at;
}

NoteDateListModel::Slot NoteDateListModel::slotAt(int row) const
{
    if (row < 0)
        return {-1, -1};
    for (int g = 0; g < NoteDateGrouping::GroupCount; ++g) {
        const int rows = rowsOf(g);
        if (row < rows)
            return {g, row - 1};
        row -= rows;
    }
    return {-1, -1};
}

int NoteDateListModel::indexInGroup(const Entry &e) const
{
    const QList<Entry> &g = m_groups[e.group];
    const auto it = std::lower_bound(g.cbegin(), g.cend(), e,
                                     [this](const Entry &a, const Entry &b) { return before(a, b); });
    return int(it - g.cbegin());
}

void NoteDateListModel::place(qint64 pk, const std::optional<Entry> &fresh)
{
    const auto found = m_entries.constFind(pk);
    const std::optional<Entry> old =
        found == m_entries.cend() ? std::nullopt : std::optional<Entry>(found.value());
    if (!old && !fresh)
        return;

    auto removePlaceholder = [this](int g) {
        if (!m_groups[g].isEmpty() || m_suppressed[g])
            return;
        const int row = offset(g) + 1;
        beginRemoveRows({}, row, row);
        m_suppressed[g] = true;
        endRemoveRows();
    };
    auto restorePlaceholder = [this](int g) {
        if (!m_suppressed[g])
            return;
        if (!m_groups[g].isEmpty()) {
            m_suppressed[g] = false;
            return;
        }
        const int row = offset(g) + 1;
        beginInsertRows({}, row, row);
        m_suppressed[g] = false;
        endInsertRows();
    };

    if (old && !fresh) {
        const int og = old->group;
        const int oi = indexInGroup(*old);
        const int row = offset(og) + 1 + oi;
        beginRemoveRows({}, row, row);
        m_groups[og].removeAt(oi);
        m_entries.remove(pk);
        if (m_groups[og].isEmpty())
            m_suppressed[og] = true;
        endRemoveRows();
        restorePlaceholder(og);
        return;
    }
    if (!old) {
        const int ng = fresh->group;
        removePlaceholder(ng);
        const int ni = indexInGroup(*fresh);
        const int row = offset(ng) + 1 + ni;
        beginInsertRows({}, row, row);
        m_groups[ng].insert(ni, *fresh);
        m_entries.insert(pk, *fresh);
        m_suppressed[ng] = false;
        endInsertRows();
        return;
    }

    const int og = old->group;
    const int ng = fresh->group;
    if (ng != og)
        removePlaceholder(ng);
    const int oi = indexInGroup(*old);
    const int src = offset(og) + 1 + oi;
    int ni = indexInGroup(*fresh);
    if (ng == og && ni > oi)
        --ni;
    const int dst = (ng == og ? offset(og) : offset(ng) - (og < ng ? 1 : 0)) + 1 + ni;
    const bool leavesEmpty = ng != og && m_groups[og].size() == 1;
    auto mutate = [&] {
        m_groups[og].removeAt(oi);
        m_groups[ng].insert(ni, *fresh);
        m_entries.insert(pk, *fresh);
        if (leavesEmpty)
            m_suppressed[og] = true;
        m_suppressed[ng] = false;
    };
    if (dst == src) {
        mutate();
    } else {
        beginMoveRows({}, src, src, {}, dst > src ? dst + 1 : dst);
        mutate();
        endMoveRows();
    }
    restorePlaceholder(og);
    const int row = rowOfKey(pk);
    emit dataChanged(index(row), index(row));
}

void NoteDateListModel::headersChanged()
{
    // Every header shows the total.
    for (int g = 0; g < NoteDateGrouping::GroupCount; ++g) {
        const int row = offset(g);
        emit dataChanged(index(row), index(row));
        if (m_groups[g].isEmpty()) {
            emit dataChanged(index(row + 1), index(row + 1));
        }
    }
}

void NoteDateListModel::update(const QSet<qint64> &notes, const QDateTime &now)
{
    if (!m_loaded || notes.isEmpty() || !m_source)
        return;
    if (notes.size() > MaxMoves) {
        reload(m_classId, m_latestFirst, now);
        return;
    }
    const NoteDateGrouping::Now n(now);
    // In key order, so that the same change set always gives the same signals.
    QList<qint64> keys(notes.cbegin(), notes.cend());
    std::sort(keys.begin(), keys.end());
    for (qint64 pk : keys) {
        const std::optional<NoteDateSource::Item> item = m_source->item(pk, m_classId);
        place(pk, item ? std::optional<Entry>(entryFor(*item, n)) : std::nullopt);
    }
    headersChanged();
}

void NoteDateListModel::regroup(const QDateTime &now)
{
    if (!m_loaded)
        return;
    const NoteDateGrouping::Now n(now);
    QList<Entry> moved;
    for (const Entry &e : std::as_const(m_entries)) {
        const int group = NoteDateGrouping::group(e.timing, n);
        const qint64 when = NoteDateGrouping::sortTime(e.timing, n);
        if (group != e.group || when != e.when) {
            Entry f = e;
            f.group = group;
            f.when = when;
            moved.append(f);
        }
    }
    if (moved.isEmpty())
        return;
    if (moved.size() > MaxMoves) {
        QList<Entry> all;
        all.reserve(m_entries.size());
        for (const Entry &e : std::as_const(m_entries)) {
            Entry f = e;
            f.group = NoteDateGrouping::group(e.timing, n);
            f.when = NoteDateGrouping::sortTime(e.timing, n);
            all.append(f);
        }
        rebuild(std::move(all));
        return;
    }
    std::sort(moved.begin(), moved.end(), [](const Entry &a, const Entry &b) { return a.pk < b.pk; });
    for (const Entry &e : moved)
        place(e.pk, e);
    headersChanged();
}

void NoteDateListModel::refreshLooks()
{
    m_importantMinutes = importantMinutes();
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1));
}

qint64 NoteDateListModel::nextChange(const QDateTime &now) const
{
    if (!m_loaded)
        return 0;
    const NoteDateGrouping::Now n(now);
    qint64 next = n.nextMidnight();
    for (const Entry &e : std::as_const(m_entries))
        if (NoteDateGrouping::snoozed(e.timing, n) && e.timing.delay < next)
            next = e.timing.delay;
    return next;
}

int NoteDateListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return offset(NoteDateGrouping::GroupCount);
}

int NoteDateListModel::total() const
{
    return int(m_entries.size());
}

QList<qint64> NoteDateListModel::keys(int group) const
{
    QList<qint64> out;
    if (group < 0 || group >= NoteDateGrouping::GroupCount)
        return out;
    out.reserve(m_groups[group].size());
    for (const Entry &e : m_groups[group])
        out << e.pk;
    return out;
}

NoteDateListModel::Kind NoteDateListModel::kindAt(int row) const
{
    const Slot s = slotAt(row);
    if (s.group < 0 || s.index < 0)
        return Kind::Header;
    return m_groups[s.group].isEmpty() ? Kind::Placeholder : Kind::Note;
}

qint64 NoteDateListModel::keyAt(int row) const
{
    const Slot s = slotAt(row);
    if (s.group < 0 || s.index < 0 || s.index >= m_groups[s.group].size())
        return 0;
    return m_groups[s.group].at(s.index).pk;
}

int NoteDateListModel::rowOfKey(qint64 pk) const
{
    const auto it = m_entries.constFind(pk);
    if (it == m_entries.cend())
        return -1;
    return offset(it->group) + 1 + indexInGroup(*it);
}

qint64 NoteDateListModel::importantMinutes() const
{
    if (!m_store)
        return 0;
    const QList<UserSet *> sets = m_store->fetch<UserSet>(FetchRequest{{}, {}, 1});
    return sets.isEmpty() ? 0 : sets.first()->importantRemindInterval();
}

QVariant NoteDateListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Slot s = slotAt(index.row());
    if (s.group < 0)
        return {};
    if (s.index < 0 || m_groups[s.group].isEmpty()) {
        const bool header = s.index < 0;
        switch (role) {
        case KindRole:
            return int(header ? Kind::Header : Kind::Placeholder);
        case GroupRole:
            return s.group;
        case CountRole:
            return header ? int(m_groups[s.group].size()) : 0;
        case TotalRole:
            return total();
        case HeightRole:
            return HeaderHeight;
        case Qt::DisplayRole:
            return header ? NoteDateGrouping::name(s.group) : QStringLiteral("暂无数据");
        default:
            return {};
        }
    }
    const Entry &e = m_groups[s.group].at(s.index);
    switch (role) {
    case KindRole:
        return int(Kind::Note);
    case GroupRole:
        return s.group;
    case KeyRole:
        return e.pk;
    case CIdRole:
        return e.cId;
    case WifiRole:
        return e.timing.wifi;
    case FiredRole:
        return e.timing.fired;
    case TotalRole:
        return total();
    case HeightRole:
        // Every listed note has a date or networks, so its reminder line shows.
        return NoteRowFormatter::reminderHeight;
    case Qt::DisplayRole:
    case LookRole: {
        auto *n =
            m_store ? m_store->existing<NoteDetail>(ObjectId{NoteDetail::entity().index, e.pk}) : nullptr;
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
