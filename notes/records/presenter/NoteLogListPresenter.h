#pragma once

#include "app/services/Services.h"
#include "notes/records/presenter/NoteRecordPopUpDelegate.h"
#include "platform/base/UserFeedback.h"
#include "service/sync/RecordPager.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class NoteLogListModel;

// The edit-history list of the records pane. Each showing brings the mirror
// up to date through the shared history pager (a busy overlay while an empty
// mirror fills, hidden at every end of the chain) and shows the mirror 200
// records at a time, newest first, filtered by the pane's kind, category and
// time pop-ups over the whole mirror. The row menu copies a record's text or
// deletes the record on the service ("note/logDel"); the row goes only once
// the service agreed.
class NoteLogListPresenter : public QObject, public NoteRecordPopUpDelegate
{
    Q_OBJECT
public:
    enum MenuTag
    {
        Copy = 1001,
        Delete = 1002,
    };
    struct MenuItem
    {
        int tag = 0;
        QString title;
        bool operator==(const MenuItem &) const = default;
    };

    explicit NoteLogListPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteLogListPresenter() override;

    NoteLogListModel *model() const { return m_model; }
    int page() const { return m_page; }
    bool isMoreVisible() const { return m_moreVisible; }
    bool isEmptyVisible() const { return m_emptyVisible; }
    bool isBusy() const { return m_busy.isActive(); }
    int currActionType() const { return m_actionType; }
    QString currClassId() const { return m_classId; }
    int currDateRange() const { return m_dateRange; }

    // The list is about to show: the filters start over and the mirror is brought up to date.
    void viewWillAppear();
    // The pane's filters: kind (first pop-up), category (second), time (third); shows the first page.
    void didSelectItemWithPopUps(const NoteRecordPopUps &popUps) override;
    // "more": the next 200 of the matches, or "没有更多数据".
    void loadNextDatasAction();

    // The row menu on `row`; empty below the rows.
    QList<MenuItem> menuItems(int row) const;
    void triggerMenuItem(int row, int tag);

    // Where the overlay and the toasts show (the list's view); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

signals:
    // The more button, the empty view or the overlay changed.
    void stateChanged();

private:
    void loadLocalLogDatas(bool reset);
    void deleteNoteLogWithKey(qint64 key);
    void pagerFinished(RecordPager::Result result);
    void updateState();

    Services m_services;
    NoteLogListModel *m_model;
    QObject *m_anchor = nullptr;
    QString m_classId;
    int m_actionType = 0;
    int m_dateRange = 0;
    int m_page = 0;
    bool m_moreVisible = false;
    bool m_emptyVisible = true;
    bool m_noMore = false; // the last "more" found nothing
    BusyGuard m_busy;
    QSet<QString> m_deleting; // tIds whose deletion is out
};
