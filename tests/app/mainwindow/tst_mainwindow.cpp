// The main window against the stand-in service: the update check, the lock
// overlay and a change made on another device arriving with the poll.

#include "app/mainwindow/presenters/LockPresenter.h"
#include "app/mainwindow/presenters/TitleBarPresenter.h"
#include "app/mainwindow/views/CategoryColumnView.h"
#include "app/mainwindow/views/LockOverlay.h"
#include "app/mainwindow/views/MainWindow.h"
#include "core/model/UserInfo.h"
#include "notes/categories/CategoryColumnPresenter.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/TestEnv.h"

#include "app/uikit/TipButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QListView>
#include <QStackedWidget>

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void updateCheck_data();
    void updateCheck();
    void unlockRules_data();
    void unlockRules();
    void lockOverlayKeepsKeysFromTheCoveredViews();
    void pollBringsAnotherDevicesChangesAndKeepsTheSelection();

private:
    QString m_root;
};

void TstMainWindow::updateCheck_data()
{
    QTest::addColumn<QJsonArray>("terminals");
    QTest::addColumn<QString>("detail"); // empty: no dialog
    const QJsonObject other{{"id", 3}, {"version", "9.9.9"}, {"versionChangeRemarks", "别的终端"}};
    QTest::addRow("entry 7 at the running version")
        << QJsonArray{other, QJsonObject{{"id", 7}, {"version", "1.0.0"}}} << "";
    QTest::addRow("another version with remarks")
        << QJsonArray{QJsonObject{{"id", "7"}, {"version", "1.2.0"}, {"versionChangeRemarks", "修复问题"}}}
        << "修复问题";
    QTest::addRow("another version without remarks")
        << QJsonArray{QJsonObject{{"id", 7}, {"version", "1.2.0"}}} << "有新版本，请及时更新！";
    QTest::addRow("remarks null") << QJsonArray{QJsonObject{{"id", 7}, {"version", "2"}, {"versionChangeRemarks",
                                                                                          QJsonValue()}}}
                                  << "有新版本，请及时更新！";
    QTest::addRow("first entry 7 decides") << QJsonArray{QJsonObject{{"id", 7}, {"version", "1.0.0"}},
                                                         QJsonObject{{"id", 7}, {"version", "3.0.0"}}}
                                           << "";
    QTest::addRow("no entry 7") << QJsonArray{other} << "";
}

void TstMainWindow::updateCheck()
{
    QFETCH(QJsonArray, terminals);
    QFETCH(QString, detail);
    const auto update = TitleBarPresenter::updateFrom(terminals, "1.0.0");
    QCOMPARE(update.has_value(), !detail.isEmpty());
    if (update) {
        QCOMPARE(update->text, QStringLiteral("更新说明"));
        QCOMPARE(update->detail, detail);
    }
}

void TstMainWindow::unlockRules_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("unlocks");
    QTest::addRow("right password") << "1234" << "1234" << true;
    QTest::addRow("wrong password") << "1234" << "123" << false;
    QTest::addRow("empty typed") << "1234" << "" << false;
    QTest::addRow("password removed meanwhile") << "" << "anything" << true;
}

void TstMainWindow::unlockRules()
{
    QFETCH(QString, password);
    QFETCH(QString, typed);
    QFETCH(bool, unlocks);
    CategoryTestRig rig(m_root);
    auto *info = rig.device->ctx()->create<UserInfo>();
    info->setUserId(rig.s.tester().userId.toInt());
    info->setLockScreenPassword(password);
    rig.device->save();
    LockPresenter lock(rig.services);
    QSignalSpy unlocked(&lock, &LockPresenter::unlocked);
    QCOMPARE(lock.unlock(typed), unlocks);
    QCOMPARE(unlocked.size(), unlocks ? 1 : 0);
    QCOMPARE(lock.errorShown(), !unlocks);
}

void TstMainWindow::lockOverlayKeepsKeysFromTheCoveredViews()
{
    CategoryTestRig rig(m_root);
    auto *info = rig.device->ctx()->create<UserInfo>();
    info->setUserId(rig.s.tester().userId.toInt());
    info->setLockScreenPassword("1234");
    info->setIsDefaultLockScreen(true);
    rig.device->save();
    MainWindow window(rig.services, rig.coordinator.get());
    // A stand-in editor in the detail pane.
    auto *editor = new QLineEdit(window.noteSplit()->widget(1));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    editor->setFocus();
    window.column()->lockButton()->click();
    QVERIFY(window.lockOverlay());
    QTest::keyClicks(editor, "leak");
    QTest::keyClicks(QApplication::focusWidget(), "x");
    QCOMPARE(editor->text(), QString());
    QVERIFY(!editor->isEnabled());
    QCOMPARE(QApplication::focusWidget(), window.lockOverlay()->passwordField());
    // A wrong password shows the error and keeps the lock.
    QLineEdit *field = window.lockOverlay()->passwordField();
    field->clear();
    QTest::keyClicks(field, "0000");
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(window.lockOverlay()->errorLabel()->isVisible());
    field->clear();
    QTest::keyClicks(field, "1234");
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!window.lockOverlay());
    QVERIFY(window.rightPane()->isEnabled());
    editor->setFocus();
    QTest::keyClicks(editor, "ok");
    QCOMPARE(editor->text(), QStringLiteral("ok"));
}

void TstMainWindow::pollBringsAnotherDevicesChangesAndKeepsTheSelection()
{
    CategoryTestRig rig(m_root);
    SyncClient other("b", m_root, rig.s.api.get(), *rig.s.service, rig.s.tester());
    rig.s.tester().sessions << QStringLiteral("token-b");
    UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    Classify *work = other.addCategory("工作");
    other.addCategory("生活");
    other.addNote(work, "旧内容");
    QVERIFY(other.sync());

    rig.device->activate();
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    rig.signIn();
    QVERIFY(rig.settle());
    QTRY_COMPARE(window.column()->listView()->model()->rowCount(), 2);
    // The user picks the second category.
    QListView *list = window.column()->listView();
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(window.columnPresenter()->selectedCategory().classId, rig.device->categories().at(1)->classId());
    const QString chosen = window.columnPresenter()->selectedCategory().classId;

    // The other device adds a category on top and edits a note.
    other.activate();
    QList<Classify *> cats = other.categories();
    auto *top = other.ctx()->create<Classify>();
    top->setClassId(other.newClientId());
    top->setName("新分类");
    top->setBackColor("#0b4ee7");
    top->setSort(0);
    top->setActionType(1);
    top->setIsSync(false);
    other.save();
    other.editNote(other.notesOf(cats.first()).first(), "新内容");
    QVERIFY(other.sync());

    rig.device->activate();
    rig.tick();
    QTRY_COMPARE(list->model()->rowCount(), 3);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("新分类"));
    QCOMPARE(window.columnPresenter()->selectedCategory().classId, chosen);
    QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(list->selectionModel()->selectedIndexes().first().data(CategoryListModel::ClassIdRole).toString(),
             chosen);
    QCOMPARE(rig.device->liveNotes().first()->content(), QStringLiteral("新内容"));
}

PRELVANE_TEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
