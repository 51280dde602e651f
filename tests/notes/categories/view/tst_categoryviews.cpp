// The category menu and dialog as the user drives them in the main window:
// right click or the menu key on a cell, typing, choosing a colour, Enter,
// Escape, and closing while the push is out; against the stand-in service.

#include "app/mainwindow/view/LockOverlay.h"
#include "app/mainwindow/view/MainWindow.h"
#include "app/uikit/TipButton.h"
#include "core/model/Classify.h"
#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryMenuPresenter.h"
#include "notes/categories/view/CategoryColumnView.h"
#include "notes/categories/view/CategoryDialog.h"
#include "notes/categories/view/ClassifyColorGrid.h"
#include "notes/categories/view/ClassifyColorViewItem.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/UserDefaults.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/TestEnv.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRadioButton>
#include <QUrlQuery>

class TstCategoryViews : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void menuOnACellByMouseAndKeyboard();
    void keyboardMovesLoadTheCategory();
    void modifyFromTheMenu();
    void deleteFromTheMenu();
    void lockPasswordSetOnTheAccountPage();
    void clearFromTheMenuReachesTheService();
    void dialogKeys_data();
    void dialogKeys();
    void colourChosenWithTheKeyboard();
    void closedWhilePushingStillSavesTheAnswer();

private:
    QString m_root;
};

namespace {

// A signed-in main window over three categories the service has.
struct Window
{
    CategoryTestRig rig;
    std::unique_ptr<MainWindow> window;

    explicit Window(const QString &root) : rig(root)
    {
        for (const char *name : {"工作", "生活", "读书"})
            rig.device->addNote(rig.device->addCategory(QString::fromUtf8(name)),
                                QString::fromUtf8(name) + "的便签");
        QVERIFY(rig.device->sync());
        window = std::make_unique<MainWindow>(rig.services, rig.coordinator.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        rig.signIn();
        QVERIFY(rig.settle());
        QTRY_COMPARE(list()->model()->rowCount(), 3);
        rig.s.service->clearRequests();
    }
    QListView *list() const { return window->column()->listView(); }
    int rowOf(const QString &name) const
    {
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            if (list()->model()->index(r, 0).data().toString() == name)
                return r;
        return -1;
    }
    QStringList names() const
    {
        QStringList out;
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            out << list()->model()->index(r, 0).data().toString();
        return out;
    }
    // The service's categories with their sorts, by sort.
    // The contents of the notes the middle column lists.
    QStringList shownNotes() const
    {
        QStringList out;
        const QAbstractItemModel *m = window->noteList()->listView()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString();
        return out;
    }
    QString highlighted() const { return list()->currentIndex().data().toString(); }
    QStringList servedOrder()
    {
        auto all = rig.s.notes->liveCategories(rig.s.tester());
        std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.sort < b.sort; });
        QStringList out;
        for (const auto &c : all)
            out << QStringLiteral("%1:%2").arg(c.name).arg(c.sort);
        return out;
    }
    QStringList servedNotes(const QString &name)
    {
        QStringList out;
        for (const auto &c : rig.s.notes->liveCategories(rig.s.tester()))
            if (c.name == name)
                for (const auto &n : rig.s.notes->liveNotesInOrder(rig.s.tester(), c.classId))
                    out << n.content;
        return out;
    }
    QStringList onService()
    {
        QStringList out;
        for (const auto &c : rig.s.notes->liveCategories(rig.s.tester()))
            out << c.name + ":" + c.backColor;
        return out;
    }
    QMenu *rightClick(int row)
    {
        // What the window system sends for a right click.
        const QPoint at = list()->visualRect(list()->model()->index(row, 0)).center();
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list()->viewport(), &click);
        QMenu *menu = window->column()->categoryMenu();
        return menu && QTest::qWaitFor([menu] { return menu->isVisible(); }) ? menu : nullptr;
    }
    void choose(QMenu *menu, const QString &title)
    {
        for (QAction *a : menu->actions())
            if (a->text().trimmed() == title) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
        QFAIL(qPrintable("no item " + title));
    }
    CategoryDialog *dialog() const { return window->categoryDialog(); }
    // The window manager activates a dialog when it opens; offscreen, the test does.
    static bool activate(QWidget *dialog)
    {
        return QTest::qWaitFor([dialog] {
            dialog->activateWindow();
            return dialog->isActiveWindow();
        });
    }
};

// Chinese text arrives from the input method as committed text.
void type(QWidget *field, const QString &text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(field, &commit);
}

QStringList titles(const QMenu *menu)
{
    QStringList out;
    for (const QAction *a : menu->actions())
        out << a->text();
    return out;
}

} // namespace

void TstCategoryViews::menuOnACellByMouseAndKeyboard()
{
    Window w(m_root);
    QMenu *menu = w.rightClick(w.rowOf("生活"));
    QVERIFY(menu);
    QCOMPARE(titles(menu), (QStringList{"  新增  ", "  修改  ", "  清除  ", "  删除  "}));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!w.window->column()->categoryMenu());

    // The menu key opens the menu of the current cell, below it.
    w.list()->setFocus();
    w.list()->setCurrentIndex(w.list()->model()->index(w.rowOf("读书"), 0));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), w.list()->mapToGlobal(QPoint()));
    QCoreApplication::sendEvent(w.list(), &key);
    QTRY_VERIFY(w.window->column()->categoryMenu());
    menu = w.window->column()->categoryMenu();
    const QRect cell = w.list()->visualRect(w.list()->model()->index(w.rowOf("读书"), 0));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos().y(), w.list()->viewport()->mapToGlobal(cell.bottomLeft()).y());
    // Choosing with the keyboard: "新增" opens the dialog in add mode.
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_VERIFY(w.dialog());
    QCOMPARE(w.dialog()->windowTitle(), QStringLiteral("新增分类"));
    QVERIFY(w.dialog()->positionView()->isVisible());
    QVERIFY(w.dialog()->addBottomButton()->isChecked());
    QCOMPARE(w.dialog()->nameField()->text(), QString());
    QCOMPARE(w.dialog()->colorGrid()->chosen(), -1);
}

void TstCategoryViews::modifyFromTheMenu()
{
    Window w(m_root);
    QMenu *menu = w.rightClick(w.rowOf("生活"));
    QVERIFY(menu);
    w.choose(menu, "修改");
    QTRY_VERIFY(w.dialog());
    CategoryDialog *dialog = w.dialog();
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("修改分类"));
    QVERIFY(!dialog->positionView()->isVisible());
    QCOMPARE(dialog->nameField()->text(), QStringLiteral("生活"));
    QCOMPARE(dialog->colorGrid()->chosen(), 5); // "#10b56c"
    QVERIFY(dialog->colorGrid()->item(5)->isChecked());
    QVERIFY(Window::activate(dialog));
    QCOMPARE(QApplication::focusWidget(), dialog->nameField());
    // Typing replaces the selected name.
    type(dialog->nameField(), "日常");
    QTest::mouseClick(dialog->colorGrid()->item(0), Qt::LeftButton);
    QCOMPARE(dialog->colorGrid()->chosen(), 0);
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    QTRY_VERIFY(!w.dialog());
    QVERIFY(w.rig.settle());
    QCOMPARE(w.onService(), (QStringList{"工作:#10b56c", "日常:#dc445b", "读书:#10b56c"}));
    QTRY_COMPARE(w.names(), (QStringList{"工作", "日常", "读书"}));
    QCOMPARE(w.window->columnPresenter()->selectedRow(), 1);
    QCOMPARE(w.rig.s.feedback->toasts(), QStringList{"修改成功"});
    QCOMPARE(w.rig.s.feedback->entries.last().anchor, w.window.get());
}

void TstCategoryViews::keyboardMovesLoadTheCategory()
{
    Window w(m_root);
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {},
                      w.list()->visualRect(w.list()->model()->index(w.rowOf("工作"), 0)).center());
    QTRY_COMPARE(w.shownNotes(), QStringList{"工作的便签"});
    w.list()->setFocus();
    // Each move of the highlight shows that category, as a click would.
    QTest::keyClick(w.list(), Qt::Key_Down);
    QCOMPARE(w.highlighted(), QStringLiteral("生活"));
    QTRY_COMPARE(w.shownNotes(), QStringList{"生活的便签"});
    QCOMPARE(w.window->columnPresenter()->selectedCategory().classId,
             w.rig.device->ctx()->findFirstByAttribute<Classify>("name", QStringLiteral("生活"))->classId());
    QTest::keyClick(w.list(), Qt::Key_End);
    QTRY_COMPARE(w.shownNotes(), QStringList{"读书的便签"});
    QTest::keyClick(w.list(), Qt::Key_Up);
    QCOMPARE(w.highlighted(), QStringLiteral("生活"));
    QTRY_COMPARE(w.shownNotes(), QStringList{"生活的便签"});
    QCOMPARE(w.window->columnPresenter()->selectedRow(), w.rowOf("生活"));
}

void TstCategoryViews::deleteFromTheMenu()
{
    Window w(m_root);
    w.window->columnPresenter()->clickRow(w.rowOf("工作"));
    QTRY_COMPARE(w.shownNotes(), QStringList{"工作的便签"});
    // A right click on another cell: its menu, and that category highlighted and shown.
    QMenu *menu = w.rightClick(w.rowOf("生活"));
    QVERIFY(menu);
    QCOMPARE(w.highlighted(), QStringLiteral("生活"));
    QTRY_COMPARE(w.shownNotes(), QStringList{"生活的便签"});
    w.choose(menu, "删除");
    // The confirmation is answered "确定" by the recording feedback.
    QTRY_COMPARE(w.onService(), (QStringList{"工作:#10b56c", "读书:#10b56c"}));
    QVERIFY(w.rig.settle());
    QTRY_COMPARE(w.names(), (QStringList{"工作", "读书"}));
    // The one in its place is chosen and listed; the new places reach the service.
    QCOMPARE(w.window->columnPresenter()->selectedRow(), 1);
    QTRY_COMPARE(w.shownNotes(), QStringList{"读书的便签"});
    QCOMPARE(w.highlighted(), QStringLiteral("读书"));
    QTRY_COMPARE(w.servedOrder(), (QStringList{"工作:1", "读书:2"}));
    QCOMPARE(w.servedNotes("工作"), QStringList{"工作的便签"});
    QCOMPARE(w.rig.s.feedback->messages(), QStringList{"确定要删除分类“生活”和分类下所有内容吗？"});
}

namespace {

// What a browser does with a page: GET (following redirects) or POST a form.
QNetworkReply *fetch(QNetworkAccessManager &web, const QUrl &url, const QByteArray &form = {})
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = nullptr;
    if (form.isNull()) {
        reply = web.get(request);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        reply = web.post(request, form);
    }
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 5000))
        return nullptr;
    return reply;
}

} // namespace

void TstCategoryViews::lockPasswordSetOnTheAccountPage()
{
    Window w(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, w.rig.s.service->baseUrl().toString().chopped(1));
    // The login window's sign-in fetches the key of the signed links; the rig signs in without it.
    UserDefaults::setValue(SignInKeys::AutoJumpToken, w.rig.s.service->state().autoJumpKey);
    // No lock password yet: "确定" on the question opens the account page through the signed link.
    QTest::mouseClick(w.window->column()->lockButton(), Qt::LeftButton);
    QTRY_COMPARE(w.rig.urls.opened.size(), 1);
    QVERIFY(!w.window->lockOverlay());
    const QUrl link = w.rig.urls.opened.first();
    QCOMPARE(link.path(), QStringLiteral("/oauth/autoJump"));

    QNetworkAccessManager web;
    std::unique_ptr<QNetworkReply> page(fetch(web, link));
    QVERIFY(page);
    QCOMPARE(page->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QCOMPARE(page->url().path(), QStringLiteral("/user"));
    const QString body = QString::fromUtf8(page->readAll());
    QVERIFY2(body.contains(QStringLiteral("锁屏密码")), qPrintable(body));
    const QString session = QUrlQuery(page->url()).queryItemValue("session");
    QVERIFY(!session.isEmpty());
    // A forged link is refused.
    QUrl forged = link;
    forged.setQuery("from=mac&type=login&token=AAAAAAAAAAAAAAAAAAAAAA%3D%3D");
    std::unique_ptr<QNetworkReply> refused(fetch(web, forged));
    QVERIFY(refused);
    QCOMPARE(refused->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 403);

    std::unique_ptr<QNetworkReply> set(fetch(web,
                                             w.rig.s.service->baseUrl().resolved(QUrl("user/lockPassword")),
                                             QByteArray("session=") + session.toLatin1() + "&password=2468"));
    QVERIFY(set);
    QCOMPARE(set->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);

    // The program takes the password with its next poll, as any profile change; then the lock works.
    w.rig.tick();
    QTRY_VERIFY(w.rig.services.users->getCurrentInfo() &&
                w.rig.services.users->getCurrentInfo()->lockScreenPassword() == "2468");
    QTest::mouseClick(w.window->column()->lockButton(), Qt::LeftButton);
    QTRY_VERIFY(w.window->lockOverlay());
    QLineEdit *field = w.window->lockOverlay()->passwordField();
    QTest::keyClicks(field, "1111");
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(w.window->lockOverlay());
    field->clear();
    QTest::keyClicks(field, "2468");
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!w.window->lockOverlay());
}

void TstCategoryViews::clearFromTheMenuReachesTheService()
{
    Window w(m_root);
    QCOMPARE(w.servedNotes("生活"), QStringList{"生活的便签"});
    QMenu *menu = w.rightClick(w.rowOf("生活"));
    QVERIFY(menu);
    w.choose(menu, "清除");
    // Confirmed by the recording feedback; the detail pane pushes the deletions.
    QTRY_COMPARE(w.servedNotes("生活"), QStringList{});
    QVERIFY(w.rig.settle());
    QCOMPARE(w.servedNotes("工作"), QStringList{"工作的便签"});
    QCOMPARE(w.names(), (QStringList{"工作", "生活", "读书"}));
    QCOMPARE(w.rig.device->liveNotes().size(), 2);
}

void TstCategoryViews::dialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("service");
    QTest::addRow("Enter confirms") << int(Qt::Key_Return)
                                    << QStringList{"家务:#f27830", "工作:#10b56c", "生活:#10b56c",
                                                   "读书:#10b56c"};
    QTest::addRow("Escape cancels") << int(Qt::Key_Escape)
                                    << QStringList{"工作:#10b56c", "生活:#10b56c", "读书:#10b56c"};
}

void TstCategoryViews::dialogKeys()
{
    QFETCH(int, key);
    QFETCH(QStringList, service);
    Window w(m_root);
    QTest::mouseClick(w.window->column()->addButton(), Qt::LeftButton);
    QTRY_VERIFY(w.dialog());
    CategoryDialog *dialog = w.dialog();
    QTRY_VERIFY(dialog->isVisible());
    type(dialog->nameField(), "家务");
    QTest::mouseClick(dialog->colorGrid()->item(2), Qt::LeftButton);
    QTest::mouseClick(dialog->addTopButton(), Qt::LeftButton);
    dialog->nameField()->setFocus();
    QTest::keyClick(dialog->nameField(), Qt::Key(key));
    QTRY_VERIFY(!w.dialog());
    QVERIFY(w.rig.settle());
    QTest::qWait(10);
    std::sort(service.begin(), service.end());
    QStringList now = w.onService();
    std::sort(now.begin(), now.end());
    QCOMPARE(now, service);
    if (key == Qt::Key_Return) {
        QTRY_COMPARE(w.names(), (QStringList{"家务", "工作", "生活", "读书"}));
        QCOMPARE(w.window->columnPresenter()->selectedRow(), 0);
        // The others' new places reach the service with the push that follows.
        QTRY_COMPARE(w.servedOrder(), (QStringList{"家务:1", "工作:2", "生活:3", "读书:4"}));
    } else {
        QCOMPARE(w.names(), (QStringList{"工作", "生活", "读书"}));
        QCOMPARE(w.rig.requests("note/sync"), 0);
    }
}

void TstCategoryViews::colourChosenWithTheKeyboard()
{
    Window w(m_root);
    CategoryDialog *dialog = w.window->openCategoryDialog({});
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(Window::activate(dialog));
    ClassifyColorGrid *grid = dialog->colorGrid();
    // Tab from the field reaches the swatches; Space chooses, the arrows move the choice.
    QTest::keyClick(dialog->nameField(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), grid->item(0));
    QTest::keyClick(grid->item(0), Qt::Key_Space);
    QCOMPARE(grid->chosen(), 0);
    QTest::keyClick(grid->item(0), Qt::Key_Right);
    QCOMPARE(grid->chosen(), 1);
    QCOMPARE(dialog->presenter()->colorIndex(), 1);
    QTest::keyClick(grid->item(1), Qt::Key_Down);
    QCOMPARE(dialog->presenter()->colorIndex(), 7);
}

void TstCategoryViews::closedWhilePushingStillSavesTheAnswer()
{
    Window w(m_root);
    CategoryDialog *dialog = w.window->openCategoryDialog({});
    QTRY_VERIFY(dialog->isVisible());
    type(dialog->nameField(), "家务");
    QTest::mouseClick(dialog->colorGrid()->item(4), Qt::LeftButton);
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    // The push is queued: confirm is off, a second click sends nothing.
    QVERIFY(!dialog->confirmButton()->isEnabled());
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!w.dialog());
    QVERIFY(w.rig.settle());
    QTRY_COMPARE(w.names(), (QStringList{"工作", "生活", "读书", "家务"}));
    QCOMPARE(w.rig.requests("note/sync"), 1);
    QCOMPARE(w.onService().count("家务:#52398a"), 1);
    QCOMPARE(w.rig.s.feedback->toasts(), QStringList{"新增成功"});
    QVERIFY(!w.rig.device->ctx()->hasChanges());
    // The waiting presenter went with the answer.
    QTRY_VERIFY(w.window->findChildren<CategoryDialogPresenter *>().isEmpty());
}

PRELVANE_TEST_MAIN(TstCategoryViews)
#include "tst_categoryviews.moc"
