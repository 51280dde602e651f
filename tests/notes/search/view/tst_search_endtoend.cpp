// The search pane in the real main window against the stand-in service, with
// the demo account: "搜索" mirrors the edit history 100 records a page, a note
// search shows its hits and "  详情  " the note in the main view, the hits
// follow an edit made meanwhile, a history search finds the records of a
// deleted note and "  删除  " removes one on the service and then here; a
// refusal leaves it. The window's spinner of a first refresh goes in every end.

#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/TipButton.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "notes/search/presenter/NoteSearchMenu.h"
#include "notes/search/presenter/NoteSearchModel.h"
#include "notes/search/presenter/NoteSearchPresenter.h"
#include "notes/search/view/NoteSearchViewController.h"
#include "service/standin/DemoSeed.h"
#include "service/sync/RecordPager.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

void seedDemo(SyncTestService &s)
{
    DemoSeed::seed(s.service->state(), *s.notes, Clock::now());
    StandinAccount *demo = s.service->state().accountByName(DemoSeed::Account);
    demo->accessToken = QStringLiteral("token-demo");
    demo->sessions << demo->accessToken;
}

struct SearchDesk
{
    CategoryTestRig rig;
    std::unique_ptr<MainWindow> window;

    explicit SearchDesk(const QString &root) : rig(root, DemoSeed::Account, seedDemo) {}
    ~SearchDesk() { window.reset(); }

    bool open()
    {
        window = std::make_unique<MainWindow>(rig.services, rig.coordinator.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        rig.signIn();
        return rig.settle();
    }
    NoteSearchViewController *pane() const { return window->findChild<NoteSearchViewController *>(); }
    QAbstractItemModel *hits() const { return pane()->tableView()->model(); }
    QStringList texts() const
    {
        QStringList out;
        for (int i = 0; i < hits()->rowCount(); ++i)
            out << hits()->index(i, 0).data(NoteSearchModel::ContentRole).toString();
        return out;
    }
    // Types the query into the field as an input method does; Enter or the button searches.
    void type(const QString &query)
    {
        QLineEdit *field = pane()->searchField();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QInputMethodEvent typed;
        typed.setCommitString(query);
        QCoreApplication::sendEvent(field, &typed);
    }
    bool menu(int row, int tag)
    {
        QMenu *m = pane()->buildRowMenu(row);
        if (!m)
            return false;
        bool done = false;
        for (QAction *a : m->actions()) {
            if (a->data().toInt() == tag) {
                a->trigger();
                done = true;
                break;
            }
        }
        m->close();
        return done;
    }
    QList<qint64> servedHistory() { return rig.s.notes->data(rig.account()).history.keys(); }
    int mirrored() const { return rig.ctx()->count<NoteLog>(); }
};

const QString vitamins = QStringLiteral("每天晚上九点吃维生素");

} // namespace

class TstSearchEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }

    void searchBothScopes()
    {
        SearchDesk d(m_root);
        QVERIFY(d.open());
        QTRY_COMPARE(d.rig.ctx()->findAll<NoteDetail>().size(), 11);
        const int records = int(d.servedHistory().size());
        QVERIFY(records > 0);

        // "搜索": the pane, and the history mirror filled 100 records a page.
        d.rig.s.service->clearRequests();
        TipButton *search = d.window->titleBar()->searchButton();
        QVERIFY(search->isEnabled());
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(d.window->rightPane()->currentWidget(), d.pane());
        QTRY_COMPARE(d.mirrored(), records);
        QTRY_VERIFY(!d.rig.services.historyPager->isRunning());
        QVERIFY(d.rig.requests("note/log/timeAxis") > 0);
        for (const StandinRequest &r : d.rig.s.service->requests())
            if (r.path == QLatin1String("note/log/timeAxis"))
                QCOMPARE(r.params.value("pageSize").toString(), QStringLiteral("100"));
        QCOMPARE(d.rig.s.feedback->busyCount(), 0);
        QVERIFY(!d.pane()->tableView()->isVisible());

        // The local notes on Enter, spaces in the query ignored.
        QVERIFY(d.pane()->localCheckButton()->isChecked());
        d.type(QStringLiteral("维 生素"));
        QTest::keyClick(d.pane()->searchField(), Qt::Key_Return);
        QCOMPARE(d.texts(), QStringList{vitamins});
        QCOMPARE(d.pane()->tipLabel()->text(), QStringLiteral("共有1条结果"));
        QCOMPARE(d.rig.s.feedback->toasts().last(), QStringLiteral("共有1条结果"));
        QVERIFY(d.pane()->tableView()->isVisible());

        // "  详情  ": the main view shows the note in its category.
        QVERIFY(d.menu(0, NoteSearchMenu::Second));
        QCOMPARE(d.window->rightPane()->currentIndex(), 0);
        QCOMPARE(d.window->noteList()->presenter()->selectedNote().cId, QStringLiteral("8202"));
        QCOMPARE(d.window->noteDetail()->presenter()->shownNote().cId, QStringLiteral("8202"));

        // An edit made meanwhile: the hits follow it.
        auto *note = d.rig.ctx()->findFirstByAttribute<NoteDetail>("cId", QStringLiteral("8202"));
        note->setContent(QStringLiteral("每天晚上九点吃钙片"));
        auto *other = d.rig.ctx()->findFirstByAttribute<NoteDetail>("cId", QStringLiteral("8101"));
        other->setContent(other->content() + QStringLiteral("，带维生素"));
        QVERIFY(d.rig.ctx()->saveAndWait());
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(d.window->rightPane()->currentWidget(), d.pane());
        QCOMPARE(d.texts(), QStringList{other->content()});
        QCOMPARE(d.pane()->tipLabel()->text(), QStringLiteral("共有1条结果"));
        QVERIFY(d.rig.settle());

        // The history: the records of a note that was added and deleted again, newest first.
        QTest::mouseClick(d.pane()->logCheckButton(), Qt::LeftButton);
        QVERIFY(d.pane()->logCheckButton()->isChecked());
        QVERIFY(!d.pane()->localCheckButton()->isChecked());
        d.type(QStringLiteral("快递"));
        QTest::mouseClick(d.pane()->searchButton(), Qt::LeftButton);
        QCOMPARE(d.texts(), (QStringList{"取快递", "取快递"}));
        QCOMPARE(d.hits()->index(0, 0).data(NoteSearchModel::ActionTypeRole).toInt(), 3);
        QCOMPARE(d.hits()->index(1, 0).data(NoteSearchModel::ActionTypeRole).toInt(), 1);
        QCOMPARE(d.pane()->tipLabel()->text(), QStringLiteral("共有2条结果"));
        // ... and nothing of it among the notes.
        QTest::mouseClick(d.pane()->localCheckButton(), Qt::LeftButton);
        QTest::mouseClick(d.pane()->searchButton(), Qt::LeftButton);
        QVERIFY(!d.pane()->tableView()->isVisible());
        QCOMPARE(d.pane()->tipLabel()->text(), QStringLiteral("共有0条结果"));
        QTest::mouseClick(d.pane()->logCheckButton(), Qt::LeftButton);
        QTest::mouseClick(d.pane()->searchButton(), Qt::LeftButton);
        QCOMPARE(d.hits()->rowCount(), 2);

        // "  删除  ": the record goes on the service, then here.
        const qint64 first = d.hits()->index(0, 0).data(NoteSearchModel::TIdRole).toString().toLongLong();
        const qint64 second = d.hits()->index(1, 0).data(NoteSearchModel::TIdRole).toString().toLongLong();
        QVERIFY(d.servedHistory().contains(first));
        QVERIFY(d.menu(0, NoteSearchMenu::Second));
        QTRY_COMPARE(d.hits()->rowCount(), 1);
        QVERIFY(!d.servedHistory().contains(first));
        QCOMPARE(d.mirrored(), records - 1);
        QCOMPARE(d.pane()->tipLabel()->text(), QStringLiteral("共有1条结果"));

        // A refused deletion leaves the record on both sides.
        StandinFault refuse;
        refuse.kind = StandinFault::Kind::ReplyCode;
        refuse.code = 500;
        refuse.msg = QStringLiteral("服务繁忙");
        d.rig.s.service->setFault(QStringLiteral("note/logDel"), refuse);
        const int asked = d.rig.requests("note/logDel");
        QVERIFY(d.menu(0, NoteSearchMenu::Second));
        QTRY_COMPARE(d.rig.requests("note/logDel"), asked + 1);
        QVERIFY(d.rig.settle());
        QCOMPARE(d.hits()->rowCount(), 1);
        QVERIFY(d.servedHistory().contains(second));
        QCOMPARE(d.mirrored(), records - 1);
    }

    // The first showing with an empty mirror shows the window's spinner; a
    // refused page, a failure and the end of the records each hide it.
    void spinnerOfTheFirstRefreshEnds_data()
    {
        QTest::addColumn<int>("fault"); // StandinFault::Kind
        QTest::addColumn<int>("result");
        QTest::newRow("records all there") << int(StandinFault::Kind::None) << int(RecordPager::Result::Done);
        QTest::newRow("a refused page")
            << int(StandinFault::Kind::ReplyCode) << int(RecordPager::Result::Refused);
        QTest::newRow("no answer") << int(StandinFault::Kind::Http500) << int(RecordPager::Result::Failed);
    }

    void spinnerOfTheFirstRefreshEnds()
    {
        QFETCH(int, fault);
        SearchDesk d(m_root);
        QVERIFY(d.open());
        if (fault != int(StandinFault::Kind::None)) {
            StandinFault f;
            f.kind = StandinFault::Kind(fault);
            f.code = 500;
            f.msg = QStringLiteral("服务繁忙");
            d.rig.s.service->setFault(QStringLiteral("note/log/timeAxis"), f);
        }
        QCOMPARE(d.mirrored(), 0);
        QSignalSpy finished(d.rig.services.historyPager.get(), &RecordPager::finished);
        QTest::mouseClick(d.window->titleBar()->searchButton(), Qt::LeftButton);
        QCOMPARE(d.rig.s.feedback->busyCount(), 1);
        QTRY_COMPARE(finished.size(), 1);
        QTEST(int(finished.first().first().value<RecordPager::Result>()), "result");
        QCOMPARE(d.rig.s.feedback->busyCount(), 0);
    }

private:
    QString m_root;
};

PRELVANE_TEST_MAIN(TstSearchEndToEnd)
#include "tst_search_endtoend.moc"
