#pragma once

#include "app/services/Services.h"
#include "notes/list/presenter/NoteRowActions.h"
#include "notes/records/presenter/NoteDateMenu.h"
#include "notes/records/presenter/NoteRecordPopUpDelegate.h"

#include <QObject>

class NoteDateListModel;
class NoteDateSource;

// The due-date list of the records pane: every note with a reminder by when
// it falls due, across all categories or within one, earliest or latest first.
// The list is read when the pane tells it its filters and then follows the
// store's changes; the groups move at midnight (and when a snooze ends) by the
// project's clock and scheduler. The row menu completes, deletes, copies or
// shows a note in the main view, through the note list's own steps.
class NoteDateListPresenter : public QObject, public NoteRecordPopUpDelegate
{
    Q_OBJECT
public:
    explicit NoteDateListPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteDateListPresenter() override;

    NoteDateListModel *model() const { return m_model; }
    QString currClassId() const { return m_classId; }
    bool currAscending() const { return m_ascending; }

    // The pane's filters: the first pop-up's index 1 is "最晚到期", the category
    // that of the second; reads the list again.
    void didSelectItemWithPopUps(const NoteRecordPopUps &popUps) override;
    // Reads the list again with the filters it holds.
    void loadDateManagerNotesWithClassId(const QString &classId, bool ascending);

    // The row menu for a right click on `row` (-1: below the rows).
    NoteDateMenu openMenu(int row) const;
    // A menu item chosen for the row the menu opened on.
    void triggerMenuItem(int row, int tag);

    // Where toasts show (the list's window); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_actions.setFeedbackAnchor(anchor); }

private:
    QDateTime now() const;
    void scheduleNextChange();
    void timeMoved();

    Services m_services;
    NoteDateSource *m_source;
    NoteDateListModel *m_model;
    NoteRowActions m_actions;
    QString m_classId;
    bool m_ascending = false; // true: "最晚到期"
    quint64 m_wake = 0;       // the task that is due; older ones do nothing
};
