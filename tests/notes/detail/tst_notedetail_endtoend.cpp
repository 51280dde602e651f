// The main window with its note list and detail pane against the stand-in
// service, driven as a user drives it: add, type and confirm a note; edit one
// while a poll brings another device's change; complete a repeating and a
// one-shot note and undo; delete; copy.

#include "app/mainwindow/view/MainWindow.h"
#include "app/uikit/TipButton.h"
#include "core/model/DateRemind.h"
#include "core/model/EventKeys.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/editor/view/AddNoteView.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/presenter/NoteRowMenu.h"
#include "notes/list/view/NoteListView.h"
#include "tests/notes/MainWindowDesk.h"
#include "tests/support/TestEnv.h"

#include <QClipboard>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>

namespace {

struct Desk : MainWindowDesk
{
    using MainWindowDesk::MainWindowDesk;

    // Lets the other device change the service, then makes this device current again.
    template <class F> bool onOtherDevice(F &&change)
    {
        other.activate();
        change();
        const bool ok = other.sync();
        rig.device->activate();
        return ok;
    }
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
    // Chooses an item of the row menu of the note with this text.
    bool menu(const QString &text, int tag)
    {
        QMenu *m = window->noteList()->buildRowMenu(rowOf(text));
        if (!m)
            return false;
        for (QAction *a : m->actions()) {
            if (a->data().toInt() == tag) {
                a->trigger();
                m->close();
                return true;
            }
        }
        m->close();
        return false;
    }
};

} // namespace

class TstNoteDetailEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void addTypeConfirmReachesTheServiceAndStaysSelected();
    void editingSurvivesAPollThatChangesAnotherNote();
    void completingARepeatingNoteKeepsItWithItsNextOccurrence();
    void completingAOneShotAndUndoingIt();
    void deleteAndCopyFromTheRowMenu();

private:
    QString m_root;
};

void TstNoteDetailEndToEnd::addTypeConfirmReachesTheServiceAndStaysSelected()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "周会");
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList{"周会"});
    // The list selects its first note, and the pane shows it.
    QCOMPARE(d.pane()->presenter()->shownNote().cId, d.local("周会")->cId());
    QVERIFY(d.editor()->isVisible());
    QVERIFY(!d.editor()->presenter()->isEditing());

    QTest::mouseClick(d.window->noteList()->addButton(), Qt::LeftButton);
    QVERIFY(d.editor()->isVisible());
    QVERIFY(d.editor()->presenter()->isEditing());
    QCOMPARE(d.listed().size(), 2);
    const NoteKey made = d.pane()->presenter()->shownNote();
    QCOMPARE(d.window->noteList()->presenter()->selectedNote(), made);
    d.type("买牛奶");
    QCOMPARE(d.editor()->presenter()->text(), QStringLiteral("买牛奶"));
    d.press(NoteEditorPresenter::Button::Edit);
    QVERIFY(d.rig.settle());

    const NoteDetail *n = d.local("买牛奶");
    QVERIFY(n);
    QCOMPARE(n->objectId().pk, made.pk);
    QVERIFY(!n->cId().contains('c'));
    QVERIFY(n->isSync());
    QVERIFY(d.served("买牛奶"));
    QCOMPARE(d.served("买牛奶")->cId, n->cId());
    // Still the selected row and the note in the editor, now under its server id.
    QTRY_COMPARE(d.window->noteList()->presenter()->selectedNote(), EventKeys::of(n));
    QCOMPARE(d.pane()->presenter()->shownNote(), EventKeys::of(n));
    QCOMPARE(d.editor()->presenter()->note().pk, made.pk);
    QVERIFY(!d.editor()->presenter()->isEditing());
    QCOMPARE(d.editor()->textEdit()->toPlainText(), QStringLiteral("买牛奶"));
    QVERIFY(d.listed().contains("买牛奶"));
    QCOMPARE(d.rig.s.picture(), d.rig.device->picture());
}

void TstNoteDetailEndToEnd::editingSurvivesAPollThatChangesAnotherNote()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "乙");
    d.other.addNote(work, "甲");
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList({"甲", "乙"}));

    d.clickRow(d.rowOf("甲"));
    QCOMPARE(d.pane()->presenter()->shownNote().cId, d.local("甲")->cId());
    d.press(NoteEditorPresenter::Button::Edit);
    QVERIFY(d.editor()->presenter()->isEditing());
    d.type("甲：本机改的");

    QVERIFY(d.onOtherDevice([&] {
        d.other.editNote(d.other.ctx()->findFirstByAttribute<NoteDetail>("content", "乙"), "乙：别处改的");
    }));
    d.rig.tick();
    QTRY_VERIFY(d.listed().contains("乙：别处改的"));
    // The typing is untouched by the pull.
    QVERIFY(d.editor()->presenter()->isEditing());
    QCOMPARE(d.editor()->textEdit()->toPlainText(), QStringLiteral("甲：本机改的"));

    d.press(NoteEditorPresenter::Button::Edit);
    QVERIFY(d.rig.settle());
    QTRY_COMPARE(d.listed(), QStringList({"甲：本机改的", "乙：别处改的"}));
    QVERIFY(d.served("甲：本机改的"));
    QVERIFY(d.served("乙：别处改的"));
    QCOMPARE(d.rig.s.picture(), d.rig.device->picture());
}

void TstNoteDetailEndToEnd::completingARepeatingNoteKeepsItWithItsNextOccurrence()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    NoteDetail *daily = d.other.addNote(work, "每天喝水");
    d.other.setReminder(daily, "2026/3/2 8:00:00");
    daily->remind()->setRemindCycleType(1);
    daily->remind()->setRemindCycleInterval(1);
    d.other.save();
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList{"每天喝水"});

    d.clickRow(0);
    d.press(NoteEditorPresenter::Button::Complete);
    QVERIFY(d.rig.settle());
    QCOMPARE(d.listed(), QStringList{"每天喝水"});
    const NoteDetail *n = d.local("每天喝水");
    QVERIFY(!n->isCompleted());
    QCOMPARE(n->remind()->remindRealDateTime(), QStringLiteral("2026/3/3 8:00:00"));
    QVERIFY(d.served("每天喝水"));
    QVERIFY(!d.served("每天喝水")->isCompleted);
    QCOMPARE(d.served("每天喝水")->remind.value("remindRealDateTime").toString(),
             QStringLiteral("2026/3/3 8:00:00"));
    // The next occurrence is scheduled.
    QCOMPARE(d.rig.s.notifications->nextDeliveryDate(n->cId()), QDateTime(QDate(2026, 3, 3), QTime(8, 0)));
}

void TstNoteDetailEndToEnd::completingAOneShotAndUndoingIt()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "交报告");
    d.other.addNote(work, "订机票");
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList({"订机票", "交报告"}));

    d.clickRow(d.rowOf("交报告"));
    d.press(NoteEditorPresenter::Button::Complete);
    QVERIFY(d.rig.settle());
    QVERIFY(d.local("交报告")->isCompleted());
    QVERIFY(d.served("交报告")->isCompleted);
    QVERIFY(d.editor()->presenter()->isRevokeVisible());
    const QString before = d.rig.device->version();

    // Undo from the row menu: the service is asked, the version counts it.
    QVERIFY(d.menu("交报告", NoteRowMenu::Complete));
    QTRY_VERIFY(!d.local("交报告")->isCompleted());
    QVERIFY(!d.served("交报告")->isCompleted);
    QCOMPARE(d.rig.device->version(), QString::number(before.toLongLong() + 1));
    QVERIFY(d.listed().contains("交报告"));
    QTRY_VERIFY(!d.editor()->presenter()->isRevokeVisible());
    QVERIFY(d.editor()->button(NoteEditorPresenter::Button::Complete)->isEnabled());
}

void TstNoteDetailEndToEnd::deleteAndCopyFromTheRowMenu()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "留着");
    d.other.addNote(work, "删掉");
    QVERIFY(d.open());
    QTRY_COMPARE(d.listed(), QStringList({"删掉", "留着"}));

    QVERIFY(d.menu("留着", NoteRowMenu::Copy));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("留着"));
    QCOMPARE(d.rig.s.feedback->toasts(), QStringList{"复制成功"});

    QVERIFY(d.menu("删掉", NoteRowMenu::Delete));
    QVERIFY(d.rig.settle());
    QTRY_COMPARE(d.listed(), QStringList{"留着"});
    QVERIFY(!d.served("删掉"));
    QVERIFY(!d.local("删掉"));
    QCOMPARE(d.rig.s.picture(), d.rig.device->picture());
}

PRELVANE_TEST_MAIN(TstNoteDetailEndToEnd)
#include "tst_notedetail_endtoend.moc"
