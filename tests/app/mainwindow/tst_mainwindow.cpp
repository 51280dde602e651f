// The main window against the stand-in service: the update check, the lock
// overlay, the note list following the category column, and changes made on
// another device arriving with the poll.

#include "app/mainwindow/presenter/LockPresenter.h"
#include "app/mainwindow/presenter/TitleBarPresenter.h"
#include "app/mainwindow/view/LockOverlay.h"
#include "app/mainwindow/view/MainWindow.h"
#include "core/model/UserInfo.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/categories/view/CategoryDialog.h"
#include "notes/categories/view/ClassifyColorGrid.h"
#include "notes/categories/view/ClassifyColorViewItem.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/view/NoteListView.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "notes/search/view/NoteSearchViewController.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/TestEnv.h"

#include "app/uikit/TipButton.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
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
    void noteListShowsTheChosenCategoryAndFollowsThePoll();
    void categoryAddedThroughTheDialogReachesTheService();
    void buttonsWithoutTheirWindowAreGreyed();
    void theRecordsAndSearchPanesAreMadeWhenFirstShown();

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
    QTest::addRow("remarks null") << QJsonArray{QJsonObject{
                                         {"id", 7}, {"version", "2"}, {"versionChangeRemarks", QJsonValue()}}}
                                  << "有新版本，请及时更新！";
    QTest::addRow("first entry 7 decides") << QJsonArray{QJsonObject{{"id", 7}, {"version", "1.0.0"}},
                                                         QJsonObject{{"id", 7}, {"version", "3.0.0"}}}
                                           << "";
    QTest::addRow("no entry 7") << QJsonArray{other} << "";
    // An id that is no whole number names no terminal (and is not cast out of range).
    QTest::addRow("id beyond the 64-bit range")
        << QJsonArray{QJsonObject{{"id", 1e300}, {"version", "1.2.0"}}} << "";
    QTest::addRow("fractional id") << QJsonArray{QJsonObject{{"id", 7.5}, {"version", "1.2.0"}}} << "";
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
    QTest::addRow("right password") << "1234"
                                    << "1234" << true;
    QTest::addRow("wrong password") << "1234"
                                    << "123" << false;
    QTest::addRow("empty typed") << "1234"
                                 << "" << false;
    QTest::addRow("password removed meanwhile") << ""
                                                << "anything" << true;
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
    rig.device->addNote(rig.device->addCategory("工作"), "周会");
    QVERIFY(rig.device->sync());
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    rig.signIn();
    QVERIFY(rig.settle());
    // The lock is set up on this device's profile row.
    UserInfo *info = rig.device->ctx()->findFirstWhere<UserInfo>();
    if (!info) {
        info = rig.device->ctx()->create<UserInfo>();
        info->setUserId(rig.s.tester().userId.toInt());
    }
    info->setLockScreenPassword("1234");
    info->setIsDefaultLockScreen(true);
    rig.device->save();
    // The note open in the editor, being edited.
    QListView *notes = window.noteList()->listView();
    QTRY_COMPARE(notes->model()->rowCount(), 1);
    QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                      notes->visualRect(notes->model()->index(0, 0)).center());
    EditNoteView *editor = window.noteDetail()->editView();
    QTest::mouseClick(editor->button(NoteEditorPresenter::Button::Edit), Qt::LeftButton);
    QVERIFY(editor->presenter()->isEditing());
    QPlainTextEdit *text = editor->textEdit();
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, "a");
    QCOMPARE(text->toPlainText(), QStringLiteral("周会a"));

    window.column()->lockButton()->click();
    QVERIFY(window.lockOverlay());
    QTest::keyClicks(text, "leak");
    QTest::keyClicks(QApplication::focusWidget(), "x");
    QCOMPARE(text->toPlainText(), QStringLiteral("周会a"));
    QVERIFY(!text->isEnabled());
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
    text->setFocus();
    QTest::keyClicks(text, "b");
    QCOMPARE(text->toPlainText(), QStringLiteral("周会ab"));
}

void TstMainWindow::pollBringsAnotherDevicesChangesAndKeepsTheSelection()
{
    CategoryTestRig rig(m_root);
    SyncClient other("b", m_root, rig.s, rig.s.tester());
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
    QCOMPARE(
        list->selectionModel()->selectedIndexes().first().data(CategoryListModel::ClassIdRole).toString(),
        chosen);
    QCOMPARE(rig.device->liveNotes().first()->content(), QStringLiteral("新内容"));
}

namespace {

QStringList listedTexts(const QListView *list)
{
    QStringList out;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        out << list->model()->index(row, 0).data().toString();
    return out;
}

QStringList contentsOf(const QList<NoteDetail *> &notes)
{
    QStringList out;
    for (const NoteDetail *n : notes)
        out << n->content();
    return out;
}

} // namespace

void TstMainWindow::noteListShowsTheChosenCategoryAndFollowsThePoll()
{
    CategoryTestRig rig(m_root);
    SyncClient other("b", m_root, rig.s, rig.s.tester());
    rig.s.tester().sessions << QStringLiteral("token-b");
    UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    Classify *work = other.addCategory("工作");
    Classify *life = other.addCategory("生活");
    other.addNote(work, "周会");
    other.addNote(work, "写周报");
    other.addNote(life, "买菜");
    QVERIFY(other.sync());
    QHash<QString, QStringList> expected{{work->classId(), contentsOf(other.notesOf(work))},
                                         {life->classId(), contentsOf(other.notesOf(life))}};
    const QString lifeId = life->classId();

    rig.device->activate();
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.noteSplit()->widget(0), window.noteList());
    rig.signIn();
    QVERIFY(rig.settle());
    QListView *categories = window.column()->listView();
    QTRY_COMPARE(categories->model()->rowCount(), 2);

    // The first pull fills the list with the selected category's notes, in their order.
    QListView *notes = window.noteList()->listView();
    const QString shown = window.columnPresenter()->selectedCategory().classId;
    QVERIFY(expected.contains(shown));
    QTRY_COMPARE(listedTexts(notes), expected.value(shown));
    QVERIFY(notes->isVisible());
    QVERIFY(!window.noteList()->isShowingEmptyView());
    // Widening the window widens the detail, not the list.
    const int listWidth = window.noteList()->width();
    const int detailWidth = window.noteSplit()->widget(1)->width();
    window.resize(window.width() + 200, window.height());
    QTRY_COMPARE(window.noteSplit()->widget(1)->width(), detailWidth + 200);
    QCOMPARE(window.noteList()->width(), listWidth);

    // Clicking the other category lists its notes instead.
    const int lifeRow = window.column()
                            ->listView()
                            ->model()
                            ->match(categories->model()->index(0, 0), CategoryListModel::ClassIdRole, lifeId)
                            .value(0)
                            .row();
    QTest::mouseClick(categories->viewport(), Qt::LeftButton, {},
                      categories->visualRect(categories->model()->index(lifeRow, 0)).center());
    QCOMPARE(window.columnPresenter()->selectedCategory().classId, lifeId);
    QCOMPARE(listedTexts(notes), expected.value(lifeId));

    // An edit on the other device reaches the listed row with the next poll.
    other.activate();
    other.editNote(other.notesOf(other.categories().at(1)).first(), "买菜和水果");
    QVERIFY(other.sync());
    rig.device->activate();
    rig.tick();
    QTRY_COMPARE(listedTexts(notes), QStringList{QStringLiteral("买菜和水果")});
    QCOMPARE(window.columnPresenter()->selectedCategory().classId, lifeId);
}

void TstMainWindow::categoryAddedThroughTheDialogReachesTheService()
{
    // A new account: the first pull brings nothing, so the default category is made.
    CategoryTestRig rig(m_root);
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    rig.signIn();
    QVERIFY(rig.settle());
    QListView *categories = window.column()->listView();
    QTRY_COMPARE(listedTexts(categories), QStringList{"默认"});

    QTest::mouseClick(window.column()->addButton(), Qt::LeftButton);
    QTRY_VERIFY(window.categoryDialog() && window.categoryDialog()->isVisible());
    CategoryDialog *dialog = window.categoryDialog();
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("旅行计划"));
    QCoreApplication::sendEvent(dialog->nameField(), &typed);
    QTest::mouseClick(dialog->colorGrid()->item(8), Qt::LeftButton);
    QTest::mouseClick(dialog->addTopButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    QTRY_VERIFY(!window.categoryDialog());
    QVERIFY(rig.settle());

    QStringList onService;
    for (const auto &c : rig.s.notes->liveCategories(rig.s.tester()))
        onService << c.name + ":" + c.backColor;
    onService.sort();
    QCOMPARE(onService, (QStringList{"旅行计划:#0583dc", "默认:#10b56c"}));
    QTRY_COMPARE(listedTexts(categories), (QStringList{"旅行计划", "默认"}));
    QCOMPARE(window.columnPresenter()->selectedCategory().classId,
             rig.device->categories().first()->classId());
    QCOMPARE(categories->selectionModel()->selectedIndexes().first().row(), 0);
    QCOMPARE(rig.s.feedback->toasts(), QStringList{"新增成功"});
}

// A button whose window does not exist yet is greyed, never a button that silently does nothing.
void TstMainWindow::buttonsWithoutTheirWindowAreGreyed()
{
    CategoryTestRig rig(m_root);
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    rig.signIn();
    QVERIFY(rig.settle());
    auto *team = window.findChild<TipButton *>(QStringLiteral("teamButton"));
    QVERIFY(team);
    QCOMPARE(team->tipTitle(), QStringLiteral("团签功能开发中"));
    QVERIFY(team->isVisible());
    QVERIFY(!team->isEnabled());
    // Those that have their window are not.
    int enabledTools = 0;
    for (TipButton *b : window.findChildren<TipButton *>())
        if (b->tipTitle() == QStringLiteral("锁屏") || b->tipTitle() == QStringLiteral("强制同步") ||
            b->tipTitle() == QStringLiteral("设置"))
            enabledTools += b->isEnabled();
    QCOMPARE(enabledTools, 3);
}

// Made on first showing, once, in their place of the right pane, and without changing the window's
// smallest size (the panes were always there before).
void TstMainWindow::theRecordsAndSearchPanesAreMadeWhenFirstShown()
{
    CategoryTestRig rig(m_root);
    MainWindow window(rig.services, rig.coordinator.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.findChild<NoteRecordViewController *>());
    QVERIFY(!window.findChild<NoteSearchViewController *>());
    const QSize smallest = window.minimumSizeHint();
    QStackedWidget *pane = window.rightPane();
    const int pages = pane->count();

    using Pane = CategoryColumnPresenter::Pane;
    for (Pane shown : {Pane::Records, Pane::Search, Pane::Notes, Pane::Records, Pane::Search}) {
        window.columnPresenter()->showPaneFromTitleBar(shown);
        QCOMPARE(pane->currentIndex(), int(shown));
        QCOMPARE(pane->count(), pages);
        if (shown == Pane::Records)
            QCOMPARE(pane->currentWidget(), window.records());
        else if (shown == Pane::Search)
            QCOMPARE(pane->currentWidget(), window.search());
        else
            QCOMPARE(pane->currentWidget(), window.noteSplit());
    }
    QCOMPARE(window.findChildren<NoteRecordViewController *>().size(), 1);
    QCOMPARE(window.findChildren<NoteSearchViewController *>().size(), 1);
    QCOMPARE(pane->indexOf(window.records()), int(Pane::Records));
    QCOMPARE(pane->indexOf(window.search()), int(Pane::Search));
    QCOMPARE(window.minimumSizeHint(), smallest);
}

PRELVANE_TEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
