#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/presenter/NoteRowFormatter.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/NoteViewsRig.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

#include <memory>

namespace {

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

} // namespace

class TestNoteList : public QObject
{
    Q_OBJECT
private:
    NoteViewsRig m_rig;
    std::unique_ptr<NoteListPresenter> m_presenter;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    Context *ctx() { return m_rig.fx.ctx(); }
    NoteListModel *model() { return m_presenter->model(); }
    QStringList &events() { return m_rig.recorder->events; }

    static CategoryKey keyOf(const Classify *c) { return {c->objectId().pk, c->classId()}; }
    NoteDetail *note(const QString &cId) { return ctx()->findFirstByAttribute<NoteDetail>("cId", cId); }

    // Notes in `c` with the given cIds, top to bottom, linked and pushed.
    void chain(Classify *c, const QStringList &ids)
    {
        for (qsizetype i = 0; i < ids.size(); ++i) {
            NoteDetail *n = m_rig.fx.note(ids[i], c);
            n->setSort(qint16(i + 1));
            n->setNextId(i + 1 < ids.size() ? ids[i + 1] : QStringLiteral("-1"));
            n->setIsSync(true);
        }
    }

    QStringList shown()
    {
        QStringList ids;
        for (int i = 0; i < model()->rowCount(); ++i)
            ids << model()->index(i).data(NoteListModel::CIdRole).toString();
        return ids;
    }

    QString selected() { return m_presenter->selectedNote().cId; }

    void save() { QVERIFY(ctx()->saveAndWait()); }

private slots:
    void init()
    {
        QVERIFY(m_rig.open(now()));
        m_rig.work->setBackColor("#2b9cc6");
        m_rig.fx.settings()->setNoteCompleteActionType(1);
        chain(m_rig.work, {"a", "b", "c", "d", "e"});
        chain(m_rig.home, {"x", "y"});
        save();
        m_presenter = std::make_unique<NoteListPresenter>(m_rig.start());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_rig.record();
    }

    void cleanup()
    {
        m_tester.reset();
        m_presenter.reset();
        m_rig.close();
    }

    // The hand-made order: sort ascending, ties in the order the notes were made;
    // a deleted note awaiting its push stays listed.
    void order()
    {
        m_rig.fx.note("t1", m_rig.work)->setSort(2);
        m_rig.fx.note("t2", m_rig.work)->setSort(0);
        note("c")->setActionType(3);
        save();
        m_presenter->showCategory(keyOf(m_rig.work));
        QCOMPARE(shown(), QStringList({"t2", "a", "b", "t1", "c", "d", "e"}));
        QCOMPARE(m_presenter->categoryColor(), QColor("#2b9cc6"));
        QVERIFY(!m_presenter->isEmpty());
    }

    // Saves that touch other notes keep the selected note selected, wherever it moves.
    void changeSetsKeepTheSelection_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("edit another") << "edit" << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("delete above") << "delete" << QStringList{"b", "c", "d", "e"};
        QTest::newRow("new at the top") << "insert" << QStringList{"n", "a", "b", "c", "d", "e"};
        QTest::newRow("move above to the bottom") << "reorder" << QStringList{"b", "c", "d", "e", "a"};
        QTest::newRow("another category's note") << "other" << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("moved out") << "out" << QStringList{"b", "c", "d", "e"};
        QTest::newRow("moved in") << "in" << QStringList{"a", "b", "c", "d", "e", "x"};
        QTest::newRow("reminder set on another") << "remind" << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("replaced") << "replace" << QStringList{"a", "b", "c", "d", "e"};
    }
    void changeSetsKeepTheSelection()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        m_presenter->showCategory(keyOf(m_rig.work));
        m_presenter->selectRow(2);
        QCOMPARE(selected(), QStringLiteral("c"));
        events().clear();
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(model(), &QAbstractItemModel::dataChanged);
        QSignalSpy rows(m_presenter.get(), &NoteListPresenter::selectedRowChanged);

        if (change == "edit") {
            note("a")->setContent("新的内容");
        } else if (change == "delete") {
            ctx()->deleteObject(note("a"));
        } else if (change == "insert") {
            m_rig.fx.note("n", m_rig.work)->setSort(0);
        } else if (change == "reorder") {
            note("a")->setSort(9);
        } else if (change == "other") {
            note("x")->setContent("别的");
        } else if (change == "out") {
            note("a")->setClassify(m_rig.home);
        } else if (change == "in") {
            note("x")->setClassify(m_rig.work);
            note("x")->setSort(9);
        } else if (change == "remind") {
            DateRemind *r = m_rig.fx.remind(note("d"));
            r->setRemindRealDateTime("2026/3/7 09:00:00");
        } else if (change == "replace") {
            note("b")->setContent("拉取后的内容");
            ctx()->markReplaced();
        }
        save();

        QCOMPARE(shown(), expected);
        QCOMPARE(selected(), QStringLiteral("c"));
        QCOMPARE(m_presenter->selectedRow(), int(expected.indexOf("c")));
        if (!rows.isEmpty())
            QCOMPARE(rows.last().first().toInt(), int(expected.indexOf("c")));
        QCOMPARE(events(), QStringList());
        QCOMPARE(resets.size(), change == "replace" ? 1 : 0);
        if (change == "edit" || change == "remind")
            QVERIFY(!changed.isEmpty());
        if (change == "remind")
            QCOMPARE(model()->index(3).data(NoteListModel::HeightRole).toInt(), 56);
    }

    // Several notes take new places in one save (up, down, onto another's number, where
    // the older note goes first): the list shows what a fresh showing shows, and the
    // selected note stays selected.
    void severalNotesMoveInOneSave_data()
    {
        QTest::addColumn<QStringList>("moved");
        QTest::addColumn<QList<int>>("sorts");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first and last swap")
            << QStringList{"a", "e"} << QList<int>{9, 0} << QStringList{"e", "b", "c", "d", "a"};
        QTest::newRow("two onto the same place")
            << QStringList{"d", "b"} << QList<int>{1, 1} << QStringList{"a", "b", "d", "c", "e"};
        QTest::newRow("everything reversed")
            << QStringList{"a", "b", "c", "d", "e"} << QList<int>{5, 4, 3, 2, 1}
            << QStringList{"e", "d", "c", "b", "a"};
        QTest::newRow("one moves, one keeps its number")
            << QStringList{"b", "c"} << QList<int>{4, 3} << QStringList{"a", "c", "b", "d", "e"};
    }
    void severalNotesMoveInOneSave()
    {
        QFETCH(QStringList, moved);
        QFETCH(QList<int>, sorts);
        QFETCH(QStringList, expected);
        m_presenter->showCategory(keyOf(m_rig.work));
        m_presenter->selectRow(2);
        for (qsizetype i = 0; i < moved.size(); ++i) {
            note(moved[i])->setSort(qint16(sorts[i]));
            note(moved[i])->setContent(QStringLiteral("改过 ") + moved[i]);
        }
        save();
        QCOMPARE(shown(), expected);
        QCOMPARE(selected(), QStringLiteral("c"));
        QCOMPARE(m_presenter->selectedRow(), int(expected.indexOf("c")));
        for (int row = 0; row < expected.size(); ++row)
            QCOMPARE(model()->rowOfKey(model()->keyAt(row)), row);
        m_presenter->showCategory(keyOf(m_rig.work));
        QCOMPARE(shown(), expected);
    }

    // A showing reads each row's height and reminder from the note's reminder as it
    // stands: saved (read from the file by a context that holds no rows) or only in
    // memory; a reminder without a date or networks, or a cleared one, adds no line.
    void showingReadsEachReminder_data()
    {
        QTest::addColumn<QString>("reminder");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("height");
        const int plain = NoteRowFormatter::plainHeight, tall = NoteRowFormatter::reminderHeight;
        for (bool saved : {true, false}) {
            const char *how = saved ? " (saved)" : " (in memory)";
            QTest::addRow("none%s", how) << "none" << saved << plain;
            QTest::addRow("date%s", how) << "date" << saved << tall;
            QTest::addRow("networks only%s", how) << "wifi" << saved << tall;
            QTest::addRow("cleared%s", how) << "cleared" << saved << plain;
            QTest::addRow("blank date and networks%s", how) << "blank" << saved << plain;
            QTest::addRow("deleted%s", how) << "deleted" << saved << plain;
        }
    }
    void showingReadsEachReminder()
    {
        QFETCH(QString, reminder);
        QFETCH(bool, saved);
        QFETCH(int, height);
        DateRemind *r =
            reminder == "none" ? nullptr : m_rig.fx.remind(note("b"), reminder == "cleared" ? 3 : 2);
        if (r) {
            r->setRemindRealDateTime(reminder == "blank"  ? " "
                                     : reminder == "wifi" ? ""
                                                          : "2026/3/7 09:00:00");
            r->setConnectWifiIds(reminder == "wifi" ? "w1" : reminder == "blank" ? "  " : "");
        }
        if (reminder == "deleted") {
            save();
            ctx()->deleteObject(r);
        }
        if (saved)
            save();
        const qint64 remindPk = r && reminder != "deleted" ? r->objectId().pk : 0;

        auto check = [&](NoteListModel *m) {
            const int row = m->rowOfKey(note("b")->objectId().pk);
            QCOMPARE(row, 1);
            QCOMPARE(m->index(row).data(NoteListModel::HeightRole).toInt(), height);
            QCOMPARE(m->index(row).data(NoteListModel::HeightRole).toInt(),
                     NoteRowFormatter::heightFor(note("b")->remind()));
            QCOMPARE(m->index(0).data(NoteListModel::HeightRole).toInt(), NoteRowFormatter::plainHeight);
        };
        m_presenter->showCategory(keyOf(m_rig.work));
        check(model());
        if (saved) {
            const std::unique_ptr<Context> fresh = m_rig.fx.store()->newContext();
            NoteListModel other(fresh.get());
            other.setCategory(keyOf(m_rig.work));
            check(&other);
            QCOMPARE(other.rowCount(), 5);
        }
        // The row follows its reminder's deletion named alone in a change set.
        if (remindPk && height == NoteRowFormatter::reminderHeight) {
            ctx()->deleteObject(r);
            StoreChanges changes;
            changes.entities[QStringLiteral("DateRemind")].deleted << remindPk;
            QVERIFY(!model()->applyChanges(changes));
            QCOMPARE(model()->index(1).data(NoteListModel::HeightRole).toInt(),
                     NoteRowFormatter::plainHeight);
        }
        ctx()->rollback();
    }

    // A reminder set on a note that moves in the same save: the row grows at its new
    // place, and a later change set that names only the reminder as gone shrinks it.
    void reminderOfAMovedNoteFollowsTheRow()
    {
        m_presenter->showCategory(keyOf(m_rig.work));
        DateRemind *r = m_rig.fx.remind(note("b"));
        r->setRemindRealDateTime("2026/3/7 09:00:00");
        note("b")->setSort(9);
        save();
        QCOMPARE(shown(), QStringList({"a", "c", "d", "e", "b"}));
        QCOMPARE(model()->index(4).data(NoteListModel::HeightRole).toInt(), NoteRowFormatter::reminderHeight);
        const qint64 remindPk = r->objectId().pk;
        ctx()->deleteObject(r);
        StoreChanges changes;
        changes.entities[QStringLiteral("DateRemind")].deleted << remindPk;
        QVERIFY(!model()->applyChanges(changes));
        QCOMPARE(model()->index(4).data(NoteListModel::HeightRole).toInt(), NoteRowFormatter::plainHeight);
        ctx()->rollback();
    }

    // The selected note leaves the list: the note now in its place is selected and announced.
    void selectedNoteGoes()
    {
        m_presenter->showCategory(keyOf(m_rig.work));
        m_presenter->selectRow(4);
        events().clear();
        ctx()->deleteObject(note("e"));
        save();
        QCOMPARE(selected(), QStringLiteral("d"));
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=d"}));

        m_presenter->showCategory(keyOf(m_rig.home));
        events().clear();
        ctx()->deleteObject(note("x"));
        ctx()->deleteObject(note("y"));
        save();
        QVERIFY(m_presenter->isEmpty());
        QCOMPARE(events(), QStringList({"ReloadNoteDetail="}));
    }

    // "ReloadNoteDetail" goes out whenever the selected note differs from the one last announced.
    void announcements()
    {
        m_presenter->showCategory(keyOf(m_rig.work));
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=a"}));

        events().clear();
        m_presenter->selectRow(1); // same row again below: nothing
        m_presenter->selectRow(1);
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=b"}));

        // Another category: the kept row 1 exists there, and shows another note.
        events().clear();
        m_presenter->showCategory(keyOf(m_rig.home));
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=y"}));

        // Back: row 1 again, note b.
        events().clear();
        m_presenter->showCategory(keyOf(m_rig.work));
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=b"}));

        // Redraws keep the selection and announce nothing.
        events().clear();
        m_presenter->reload(NotesListReload::all());
        m_presenter->reload(NotesListReload::single());
        QCOMPARE(events(), QStringList());
        QCOMPARE(selected(), QStringLiteral("b"));

        // The detail pane deselects; selecting the same note again announces it.
        m_presenter->deselect();
        QCOMPARE(m_presenter->selectedRow(), -1);
        QCOMPARE(events(), QStringList());
        m_presenter->selectRow(1);
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=b"}));
    }

    void reloadKinds_data()
    {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("target"); // category "k…" or a note's cId
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QStringList>("posted");
        QTest::newRow("row 3 kept in a long enough category") << 3 << "k1"
                                                              << "d" << QStringList{};
        QTest::newRow("row 3 missing: row 0") << 3 << "k2"
                                              << "x" << QStringList{"ReloadNoteDetail=x"};
        QTest::newRow("empty category") << 3 << "k3"
                                        << "" << QStringList{"ReloadNoteDetail="};
        QTest::newRow("note of this category") << 0 << "d"
                                               << "d" << QStringList{"ReloadNoteDetail=d"};
        QTest::newRow("note of another category") << 0 << "y"
                                                  << "y" << QStringList{"ReloadNoteDetail=y"};
        QTest::newRow("unknown note: row 0") << 3 << "zz"
                                             << "a" << QStringList{"ReloadNoteDetail=a"};
    }
    void reloadKinds()
    {
        QFETCH(int, startRow);
        QFETCH(QString, target);
        QFETCH(QString, selection);
        QFETCH(QStringList, posted);
        Classify *empty = m_rig.fx.category("k3", "空");
        save();
        m_presenter->showCategory(keyOf(m_rig.work));
        m_presenter->selectRow(startRow);
        events().clear();
        QSignalSpy emptySpy(m_presenter.get(), &NoteListPresenter::emptyChanged);
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        if (target.startsWith('k')) {
            Classify *c = target == "k1" ? m_rig.work : target == "k2" ? m_rig.home : empty;
            m_rig.events->notesListReloadDatas(NotesListReload::showCategory({0, c->classId()}));
        } else {
            NoteDetail *n = note(target);
            m_rig.events->notesListReloadDatas(
                NotesListReload::showNote(n ? NoteKey{n->objectId().pk, n->cId()} : NoteKey{0, target}));
        }
        QCOMPARE(selected(), selection);
        QCOMPARE(events().filter("ReloadNoteDetail"), posted);
        QCOMPARE(m_presenter->isEmpty(), selection.isEmpty());
        QCOMPARE(emptySpy.size(), selection.isEmpty() ? 1 : 0);
        // The list follows the store's saves: only another category rebuilds it.
        const bool sameCategory = target == "k1" || (!target.startsWith('k') && note(target) &&
                                                     note(target)->classify() == m_rig.work);
        QCOMPARE(resets.size(), sameCategory || target == "zz" ? 0 : 1);
    }

    // The add button asks the detail pane for a new note.
    void addButton()
    {
        m_presenter->addNote();
        QCOMPARE(events(), QStringList({"AddNoteDetail="}));
    }

    // Each row-menu item runs its note operation and posts what the detail pane and sync expect.
    // On a store that cannot write, a row action tells the user and pushes nothing;
    // its change stays pending and the next save that holds writes it.
    void menuActionsOnAFullStore_data()
    {
        QTest::addColumn<int>("tag");
        QTest::newRow("complete") << 1006;
        QTest::newRow("delete") << 1007;
        QTest::newRow("clear reminder") << 1004;
        QTest::newRow("snooze half an hour") << 2001;
    }
    void menuActionsOnAFullStore()
    {
        QFETCH(int, tag);
        NoteDetail *c = note("c");
        DateRemind *r = m_rig.fx.remind(c);
        r->setRemindDateTime("2026/3/6 09:00:00");
        r->setRemindRealDateTime("2026/3/6 09:00:00");
        save();
        m_presenter->showCategory(keyOf(m_rig.work));
        QVERIFY(m_presenter->openMenu(2).isVisible());
        events().clear();
        m_rig.fx.setWritesFail(true);
        m_presenter->triggerMenuItem(2, tag);
        QCOMPARE(m_rig.feedback->messages(), QStringList{StoreSaver::failedText()});
        QCOMPARE(events(), QStringList{});
        QVERIFY(ctx()->hasChanges());
        m_rig.fx.setWritesFail(false);
        save();
        const std::unique_ptr<Context> reader = m_rig.fx.store()->newContext();
        QVERIFY(!reader->findFirstByAttribute<NoteDetail>("cId", "c")->isSync());
    }

    void menuActions_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<QStringList>("posted");
        QTest::addColumn<QStringList>("shownAfter");
        const QStringList all{"a", "b", "c", "d", "e"};
        QTest::newRow("copy") << 1003 << false << QStringList{} << all;
        // Completed notes go to the top here (UserSet.noteCompleteActionType 1).
        QTest::newRow("complete") << 1006 << false << QStringList{"SyncPushNoteDatas="}
                                  << QStringList{"c", "a", "b", "d", "e"};
        QTest::newRow("undo completion") << 1006 << true << QStringList{"RevokeCompleteNote="} << all;
        QTest::newRow("delete") << 1007 << false << QStringList{"SyncPushNoteDatas="} << all;
        QTest::newRow("clear reminder") << 1004 << false << QStringList{"SyncPushNoteDatas=c"} << all;
        QTest::newRow("clear important") << 1005 << false << QStringList{"SyncPushNoteDatas=c"} << all;
        QTest::newRow("clear snooze") << 1002 << false << QStringList{"SyncPushNoteDatas=c"} << all;
        QTest::newRow("snooze half an hour") << 2001 << false << QStringList{"SyncPushNoteDatas=c"} << all;
        QTest::newRow("snooze next week") << 2004 << false << QStringList{"SyncPushNoteDatas=c"} << all;
        QTest::newRow("unknown tag") << 999 << false << QStringList{} << all;
    }
    void menuActions()
    {
        QFETCH(int, tag);
        QFETCH(bool, completed);
        QFETCH(QStringList, posted);
        QFETCH(QStringList, shownAfter);
        NoteDetail *c = note("c");
        c->setIsCompleted(completed);
        DateRemind *r = m_rig.fx.remind(c);
        r->setRemindDateTime("2026/3/6 09:00:00");
        r->setRemindRealDateTime("2026/3/6 09:00:00");
        r->setRemindRType(1);
        if (tag == 1002)
            r->setRemindDelayTime("2026/3/6 10:20:00");
        save();
        m_presenter->showCategory(keyOf(m_rig.work));
        QGuiApplication::clipboard()->setText("before");
        // The menu selects the clicked row first, so the detail pane shows that note.
        events().clear();
        QVERIFY(m_presenter->openMenu(2).isVisible());
        QCOMPARE(events(), QStringList({"ReloadNoteDetail=c"}));
        events().clear();

        m_presenter->triggerMenuItem(2, tag);

        QCOMPARE(events(), posted);
        QCOMPARE(shown(), shownAfter);
        c = note("c");
        QVERIFY(c);
        r = c->remind();
        switch (tag) {
        case 1003:
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("内容 c"));
            QCOMPARE(m_rig.feedback->toasts(), QStringList({"复制成功"}));
            break;
        case 1006:
            QCOMPARE(c->isCompleted(), true);
            QCOMPARE(c->isSync(), completed); // only a completion changes the note here
            break;
        case 1007:
            QCOMPARE(c->actionType(), 3);
            break;
        case 1004:
            QCOMPARE(r->remindActionType(), 3);
            break;
        case 1005:
            QCOMPARE(r->remindRType(), 0);
            break;
        case 1002:
            QVERIFY(r->remindDelayTime().isEmpty());
            break;
        case 2001:
            QCOMPARE(r->remindDelayTime(), QStringLiteral("2026/3/6 10:30:00"));
            break;
        case 2004: // next week on the occurrence's weekday, at now's time
            QCOMPARE(r->remindDelayTime(), QStringLiteral("2026/3/13 10:00:00"));
            break;
        default:
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
            QVERIFY(c->isSync());
        }
        QCOMPARE(selected(), QStringLiteral("c"));
    }

    // A right click below the last row: an empty menu, no selection change.
    void menuBelowTheRows()
    {
        m_presenter->showCategory(keyOf(m_rig.work));
        events().clear();
        QVERIFY(!m_presenter->openMenu(-1).isVisible());
        QVERIFY(!m_presenter->openMenu(5).isVisible());
        m_presenter->triggerMenuItem(-1, 1007);
        QCOMPARE(events(), QStringList());
    }
};

PRELVANE_TEST_MAIN(TestNoteList)
#include "tst_notelist.moc"
