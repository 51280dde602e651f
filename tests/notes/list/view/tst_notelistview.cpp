#include "app/uikit/EmptyView.h"
#include "app/uikit/TipButton.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/AppEvents.h"
#include "platform/store/Context.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>

#include <memory>

class TestNoteListView : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<AppEvents> m_events;
    std::unique_ptr<TestGraph> m_graph;
    std::unique_ptr<NoteListView> m_view;
    std::unique_ptr<EventRecorder> m_recorder;

    QStringList titles(const QMenu *menu)
    {
        QStringList out;
        for (const QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isEnabled() ? "" : "(off)"));
        return out;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 6), QTime(10, 0))));
        Classify *work = m_fx.category("k1", "工作");
        m_fx.category("k2", "空");
        for (int i = 0; i < 3; ++i) {
            NoteDetail *n = m_fx.note(QStringLiteral("n%1").arg(i), work);
            n->setSort(qint16(i + 1));
        }
        DateRemind *r = m_fx.remind(m_fx.ctx()->findFirstByAttribute<NoteDetail>("cId", "n1"));
        r->setRemindRealDateTime("2026/3/6 09:00:00");
        QVERIFY(m_fx.ctx()->saveAndWait());
        m_events = std::make_unique<AppEvents>();
        m_graph = std::make_unique<TestGraph>(m_fx, ProgramServices::Parts().use(m_events.get()));
        m_view = std::make_unique<NoteListView>(new NoteListPresenter(m_graph->services()));
        m_view->resize(300, 400);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_recorder = std::make_unique<EventRecorder>(m_events.get());
    }

    void cleanup()
    {
        m_recorder.reset();
        m_view.reset();
        m_graph.reset();
        m_events.reset();
        m_fx.close();
    }

    // Clicking rows selects and announces; a category without notes shows the empty view.
    void clickAndEmpty()
    {
        m_view->presenter()->showCategory({0, "k1"});
        QListView *list = m_view->listView();
        QCOMPARE(list->selectionModel()->selectedRows().value(0).row(), 0);
        m_recorder->clear();
        const QRect row2 = list->visualRect(list->model()->index(2, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(m_view->presenter()->selectedRow(), 2);
        QCOMPARE(m_recorder->events, QStringList({"ReloadNoteDetail=n2"}));
        // Rows are as tall as their reminder line asks.
        QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 41);
        QCOMPARE(list->visualRect(list->model()->index(1, 0)).height(), 56);

        QVERIFY(!m_view->isShowingEmptyView());
        m_view->presenter()->showCategory({0, "k2"});
        QVERIFY(m_view->isShowingEmptyView());
        // The empty state is the placeholder with its picture and text, not a blank pane.
        const auto placeholders = m_view->findChildren<EmptyView *>();
        QCOMPARE(placeholders.size(), 1);
        EmptyView *empty = placeholders.first();
        QVERIFY(empty->isVisible());
        QVERIFY(!empty->imageView()->pixmap().isNull());
        QVERIFY(empty->imageView()->isVisible());
        QVERIFY(!empty->textLabel()->text().isEmpty());
        QVERIFY(empty->textLabel()->isVisible());
        QVERIFY(m_view->rect().contains(empty->mapTo(m_view.get(), empty->imageView()->geometry().center())));

        m_recorder->clear();
        m_view->addButton()->click();
        QCOMPARE(m_recorder->events, QStringList({"AddNoteDetail="}));
    }

    // The menu of a due reminder ends with the snooze submenu; choosing an item runs it.
    void rowMenu()
    {
        m_view->presenter()->showCategory({0, "k1"});
        QVERIFY(!m_view->buildRowMenu(-1));
        std::unique_ptr<QMenu> plain(m_view->buildRowMenu(0));
        QCOMPARE(titles(plain.get()),
                 QStringList({"复制", "完成", "删除", "-", "清除提醒(off)", "清除重要(off)"}));
        std::unique_ptr<QMenu> due(m_view->buildRowMenu(1));
        QCOMPARE(m_view->presenter()->selectedRow(), 1);
        QCOMPARE(titles(due.get()).last(), QStringLiteral("延时"));
        QMenu *snooze = due->actions().last()->menu();
        QVERIFY(snooze);
        QCOMPARE(titles(snooze), QStringList({"30分钟", "60分钟", "明天", "下周"}));
        m_recorder->clear();
        snooze->actions().at(1)->trigger();
        QCOMPARE(m_recorder->events, QStringList({"SyncPushNoteDatas=n1"}));
        QCOMPARE(m_fx.ctx()->findFirstByAttribute<NoteDetail>("cId", "n1")->remind()->remindDelayTime(),
                 QStringLiteral("2026/3/6 11:00:00"));
    }
};

PRELVANE_TEST_MAIN(TestNoteListView)
#include "tst_notelistview.moc"
