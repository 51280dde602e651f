// The edit-history list in the real main window against the stand-in service:
// notes added, changed and deleted in the window show in "编辑历史" with their
// badges and change spans, newest first; a record deleted from the row menu is
// gone on the service and, after a pull, on a second signed-in device.

#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/TipButton.h"
#include "core/model/NoteLog.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/list/presenter/NoteRowMenu.h"
#include "notes/list/view/NoteListView.h"
#include "notes/records/presenter/NoteLogCellLayout.h"
#include "notes/records/presenter/NoteLogListModel.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "notes/records/view/NoteLogListViewController.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "platform/base/Session.h"
#include "service/sync/RecordPager.h"
#include "tests/notes/MainWindowDesk.h"
#include "tests/support/TestEnv.h"

#include "notes/records/view/NoteLogCellDelegate.h"

#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace {

// One mark per UTF-16 unit: '.' plain, '+' added, '-' struck through.
QString marks(const NoteLogText &t)
{
    QString out;
    for (const NoteLogText::Run &r : t.runs())
        out += QString(r.length, r.struck ? u'-' : r.color.isValid() ? u'+' : u'.');
    return out;
}

struct Desk : MainWindowDesk
{
    using MainWindowDesk::MainWindowDesk;

    void type(const QString &text)
    {
        QPlainTextEdit *edit = editor()->textEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QCoreApplication::sendEvent(edit, &typed);
    }
    void press(NoteEditorPresenter::Button b) { QTest::mouseClick(editor()->button(b), Qt::LeftButton); }
    bool noteMenu(const QString &text, int tag)
    {
        QMenu *m = window->noteList()->buildRowMenu(rowOf(text));
        if (!m)
            return false;
        for (QAction *a : m->actions())
            if (a->data().toInt() == tag) {
                a->trigger();
                m->close();
                return true;
            }
        m->close();
        return false;
    }
    NoteRecordViewController *records() const { return window->findChild<NoteRecordViewController *>(); }
    NoteLogListViewController *history() const { return records()->logList(); }
    NoteLogListModel *historyModel() const { return history()->presenter()->model(); }
    // "badge text" per row, as shown.
    QStringList historyRows() const
    {
        QStringList out;
        for (int i = 0; i < historyModel()->rowCount(); ++i) {
            const NoteLogCell c = historyModel()->cellAt(i);
            out << c.badge() + u' ' + c.text.text();
        }
        return out;
    }
    int historyRow(const QString &row) const { return int(historyRows().indexOf(row)); }
};

} // namespace

class TstHistoryListEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void changesShowInTheHistoryAndADeletionReachesTheOtherDevice();

private:
    QString m_root;
};

void TstHistoryListEndToEnd::changesShowInTheHistoryAndADeletionReachesTheOtherDevice()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "周一开会");
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList{"周一开会"});

    // Add a note, change the other one's text, delete the new one.
    QTest::mouseClick(d.window->noteList()->addButton(), Qt::LeftButton);
    d.type("买牛奶");
    d.press(NoteEditorPresenter::Button::Edit);
    QVERIFY(d.rig.settle());
    QTRY_VERIFY(d.served("买牛奶"));
    d.clickRow(d.rowOf("周一开会"));
    d.press(NoteEditorPresenter::Button::Edit);
    d.type("周二开会");
    d.press(NoteEditorPresenter::Button::Edit);
    QVERIFY(d.rig.settle());
    QTRY_VERIFY(d.served("周二开会"));
    QVERIFY(d.noteMenu("买牛奶", NoteRowMenu::Delete));
    QVERIFY(d.rig.settle());
    QTRY_VERIFY(!d.served("买牛奶"));

    // "时间管理", then "编辑历史": the list fills from the service, newest first.
    QTest::mouseClick(d.window->titleBar()->recordsButton(), Qt::LeftButton);
    QTest::mouseClick(d.records()->segmentButton(2), Qt::LeftButton);
    QCOMPARE(d.records()->stack()->currentWidget(), d.history());
    QCOMPARE(d.records()->popUp(0)->currentText(), QStringLiteral("全部类型"));
    QCOMPARE(d.records()->popUp(2)->currentText(), QStringLiteral("全部时间"));
    const QStringList expected{"删除 买牛奶", "修改 周一二开会", "新增 买牛奶", "新增 周一开会"};
    QTRY_COMPARE(d.historyRows(), expected);
    // The rows show as their page is imported; the chain ends with the next, empty page.
    QTRY_VERIFY(!d.history()->presenter()->isBusy());
    QVERIFY(!d.history()->emptyView());
    QVERIFY(!d.history()->moreButton()->isVisible());
    // The change: "一" removed, "二" added; the deletion struck through whole; the rest plain.
    QCOMPARE(marks(d.historyModel()->cellAt(1).text), QStringLiteral(".-+.."));
    QCOMPARE(marks(d.historyModel()->cellAt(0).text), QStringLiteral("---"));
    QCOMPARE(marks(d.historyModel()->cellAt(2).text), QStringLiteral("..."));
    QCOMPARE(d.historyModel()->cellAt(1).classifyName, QStringLiteral("工作"));
    // The stand-in records desktop changes as device kind 7.
    QCOMPARE(NoteLogCell::terminalImage(d.historyModel()->cellAt(1).terminalId), QStringLiteral("note_mac"));
    // The rows are painted at the list's width.
    QListView *list = d.history()->listView();
    QCOMPARE(d.history()->cellDelegate()->rowWidth(), list->viewport()->width());
    QCOMPARE(list->visualRect(d.historyModel()->index(0)).height(),
             NoteLogCellLayout::rowHeight(QStringLiteral("买牛奶"), list->viewport()->width()));

    // The kind filter, as a user picks it.
    QComboBox *kind = d.records()->popUp(0);
    kind->setFocus();
    QTest::keyClick(kind, Qt::Key_Down); // "新增"
    QCOMPARE(d.historyRows(), QStringList({"新增 买牛奶", "新增 周一开会"}));
    QTest::keyClick(kind, Qt::Key_Up);
    QCOMPARE(d.historyRows(), expected);

    // The second device mirrors the history too.
    Session otherSession;
    RecordPager otherHistory(RecordPager::Kind::History, *d.rig.s.api, *d.other.ctx(), otherSession);
    d.other.activate();
    QSignalSpy mirrored(&otherHistory, &RecordPager::finished);
    otherHistory.refresh();
    QVERIFY(mirrored.wait(10000));
    d.rig.device->activate();
    const auto otherHas = [&](const QString &tId) {
        return !d.other.ctx()->fetch<NoteLog>(Predicate::equals("tId", tId)).isEmpty();
    };
    const QString added = d.historyModel()->cellAt(2).tId;
    QVERIFY(otherHas(added));
    QCOMPARE(d.other.ctx()->count(NoteLog::entity(), Predicate()), 4);

    // "删除" on the record of the added note: gone here once the service agreed, and on the service.
    QMenu *menu = d.history()->buildRowMenu(d.historyRow("新增 买牛奶"));
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("   删除   "));
    menu->actions().at(1)->trigger();
    menu->close();
    QTRY_COMPARE(d.historyRows(), QStringList({"删除 买牛奶", "修改 周一二开会", "新增 周一开会"}));
    QVERIFY(!d.rig.s.notes->data(d.rig.s.tester()).history.contains(added.toLongLong()));
    QVERIFY(d.rig.ctx()->fetch<NoteLog>(Predicate::equals("tId", added)).isEmpty());

    // The other device's next pull drops it from its mirror.
    d.other.activate();
    QVERIFY(d.other.pull());
    d.rig.device->activate();
    QVERIFY(!otherHas(added));
    QCOMPARE(d.other.ctx()->count(NoteLog::entity(), Predicate()), 3);
}

PRELVANE_TEST_MAIN(TstHistoryListEndToEnd)
#include "tst_historylist_endtoend.moc"
