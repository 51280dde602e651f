// The settings window over the real main window against the stand-in, driven
// as a user drives it: opened from the settings popover and from the avatar,
// new notes to the top, a refused pair, a lock password and the lock, a new
// skin, a snapshot restored, and the about tab.

#include "app/mainwindow/presenter/TitleBarPresenter.h"
#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/PopoverView.h"
#include "app/uikit/TipButton.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/skins/SkinManager.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/categories/view/ClassifyColorGrid.h"
#include "notes/categories/view/ClassifyColorViewItem.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/editor/view/EditNoteView.h"
#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "settings/presenter/SyncSettingsPresenter.h"
#include "settings/view/AboutSettingsTab.h"
#include "settings/view/GeneralSettingsTab.h"
#include "settings/view/SettingsWindow.h"
#include "settings/view/SkinSettingsTab.h"
#include "settings/view/SyncSettingsTab.h"
#include "tests/notes/MainWindowDesk.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

struct Desk : MainWindowDesk
{
    using MainWindowDesk::MainWindowDesk;

    SettingsWindow *settings() const { return window->settingsWindow(); }
    int loads() const { return requests("user/userInfo") + requests("user/sysSet"); }
    int requests(const char *path) const { return rig.s.service->requestCount(QString::fromLatin1(path)); }
    // A user's pick from a pop-up.
    static void choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // On the box's mark: a box spans its row, and only its mark and title take clicks.
    static void clickBox(QCheckBox *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    bool closeSettings()
    {
        QPointer<SettingsWindow> w = settings();
        if (!w)
            return true;
        w->close();
        return QTest::qWaitFor([&] { return !w; }, 2000);
    }
    void type(const QString &text)
    {
        QPlainTextEdit *edit = editor()->textEdit();
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QCoreApplication::sendEvent(edit, &typed);
    }
};

} // namespace

class TstSettingsWindowEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void theSettingsStory();

private:
    QString m_root;
};

void TstSettingsWindowEndToEnd::theSettingsStory()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "甲");
    QVERIFY(d.open([&] {
        UserDefaults::setValue(SignInKeys::UserId, d.rig.s.tester().userId);
        QVERIFY(d.rig.services.skins->addSkinToLocal());
    }));
    QTRY_COMPARE(d.listed(), QStringList{"甲"});
    d.rig.s.notes->takeSnapshot(d.rig.s.tester(), "2026/3/1 0:00:00");

    // From the settings popover's first row.
    QTest::mouseClick(d.window->column()->settingsButton(), Qt::LeftButton);
    QTRY_VERIFY(d.window->findChild<PopoverView *>());
    QListView *rows = d.window->findChild<PopoverView *>()->tableView();
    QTRY_VERIFY(rows->isVisible());
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      rows->visualRect(rows->model()->index(0, 0)).center());
    QTRY_VERIFY(d.settings() && d.settings()->isVisible());
    QCOMPARE(d.settings()->tabs()->count(), 7);
    QCOMPARE(d.settings()->tabs()->tabText(2), QStringLiteral("通用"));
    QTRY_COMPARE(d.loads(), 2);
    QVERIFY(d.closeSettings());

    // From the avatar: a new window that loads again; a second click raises it.
    QTest::mouseClick(d.window->titleBar()->headButton(), Qt::LeftButton);
    QTRY_VERIFY(d.settings());
    QPointer<SettingsWindow> first = d.settings();
    QTRY_COMPARE(d.loads(), 4);
    QCOMPARE(d.window->openSettingsWindow(), first.data());
    QTest::qWait(20);
    QCOMPARE(d.loads(), 4);

    // New notes to the top.
    d.settings()->showTab(SettingsWindowPresenter::GeneralTab);
    GeneralSettingsTab *general = d.settings()->generalTab();
    QSignalSpy answered(d.settings()->presenter()->saver(), &SettingsSaver::answered);
    Desk::choose(general->addPositionPopUp(), 1);
    QVERIFY(!general->addPositionPopUp()->isEnabled());
    QTRY_COMPARE(answered.count(), 1);
    QVERIFY(general->addPositionPopUp()->isEnabled());
    QCOMPARE(d.rig.ctx()->findFirstWhere<UserSet>()->noteAddPositionType(), 1);
    // Completed notes to the top as well is refused and the pop-up goes back.
    Desk::choose(general->completePositionPopUp(), 1);
    QTRY_COMPARE(d.rig.s.feedback->messages().value(0), GeneralSettingsPresenter::BothTopText);
    QCOMPARE(general->completePositionPopUp()->currentIndex(), 0);
    QCOMPARE(answered.count(), 1);

    // A lock password, then the lock.
    QVERIFY(!general->savePasswordButton()->isEnabled());
    general->passwordField()->setFocus();
    QTest::keyClicks(general->passwordField(), "2468");
    QVERIFY(general->savePasswordButton()->isEnabled());
    QTest::mouseClick(general->savePasswordButton(), Qt::LeftButton);
    QTRY_COMPARE(answered.count(), 2);
    Desk::clickBox(general->lockBox());
    QTRY_COMPARE(answered.count(), 3);
    const UserInfo *info =
        d.rig.ctx()->findFirstByAttribute<UserInfo>("userId", d.rig.s.tester().userId.toLongLong());
    QVERIFY(info);
    QCOMPARE(info->lockScreenPassword(), QStringLiteral("2468"));
    QVERIFY(info->isDefaultLockScreen());
    QCOMPARE(d.rig.s.tester().userInfo.value("lockScreenPassword").toString(), QStringLiteral("2468"));
    QVERIFY(d.closeSettings());

    // A new note lands at the top.
    QTest::mouseClick(d.window->noteList()->addButton(), Qt::LeftButton);
    d.type("乙");
    QTest::mouseClick(d.editor()->button(NoteEditorPresenter::Button::Edit), Qt::LeftButton);
    QVERIFY(d.rig.settle());
    QTRY_COMPARE(d.listed(), QStringList({"乙", "甲"}));

    // The lock covers the window until the password is typed.
    QTest::mouseClick(d.window->column()->lockButton(), Qt::LeftButton);
    QTRY_VERIFY(d.window->lockOverlay());
    QTest::keyClicks(d.window->lockOverlay()->passwordField(), "2468");
    QTest::keyClick(d.window->lockOverlay()->passwordField(), Qt::Key_Return);
    QTRY_VERIFY(!d.window->lockOverlay());

    // Another skin: the title bar and the category column redraw, the window closes.
    QTest::mouseClick(d.window->titleBar()->headButton(), Qt::LeftButton);
    QTRY_VERIFY(d.settings());
    d.settings()->showTab(SettingsWindowPresenter::SkinTab);
    SkinSettingsTab *skins = d.settings()->skinTab();
    QCOMPARE(skins->grid()->chosen(), 0);
    QSignalSpy columnRefetched(&d.rig.events, &AppEvents::reloadLeftHomeList);
    QSignalSpy titleBarTold(&d.rig.events, &AppEvents::reloadDatasForTitleBar);
    QPointer<SettingsWindow> skinWindow = d.settings();
    QTest::mouseClick(skins->grid()->item(4), Qt::LeftButton);
    QTest::mouseClick(skins->confirmButton(), Qt::LeftButton);
    QTRY_VERIFY(!skinWindow);
    const QString chosen = d.rig.services.skins->getCurrSkin()->nameId();
    QCOMPARE(chosen, QStringLiteral("#7e57c2"));
    QCOMPARE(d.rig.s.tester().sysSet.value("newSkinColor").toString(), chosen);
    QCOMPARE(d.window->titleBarPresenter()->barColor(), d.rig.services.skins->getCurrSkin()->barColor());
    QCOMPARE(titleBarTold.count(), 1);
    QCOMPARE(columnRefetched.count(), 1);
    QCOMPARE(columnRefetched.at(0).at(0).value<LeftHomeListReload>(), LeftHomeListReload::refetch());

    // The snapshot from before the new note: restored, the note is gone.
    QTest::mouseClick(d.window->titleBar()->headButton(), Qt::LeftButton);
    QTRY_VERIFY(d.settings());
    d.settings()->showTab(SettingsWindowPresenter::SyncTab);
    SyncSettingsTab *sync = d.settings()->syncTab();
    QTRY_VERIFY(sync->snapshots()->findText("2026/3/1 0:00:00") >= 0);
    Desk::choose(sync->snapshots(), sync->snapshots()->findText("2026/3/1 0:00:00"));
    QTest::mouseClick(sync->restoreButton(), Qt::LeftButton);
    QTRY_VERIFY(d.rig.s.feedback->messages().contains(SyncSettingsPresenter::RestoreQuestion));
    QTRY_COMPARE(d.requests("user/data/snapshot/restore"), 1);
    QVERIFY(d.rig.settle());
    QTRY_COMPARE(d.listed(), QStringList{"甲"});

    // The about tab shows the service's version for this client.
    d.settings()->showTab(SettingsWindowPresenter::AboutTab);
    QTRY_VERIFY(d.settings()->aboutTab()->serviceVersionLabel()->text().contains("1.0.0"));
    QVERIFY(d.closeSettings());
}

PRELVANE_TEST_MAIN(TstSettingsWindowEndToEnd)
#include "tst_settingswindow_endtoend.moc"
