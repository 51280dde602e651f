#pragma once

#include "notes/records/presenter/NoteDateGrouping.h"
#include "notes/records/presenter/NoteDateSource.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

class Context;

// The due-date list as rows over note keys: for each of the four groups a
// header ("超时" … with "n/total"), then the group's notes, or one placeholder
// row when the group is empty. Follows the data source: a note whose reminder
// changed moves to its place (in its group or another), a new one is inserted,
// one that is no longer listed is removed, and the headers are recounted, with
// no reset; a replacement of the account's data resets.
class NoteDateListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum class Kind
    {
        Header,
        Placeholder,
        Note
    };
    enum Role
    {
        // The same numbers as the note list's roles, so that its row painter paints these rows.
        KeyRole = Qt::UserRole + 1, // the note's store key (qint64)
        CIdRole,
        LookRole,   // NoteRowLook
        HeightRole, // the row's height in pixels
        KindRole = Qt::UserRole + 20,
        GroupRole, // 0 overdue … 3 later
        CountRole, // a header's number of notes
        TotalRole, // the number of notes in the whole list
        WifiRole,  // a note with a Wi-Fi reminder
        FiredRole, // … that has fired
    };

    static constexpr int HeaderHeight = 30;
    // More changes than this at once read the list again instead of moving rows one by one.
    static constexpr int MaxMoves = 256;

    NoteDateListModel(Context *store, NoteDateSource *source, QObject *parent = nullptr);

    // Reads the list again (a reset) for this filter and "now".
    void reload(const QString &classId, bool latestFirst, const QDateTime &now);
    bool isLoaded() const { return m_loaded; }
    // Drops every row (sign-out, or the pane gone): an empty, unloaded list.
    void clear();
    // The notes may have changed: each goes to its new place.
    void update(const QSet<qint64> &notes, const QDateTime &now);
    // Time moved on: notes whose group (or snooze) changed move.
    void regroup(const QDateTime &now);
    // Repaints every note row.
    void refreshLooks();

    // The next time at which rows move by themselves (a midnight or a snooze's end); 0 when none.
    qint64 nextChange(const QDateTime &now) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    Kind kindAt(int row) const;
    qint64 keyAt(int row) const;
    int rowOfKey(qint64 pk) const;
    int count(int group) const { return int(m_groups[group].size()); }
    int total() const;
    // The note keys of one group, in their order.
    QList<qint64> keys(int group) const;

private:
    struct Entry
    {
        qint64 pk = 0;
        QString cId;
        NoteDateGrouping::Timing timing;
        qint64 when = 0;
        int group = 0;
    };
    struct Slot
    {
        int group = 0;
        int index = -1; // -1: the header; the placeholder when the group is empty and index is 0
    };

    bool before(const Entry &a, const Entry &b) const;
    Entry entryFor(const NoteDateSource::Item &item, const NoteDateGrouping::Now &now) const;
    int offset(int group) const;
    int rowsOf(int group) const;
    Slot slotAt(int row) const;
    int indexInGroup(const Entry &e) const;
    void place(qint64 pk, const std::optional<Entry> &fresh);
    void rebuild(QList<Entry> entries);
    void headersChanged();
    qint64 importantMinutes() const;

    Context *m_store;
    NoteDateSource *m_source;
    QString m_classId;
    bool m_latestFirst = false;
    bool m_loaded = false;
    QList<Entry> m_groups[NoteDateGrouping::GroupCount];
    QHash<qint64, Entry> m_entries; // note key -> its entry as placed
    bool m_suppressed[NoteDateGrouping::GroupCount] =
        {}; // an empty group without its placeholder, mid-change
    qint64 m_importantMinutes = 0;
};
