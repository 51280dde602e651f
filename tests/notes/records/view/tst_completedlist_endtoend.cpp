// The completed list in the real main window against the stand-in service, with
// the demo account: a note completed from the due-date list shows on top of
// "已完成" beside the demo's completions, the time filter narrows the list, and
// a deleted record is gone from the list, from the service and, after its next
// pull, from a second signed-in device.

#include "app/mainwindow/view/MainWindow.h"
#include "app/mainwindow/view/TitleBarView.h"
#include "app/uikit/TipButton.h"
#include "core/model/NoteComplete.h"
#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/presenter/NoteCompleteListPresenter.h"
#include "notes/records/presenter/NoteDateListModel.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteCompleteListViewController.h"
#include "notes/records/view/NoteDateListViewController.h"
#include "notes/records/view/NoteRecordViewController.h"
#include "platform/base/Session.h"
#include "service/standin/DemoSeed.h"
#include "service/sync/RecordPager.h"
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

const QString claim = QStringLiteral("提交季度报销单（重要）");

// Picks the menu item with this tag from a freshly built row menu.
bool trigger(QMenu *menu, int tag)
{
    if (!menu)
        return false;
    bool done = false;
    for (QAction *a : menu->actions()) {
        if (a->data().toInt() == tag && a->isEnabled()) {
            a->trigger();
            done = true;
            break;
        }
    }
    menu->close();
    return done;
}

QStringList texts(const QAbstractItemModel *m)
{
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->index(i, 0).data().toString();
    return out;
}

} // namespace

class TstCompletedListEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }

    void completeListDeleteAndSeeItGoneElsewhere()
    {
        CategoryTestRig rig(m_root, DemoSeed::Account, seedDemo);
        auto window = std::make_unique<MainWindow>(rig.services, rig.coordinator.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        rig.signIn();
        QVERIFY(rig.settle());
        const int seeded = int(rig.s.notes->data(rig.account()).completions.size());
        QCOMPARE(seeded, 12);

        // A second device of the same account, with the completion records mirrored as its list would.
        SyncClient other("b", m_root, rig.s, rig.account());
        QVERIFY(other.pull(SyncEngine::PullKind::Full));
        Session otherSession;
        RecordPager otherPager(RecordPager::Kind::Completion, *rig.s.api, *other.ctx(), otherSession);
        QSignalSpy otherDone(&otherPager, &RecordPager::finished);
        otherPager.refresh();
        QVERIFY(otherDone.wait(10000));
        QCOMPARE(other.ctx()->fetch<NoteComplete>(FetchRequest{}).size(), qsizetype(seeded));
        rig.device->activate();

        // "时间管理", then "完成" on a one-time reminder from the due-date list: the push brings a completion
        // record.
        QTest::mouseClick(window->titleBar()->recordsButton(), Qt::LeftButton);
        auto *pane = window->findChild<NoteRecordViewController *>();
        QVERIFY(pane && pane->isVisible());
        QListView *dates = pane->dateList()->listView();
        const int row = int(texts(dates->model()).indexOf(claim));
        QVERIFY(row >= 0);
        QVERIFY(trigger(pane->dateList()->buildRowMenu(row), 1001));
        QVERIFY(rig.settle());
        QTRY_COMPARE(int(rig.s.notes->data(rig.account()).completions.size()), seeded + 1);

        // "已完成": the mirror fills from the service and the newest record is on top.
        NoteCompleteListViewController *list = pane->completeList();
        QSignalSpy finished(rig.services.completionPager.get(), &RecordPager::finished);
        QTest::mouseClick(pane->segmentButton(NoteRecordPresenter::Completed), Qt::LeftButton);
        QCOMPARE(pane->stack()->currentWidget(), list);
        QCOMPARE(pane->popUp(0)->currentText(), QStringLiteral("全部时间"));
        QVERIFY(finished.size() > 0 || finished.wait(10000));
        QAbstractItemModel *model = list->listView()->model();
        QTRY_COMPARE(model->rowCount(), seeded + 1);
        QCOMPARE(model->index(0, 0).data().toString(), claim);
        QVERIFY(model->index(0, 0)
                    .data(NoteCompleteListModel::CompletedTimeTextRole)
                    .toString()
                    .startsWith(QStringLiteral("完成于:2026/3/2 ")));
        QVERIFY(!list->moreButton()->isVisible()); // fewer than 200
        QVERIFY(!list->emptyView());

        // "今天": the records completed today only, this one among them.
        const int today = pane->popUp(0)->findText(QStringLiteral("今天"));
        pane->popUp(0)->setFocus();
        while (pane->popUp(0)->currentIndex() < today)
            QTest::keyClick(pane->popUp(0), Qt::Key_Down);
        QVERIFY(model->rowCount() > 0 && model->rowCount() < seeded + 1);
        for (int i = 0; i < model->rowCount(); ++i)
            QVERIFY(model->index(i, 0)
                        .data(NoteCompleteListModel::CompletedTimeRole)
                        .toString()
                        .startsWith(QStringLiteral("2026/3/2 ")));
        QCOMPARE(model->index(0, 0).data().toString(), claim);

        // The other device mirrors the new record too.
        const QString tId = model->index(0, 0).data(NoteCompleteListModel::TIdRole).toString();
        otherPager.refresh();
        QVERIFY(otherDone.wait(10000));
        QVERIFY(other.ctx()->findFirstByAttribute<NoteComplete>(QStringLiteral("tId"), tId));
        QCOMPARE(other.ctx()->fetch<NoteComplete>(FetchRequest{}).size(), qsizetype(seeded + 1));

        // "删除" on it: gone from the list and from the service.
        const int shownToday = model->rowCount();
        QVERIFY(trigger(list->buildRowMenu(0), NoteCompleteListPresenter::Delete));
        QTRY_COMPARE(model->rowCount(), shownToday - 1);
        for (int i = 0; i < model->rowCount(); ++i)
            QVERIFY(model->index(i, 0).data(NoteCompleteListModel::TIdRole).toString() != tId);
        QVERIFY(!rig.s.notes->data(rig.account()).completions.contains(tId.toLongLong()));
        QCOMPARE(int(rig.s.notes->data(rig.account()).completions.size()), seeded);
        QVERIFY(!rig.ctx()->findFirstByAttribute<NoteComplete>(QStringLiteral("tId"), tId));

        // The other device's next pull takes the deleted record out of its mirror; the rest stays.
        QVERIFY(other.pull());
        QVERIFY(!other.ctx()->findFirstByAttribute<NoteComplete>(QStringLiteral("tId"), tId));
        QCOMPARE(other.ctx()->fetch<NoteComplete>(FetchRequest{}).size(), qsizetype(seeded));
        rig.device->activate();
    }

private:
    QString m_root;
};

PRELVANE_TEST_MAIN(TstCompletedListEndToEnd)
#include "tst_completedlist_endtoend.moc"
