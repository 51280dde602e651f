#pragma once

#include "app/services/Services.h"
#include "notes/records/presenter/NoteRecordPopUpDelegate.h"
#include "platform/base/UserFeedback.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

class NoteCompleteListModel;
class NoteCompleteSource;

// The completed list of the records pane: the account's completion records,
// newest first, 200 at a time. Each showing brings the `NoteComplete` mirror up
// to date through the shared pager (the busy overlay stands while an empty
// mirror fills, and goes at every end of the chain or when the list is left);
// the category and time filters choose among the whole mirror, and the result
// is paged. The row menu copies a record's text or deletes the record on the
// service ("note/logDel", delType 1), and then here.
class NoteCompleteListPresenter : public QObject, public NoteRecordPopUpDelegate
{
    Q_OBJECT
public:
    static constexpr int PageSize = 200;
    enum MenuTag
    {
        Copy = 1001,
        Delete = 1002,
    };

    explicit NoteCompleteListPresenter(const Services &services, QObject *parent = nullptr);
    ~NoteCompleteListPresenter() override;

    NoteCompleteListModel *model() const { return m_model; }
    NoteCompleteSource *source() const { return m_source; }
    QString currClassId() const { return m_classId; }
    int currDateType() const { return m_dateType; }
    int page() const { return m_page; }
    // The "more" button and the empty placeholder as the rows stand.
    bool isMoreVisible() const { return m_moreVisible; }
    bool isEmptyVisible() const { return m_emptyVisible; }
    bool isBusy() const { return m_busy.isActive(); }

    // The list is about to show: the filters start over, the mirror is brought
    // up to date and the newest rows are shown.
    void viewWillAppear();
    // The list is gone from view: its overlay goes, and pages that still arrive
    // fill the mirror only.
    void viewDidDisappear();
    // The pane's filters: the first pop-up's index is the time range, the
    // second's category; the first page of what passes them is shown.
    void didSelectItemWithPopUps(const NoteRecordPopUps &popUps) override;
    // The "more" button: the next 200 rows, or the toast "没有更多数据".
    void loadNextDatasAction();
    // Shows the rows that pass the filters: from the first page when `reset`,
    // else the next page after those shown.
    void loadLocalCompleteDatasWithClassId(const QString &classId, bool reset);

    // The row menu's items: "   复制   " (1001) and "   删除   " (1002).
    static QList<QPair<int, QString>> menuItems();
    // A menu item chosen on a row (-1: no row was clicked, nothing happens).
    void noteAction(int row, int tag);
    bool isDeleting(qint64 key) const { return m_deleting.contains(key); }

    // Where toasts and the overlay show (the list's view); may be null.
    void setFeedbackAnchor(QObject *anchor) { m_anchor = anchor; }

signals:
    // The more button or the placeholder changed.
    void stateChanged();

private:
    void loadCompleteNoteList();
    void pageImported();
    void chainEnded();
    void recordsRemoved(const QSet<qint64> &keys);
    void deleteNoteLogWithNote(qint64 key, const QString &tId);
    void setState(bool more, bool empty);
    qint64 nowMSecs() const;

    Services m_services;
    NoteCompleteSource *m_source;
    NoteCompleteListModel *m_model;
    QPointer<QObject> m_anchor;
    BusyGuard m_busy;
    QString m_classId;
    int m_dateType = 0;
    int m_page = 0;
    bool m_shown = false;
    bool m_moreVisible = false;
    bool m_emptyVisible = true;
    bool m_noMore = false;
    QList<qint64> m_matches;          // with a time range: every key that passes the filters, newest first
    std::optional<qint64> m_lastSort; // without one: the `sort` of the last row shown
    qint64 m_pageEnd = 0;
    QSet<qint64> m_deleting;
};
