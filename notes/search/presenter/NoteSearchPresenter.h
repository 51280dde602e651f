#pragma once

#include "app/services/Services.h"
#include "notes/search/presenter/NoteSearchIndex.h"
#include "notes/search/presenter/NoteSearchMenu.h"
#include "platform/base/UserFeedback.h"

#include <QObject>
#include <QPointer>
#include <QSet>

class NoteSearchModel;

// The search pane: searches the notes or the mirrored edit history for a text
// (white space and case ignored, no wildcards) on the button or Enter, shows
// the hits newest first with their count ("共有%ld条结果", also as a toast) and
// follows them while the store changes. Every showing brings the history mirror
// up to date through its shared pager, 100 records a page. The row menu copies
// a hit's text, shows a note in the main view, or deletes a history record on
// the service and then here.
class NoteSearchPresenter : public QObject
{
    Q_OBJECT
public:
    using Scope = NoteSearchIndex::Scope;
    static constexpr int HistoryPageSize = 100;

    explicit NoteSearchPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteSearchPresenter() override;

    NoteSearchModel *model() const { return m_model; }
    // The scope chosen for the next search; the two choices are always opposite.
    Scope scope() const { return m_scope; }
    void chooseScope(Scope scope);

    // Searches the chosen scope; a text that is empty without its white space
    // does nothing.
    void searchButtonAction(const QString &text);
    // The query of the hits shown, without its white space; empty before a search.
    QString query() const { return m_query; }
    // "共有N条结果" after a search, else empty.
    QString tip() const { return m_tip; }
    // The list shows only when there are hits.
    bool isListShown() const;

    // Each showing of the pane: the history mirror's refresh. An empty mirror
    // is filled from the newest record with the window's busy spinner, hidden
    // when the chain ends in whatever way.
    void viewWillAppear();

    NoteSearchMenu openMenu(int row) const;
    void triggerMenuItem(int row, int tag);

    // Where toasts and spinners show (the pane); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

signals:
    // The tip, the list's visibility or the scope changed.
    void stateChanged();

private:
    NoteSearchIndex *indexFor(Scope scope) const;
    void hitsMoved(Scope scope, const QSet<qint64> &touched);
    void updateTip();
    void copy(const QString &text);
    void deleteNoteLog(qint64 key);
    void signedOut();

    Services m_services;
    NoteSearchIndex *m_notes;
    NoteSearchIndex *m_history;
    NoteSearchModel *m_model;
    Scope m_scope = Scope::Notes;
    QString m_query; // the search shown, folded; empty: none
    QString m_tip;
    QPointer<QObject> m_anchor;
    BusyGuard m_windowBusy;
    QSet<qint64> m_deleting; // history records whose deletion is out
};
