// The records pane in the real main window against the stand-in service, with
// the demo account: "时间管理" shows the due dates in their four groups, a
// category filter narrows them, "完成" on a daily note moves it to tomorrow and
// the service receives the push, "删除" recounts the list and reaches the service, "详情" shows the note in
// the main view, and coming back starts the pop-ups over.

#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/TipButton.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/detail/presenter/NoteDetailPresenter.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteDateListPresenter.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteDateListViewController.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "service/standin/DemoSeed.h"
#include "tests/notes/categories/CategoryTestRig.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>

namespace {

void seedDemo(SyncTestService &s)
{
    DemoSeed::seed(s.service->state(), *s.notes, Clock::now());
    StandinAccount *demo = s.service->state().accountByName(DemoSeed::Account);
    demo->accessToken = QStringLiteral("token-demo");
    demo->sessions << demo->accessToken;
}

struct DemoDesk
{
    CategoryTestRig rig;
    std::unique_ptr<MainWindow> window;

    explicit DemoDesk(const QString &root) : rig(root, DemoSeed::Account, seedDemo) {}
    ~DemoDesk() { window.reset(); }

    bool open()
    {
        window = std::make_unique<MainWindow>(rig.services, rig.coordinator.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        rig.signIn();
        return rig.settle();
    }
    NoteRecordViewController *pane() const { return window->findChild<NoteRecordViewController *>(); }
    QListView *list() const { return pane()->dateList()->listView(); }
    // Headers as "今日 3/8", notes by their text, placeholders as "-".
    QStringList rows() const
    {
        QStringList out;
        QAbstractItemModel *m = list()->model();
        for (int i = 0; i < m->rowCount(); ++i) {
            const QModelIndex x = m->index(i, 0);
            switch (NoteDateListModel::Kind(x.data(NoteDateListModel::KindRole).toInt())) {
            case NoteDateListModel::Kind::Header:
                out << QStringLiteral("%1 %2/%3")
                           .arg(x.data().toString())
                           .arg(x.data(NoteDateListModel::CountRole).toInt())
                           .arg(x.data(NoteDateListModel::TotalRole).toInt());
                break;
            case NoteDateListModel::Kind::Placeholder:
                out << QStringLiteral("-");
                break;
            case NoteDateListModel::Kind::Note:
                out << x.data().toString();
                break;
            }
        }
        return out;
    }
    QStringList headers() const
    {
        return rows().filter(QRegularExpression(QStringLiteral("^\\S+ \\d+/\\d+$")));
    }
    int rowOf(const QString &text) const { return int(rows().indexOf(text)); }
    // Picks an item of a pop-up from the keyboard, as a user does.
    void choose(int popUp, const QString &title)
    {
        QComboBox *combo = pane()->popUp(popUp);
        const int target = combo->findText(title);
        QVERIFY2(target >= 0, qPrintable(title));
        combo->setFocus();
        while (combo->currentIndex() < target)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > target)
            QTest::keyClick(combo, Qt::Key_Up);
    }
    bool menu(const QString &text, int tag)
    {
        QMenu *m = pane()->dateList()->buildRowMenu(rowOf(text));
        if (!m)
            return false;
        for (QAction *a : m->actions()) {
            if (a->data().toInt() == tag && a->isEnabled()) {
                a->trigger();
                m->close();
                return true;
            }
        }
        m->close();
        return false;
    }
    std::optional<NoteSyncHandlers::Note> served(const QString &cId)
    {
        for (const auto &c : rig.s.notes->liveCategories(rig.account()))
            for (const auto &n : rig.s.notes->liveNotesInOrder(rig.account(), c.classId))
                if (n.cId == cId)
                    return n;
        return std::nullopt;
    }
};

const QString vitamins = QStringLiteral("每天晚上九点吃维生素");

} // namespace

class TstRecordsEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }

    void dueDatesFromTheTitleBarToTheNote()
    {
        DemoDesk d(m_root);
        QVERIFY(d.open());
        QTRY_COMPARE(d.rig.ctx()->findAll<NoteDetail>().size(), 11);

        // "时间管理": the records pane on its first segment, earliest first, all categories.
        TipButton *records = d.window->titleBar()->recordsButton();
        QVERIFY(records->isEnabled());
        QTest::mouseClick(records, Qt::LeftButton);
        QCOMPARE(d.window->rightPane()->currentWidget(), d.pane());
        QVERIFY(d.pane()->segmentButton(0)->isChecked());
        QCOMPARE(d.pane()->popUp(0)->currentText(), QStringLiteral("最先到期"));
        QCOMPARE(d.pane()->popUp(1)->currentText(), QStringLiteral("全部分类"));
        QVERIFY(!d.pane()->popUp(2)->isVisible());
        // Monday 2 March, 9:00: the 7:30 lesson has passed (its next one is Wednesday's), nothing falls due
        // tomorrow, and the armed Wi-Fi note is later, last.
        QCOMPARE(d.headers(), QStringList({"超时 0/8", "今日 3/8", "明日 0/8", "未来 5/8"}));
        QCOMPARE(d.rows().mid(3, 3), QStringList({QStringLiteral("周一上午十点部门例会，带上上周的进度表"),
                                                  QStringLiteral("提交季度报销单（重要）"), vitamins}));
        QCOMPARE(d.rows().last(), QStringLiteral("到家后把笔记本电脑充上电"));

        // A category filter.
        d.choose(NoteRecordPresenter::SecondPopUp, QStringLiteral("生活"));
        QCOMPARE(d.headers(), QStringList({"超时 0/3", "今日 1/3", "明日 0/3", "未来 2/3"}));

        // "完成" on the daily note: it moves on to tomorrow, and the service has it so.
        const int pushesBefore = d.rig.requests("note/sync");
        QVERIFY(d.menu(vitamins, 1001));
        QCOMPARE(d.headers(), QStringList({"超时 0/3", "今日 0/3", "明日 1/3", "未来 2/3"}));
        QCOMPARE(d.rows().at(5), vitamins);
        QVERIFY(d.rig.settle());
        QVERIFY(d.rig.requests("note/sync") > pushesBefore);
        const auto served = d.served(QStringLiteral("8202"));
        QVERIFY(served);
        QCOMPARE(served->remind.value("remindRealDateTime").toString(), QStringLiteral("2026/3/3 21:00:00"));

        // "详情": the main view shows the note in its category.
        QVERIFY(d.menu(vitamins, 1006));
        QCOMPARE(d.window->rightPane()->currentIndex(), 0);
        QCOMPARE(d.window->columnPresenter()->selectedCategory().classId, QStringLiteral("7002"));
        QCOMPARE(d.window->noteList()->presenter()->selectedNote().cId, QStringLiteral("8202"));
        QCOMPARE(d.window->noteDetail()->presenter()->shownNote().cId, QStringLiteral("8202"));

        // Back to the pane: the pop-ups start over, and the whole list shows.
        QTest::mouseClick(records, Qt::LeftButton);
        QCOMPARE(d.window->rightPane()->currentWidget(), d.pane());
        QCOMPARE(d.pane()->popUp(1)->currentText(), QStringLiteral("全部分类"));
        QCOMPARE(d.headers(), QStringList({"超时 0/8", "今日 2/8", "明日 1/8", "未来 5/8"}));

        // "删除": the list is recounted at once, and the service drops the note with the push.
        QVERIFY(d.menu(QStringLiteral("交物业费"), 1004));
        QCOMPARE(d.headers(), QStringList({"超时 0/7", "今日 2/7", "明日 1/7", "未来 4/7"}));
        QVERIFY(d.rig.settle());
        QVERIFY(!d.served(QStringLiteral("8204")));
        QVERIFY(d.served(QStringLiteral("8201")));

        // The other segments show their empty state; the third pop-up belongs to the history.
        QTest::mouseClick(d.pane()->segmentButton(2), Qt::LeftButton);
        QCOMPARE(d.pane()->stack()->currentIndex(), 2);
        QVERIFY(d.pane()->popUp(2)->isVisible());
        QCOMPARE(d.pane()->popUp(0)->currentText(), QStringLiteral("全部类型"));
        QTest::mouseClick(d.pane()->segmentButton(0), Qt::LeftButton);
        QCOMPARE(d.pane()->stack()->currentIndex(), 0);
        QVERIFY(!d.pane()->popUp(2)->isVisible());
    }

private:
    QString m_root;
};

PRELVANE_TEST_MAIN(TstRecordsEndToEnd)
#include "tst_records_endtoend.moc"
