#pragma once

#include "app/services/Services.h"
#include "notes/records/presenter/NoteRecordPopUps.h"

#include <QList>
#include <QObject>
#include <QStringList>

class NoteRecordPopUpDelegate;

// The records pane: three segments (due dates, completed, edit history) over
// their lists, and up to three pop-ups that filter the list being shown. The
// pop-ups are rebuilt, back on their first items, whenever the pane is shown or
// the segment changes, and the list being shown is told; a pop-up the user
// changes reaches that list only. The categories offered are those not marked
// deleted, by "sort", as they are at the rebuild.
class NoteRecordPresenter : public QObject
{
    Q_OBJECT
public:
    enum Segment
    {
        DueDates = 0,
        Completed = 1,
        History = 2,
        SegmentCount = 3
    };
    enum PopUp
    {
        FirstPopUp = 0,
        SecondPopUp = 1,
        ThirdPopUp = 2
    };

    explicit NoteRecordPresenter(const Services &services, QObject *parent = nullptr);

    // The list of a segment (not owned; null while that list is not there).
    void setList(int segment, NoteRecordPopUpDelegate *list);

    int segment() const { return m_segment; }
    QStringList items(int popUp) const { return m_items[popUp]; }
    int selectedIndex(int popUp) const { return m_selected[popUp]; }
    bool isThirdVisible() const { return m_segment == History; }
    // The pop-ups as the current list reads them.
    NoteRecordPopUps popUps() const;
    // The categories behind the second pop-up's items 1 … n.
    QList<CategoryKey> classArr() const { return m_classArr; }

    static QStringList segmentTitles();

public slots:
    // The pane is about to show: the current segment's pop-ups start over and its list is told.
    void paneShown();
    // The user chose a segment.
    void segmentedAction(int segment);
    // The user chose an item of a pop-up.
    void popUpAction(int popUp, int index);

signals:
    // Segment, items or selections changed: the view shows them again.
    void changed();

private:
    void confPopUpItemTitles();
    void tellList();

    Services m_services;
    NoteRecordPopUpDelegate *m_lists[SegmentCount] = {};
    int m_segment = DueDates;
    QStringList m_items[3];
    int m_selected[3] = {};
    QList<CategoryKey> m_classArr;
};
