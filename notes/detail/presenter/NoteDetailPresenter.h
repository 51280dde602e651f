#pragma once

#include "app/services/Services.h"
#include "core/model/NoteRemindModel.h"
#include "platform/base/AppEvents.h"
#include "platform/base/UserFeedback.h"
#include "service/sync/SyncEngine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class NoteDetail;
struct StoreChanges;

// The note detail pane: which note the editor shows (by key, never a held
// row), the reminder value chosen but not stored yet, and where every local
// change ends: the value is written onto the note's reminder, the store saved
// and the sync cycle run (push, then a pull from the pane's version, then the
// shown note is read again and the category column told). The cycle goes
// through the sync engine, so it shares its single flight and its merging.
//
// The editor is wired to it by the view: the slots below take the editor's
// signals, and noteShown / remindShown feed the editor.
class NoteDetailPresenter : public QObject
{
    Q_OBJECT
public:
    // The category the note list shows (where a new note goes); null: none.
    using CategorySource = std::function<CategoryKey()>;

    explicit NoteDetailPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteDetailPresenter() override;

    void setCategorySource(CategorySource source) { m_categorySource = std::move(source); }
    // Where the busy spinner and sheets show (the pane's window); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

    // The editor shows (else the empty state).
    bool isEditing() const { return m_editing; }
    // The note shown; null in the empty state.
    NoteKey shownNote() const { return m_shown; }
    // The reminder value waiting for the editor's confirm.
    std::optional<NoteRemindModel> pendingRemind() const { return m_remind; }
    // The version the cycle's pull asks from; empty: none (everything is pulled).
    QString currentVersion() const { return m_currVersion; }
    // A cycle of the pane is queued or in flight.
    bool isSyncing() const { return m_cycles > 0; }
    // An undo of a completion waits for the service.
    bool isRevoking() const { return m_revoking; }

    // The confirm text of the editor's undo.
    static QString revokeConfirmText() { return QStringLiteral("确定撤回完成本条Prelvane吗？"); }
    static QString noCategoryText() { return QStringLiteral("当前没有分类"); }

public slots:
    // "ReloadNoteDetail": show the note, or the empty state for a null or gone one.
    void reloadNoteDetail(const NoteKey &note);
    // "SyncPushNoteDatas": a cycle for the note, or for every pending row (null).
    void syncPushNoteDatas(const NoteKey &note);
    // "AddNoteDetail" and the empty state's add button.
    void addNote();
    // "RevokeCompleteNote" and the editor's undo: undoes the shown note's completion.
    void revokeCompletion();
    // The reminder window's confirm: shown by the editor, stored at the next confirm.
    void applyRemind(const NoteRemindModel &value);

    // The editor's signals.
    void editConfirmed();
    void remindCleared();
    void completionRevoked() { revokeCompletion(); }
    void dismissed();
    void editCancelled();
    void remindWanted();

signals:
    void editingChanged(bool editing);
    // For the editor: show this note (null: none).
    void noteShown(const NoteKey &note);
    // For the editor: show this reminder value instead of the stored one.
    void remindShown(const NoteRemindModel &value);
    // The reminder window should open with this value.
    void remindWindowWanted(const NoteRemindModel &value);

private:
    NoteDetail *shownRow() const;
    void setEditing(bool editing);
    void show(NoteDetail *note);
    void showNothing();
    void writePendingRemind(NoteDetail *note);
    void runCycle(const QStringList &noteIds);
    void cycleStep(SyncEngine::CycleStep step, const QString &version);
    void refreshAfterCycle();
    void finishRevoke(const NoteKey &key);
    bool signedIn() const;
    void followRename(const StoreChanges &changes);

    Services m_services;
    CategorySource m_categorySource;
    QPointer<QObject> m_anchor;
    bool m_editing = false;
    NoteKey m_shown;
    std::optional<NoteRemindModel> m_remind;
    QString m_currVersion;
    int m_cycles = 0;             // the pane's cycles not ended yet
    bool m_refreshWanted = false; // a cycle ended that asks for the refresh
    bool m_revoking = false;
    BusyGuard m_busy;
};
