#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// A category as the events name it: its store key and its classId, which
// finds it again after a full pull has replaced the row. Null: none.
struct CategoryKey
{
    qint64 pk = 0;
    QString classId;
    bool isNull() const { return pk <= 0 && classId.isEmpty(); }
    bool operator==(const CategoryKey &) const = default;
};

// A note as the events name it: its store key and its cId. Null: none.
struct NoteKey
{
    qint64 pk = 0;
    QString cId;
    bool isNull() const { return pk <= 0 && cId.isEmpty(); }
    bool operator==(const NoteKey &) const = default;
};

// What "NotesListReloadDatas" asks of the note list.
struct NotesListReload
{
    enum class Kind
    {
        Category, // show this category
        Note,     // show the note's category and select the note
        All,      // "NoteListReloadTypeAll": redraw every row
        Single    // "NoteListReloadTypeSingle": redraw the selected row
    };
    Kind kind = Kind::All;
    CategoryKey category;
    NoteKey note;

    static NotesListReload showCategory(const CategoryKey &category)
    {
        return {Kind::Category, category, {}};
    }
    static NotesListReload showNote(const NoteKey &note) { return {Kind::Note, {}, note}; }
    static NotesListReload all() { return {Kind::All, {}, {}}; }
    static NotesListReload single() { return {Kind::Single, {}, {}}; }
    bool operator==(const NotesListReload &) const = default;
};

// What "ReloadLeftHomeList" asks of the category column.
struct LeftHomeListReload
{
    enum class Kind
    {
        Refetch,  // nil: refetch, keep the selected index
        Category, // refetch and select this category
        NoteCId   // select the note's category and the note (a note's cId)
    };
    Kind kind = Kind::Refetch;
    CategoryKey category;
    QString cId;

    static LeftHomeListReload refetch() { return {}; }
    static LeftHomeListReload selectCategory(const CategoryKey &category)
    {
        return {Kind::Category, category, {}};
    }
    static LeftHomeListReload selectNote(const QString &cId) { return {Kind::NoteCId, {}, cId}; }
    bool operator==(const LeftHomeListReload &) const = default;
};

Q_DECLARE_METATYPE(CategoryKey)
Q_DECLARE_METATYPE(NoteKey)
Q_DECLARE_METATYPE(NotesListReload)
Q_DECLARE_METATYPE(LeftHomeListReload)

// The application-wide events, one signal per named notification, each with
// the payload its name carries. Delivery is synchronous, on the posting
// (main) thread: connect with a context object, and the connection goes
// with that object. Payloads are keys and texts, never row pointers, so a
// late observer finds rows again (or finds them gone) in its own context.
class AppEvents : public QObject
{
    Q_OBJECT
public:
    explicit AppEvents(QObject *parent = nullptr);

signals:
    // "NotesListReloadDatas"
    void notesListReloadDatas(const NotesListReload &what);
    // "ReloadLeftHomeList"
    void reloadLeftHomeList(const LeftHomeListReload &what);
    // "DeselectCollectionItem"
    void deselectCollectionItem();
    // "SyncPullNoteDatas": the version text to pull from.
    void syncPullNoteDatas(const QString &version);
    // "SyncPushNoteDatas": the note to push, or a null key for every flagged row.
    void syncPushNoteDatas(const NoteKey &note);
    // "ReloadNoteDetail": the selected note, or a null key for none.
    void reloadNoteDetail(const NoteKey &note);
    // "AddNoteDetail"
    void addNoteDetail();
    // "RevokeCompleteNote"
    void revokeCompleteNote();
    // "NoteDeselectRow"
    void noteDeselectRow();
    // "ReloadDatasForTitleBar"
    void reloadDatasForTitleBar();
};
