// The category column's presenter: reload forms, the jump to a note, the
// header buttons and following the store.

#include "CategoryTestRig.h"
#include "core/model/UserInfo.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryDueCount.h"
#include "service/api/ApiNetWorking.h"
#include "tests/support/TestEnv.h"

using Pane = CategoryColumnPresenter::Pane;

class TstCategoryColumn : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void reloadForms_data();
    void reloadForms();
    void jumpToNote_data();
    void jumpToNote();
    void titleBarPanesDropTheSelection();
    void storeChangesKeepTheSelectedCategory();
    void dueDot_data();
    void dueDot();
    void lockButton_data();
    void lockButton();
    void pullTakesAwayTheOverlayWhenTheLockIsOff();
    void forcedSyncAsksFirst_data();
    void forcedSyncAsksFirst();
    void logoutFromTheSettingsPopover();
    void pollAnnouncesOnlyWhatTheListDoesNotShow_data();
    void pollAnnouncesOnlyWhatTheListDoesNotShow();

private:
    QString m_root;
};

namespace {

struct Column
{
    CategoryTestRig rig;
    CategoryColumnPresenter presenter;
    QSignalSpy told;

    explicit Column(const QString &root)
        : rig(root), presenter(rig.services, rig.coordinator.get()),
          told(&rig.events, &AppEvents::notesListReloadDatas)
    {
    }
    Classify *category(const QString &classId, int sort, int actionType = 0)
    {
        auto *c = rig.device->ctx()->create<Classify>();
        c->setClassId(classId);
        c->setName("分类" + classId);
        c->setBackColor("#dc445b");
        c->setSort(qint16(sort));
        c->setActionType(qint16(actionType));
        c->setIsSync(actionType == 0);
        rig.device->save();
        return c;
    }
    QString selectedId() const { return presenter.selectedCategory().classId; }
    QStringList shownIds() const
    {
        QStringList out;
        for (const auto &r : presenter.model()->rows())
            out << r.classId;
        return out;
    }
    // The category ids the note list was told to show, in order.
    QStringList toldIds() const
    {
        QStringList out;
        for (const QList<QVariant> &call : told) {
            const auto what = call.first().value<NotesListReload>();
            out << (what.kind == NotesListReload::Kind::Note ? "note:" + what.note.cId
                                                             : what.category.classId);
        }
        return out;
    }
};

} // namespace

void TstCategoryColumn::reloadForms_data()
{
    QTest::addColumn<QString>("selectBefore"); // classId clicked first, or empty
    QTest::addColumn<QString>("change");       // what happens to the store meanwhile
    QTest::addColumn<int>("form");             // 0 refetch, 1 with a category, 2 category on the search pane
    QTest::addColumn<QString>("formId");
    QTest::addColumn<QString>("selectedAfter");
    QTest::addColumn<QStringList>("told");

    QTest::addRow("refetch, none selected: the first") << ""
                                                       << "" << 0 << ""
                                                       << "10" << QStringList{"10"};
    QTest::addRow("refetch keeps the selected one") << "30"
                                                    << "" << 0 << ""
                                                    << "30" << QStringList{"30"};
    QTest::addRow("refetch: a category added above keeps the selected one") << "30"
                                                                            << "add 5 on top" << 0 << ""
                                                                            << "30" << QStringList{"30"};
    QTest::addRow("refetch: the selected one gone past the end: the first") << "30"
                                                                            << "delete 30" << 0 << ""
                                                                            << "10" << QStringList{"10"};
    QTest::addRow("refetch: the selected one gone: its position") << "20"
                                                                  << "delete 20" << 0 << ""
                                                                  << "30" << QStringList{"30"};
    QTest::addRow("with a category: it is selected and told") << "10"
                                                              << "" << 1 << "20"
                                                              << "20" << QStringList{"20"};
    QTest::addRow("with a category marked deleted: nothing told") << "10"
                                                                  << "mark 20 deleted" << 1 << "20"
                                                                  << "10" << QStringList{};
    QTest::addRow("with an unknown category: the first") << "30"
                                                         << "" << 1 << "99"
                                                         << "10" << QStringList{"10"};
    QTest::addRow("with a category on the search pane: told, not selected") << ""
                                                                            << "" << 2 << "20"
                                                                            << "" << QStringList{"20"};
}

void TstCategoryColumn::reloadForms()
{
    QFETCH(QString, selectBefore);
    QFETCH(QString, change);
    QFETCH(int, form);
    QFETCH(QString, formId);
    QFETCH(QString, selectedAfter);
    QFETCH(QStringList, told);
    Column col(m_root);
    QHash<QString, Classify *> rows;
    for (int i = 1; i <= 3; ++i)
        rows.insert(QString::number(i * 10), col.category(QString::number(i * 10), i + 1));
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::refetch());
    QCOMPARE(col.shownIds(), (QStringList{"10", "20", "30"}));
    if (!selectBefore.isEmpty())
        col.presenter.clickRow(col.presenter.model()->indexOfClassId(selectBefore));
    else
        col.presenter.deselect();
    if (change == "add 5 on top")
        col.category("5", 1);
    else if (change.startsWith("delete ")) {
        col.rig.device->ctx()->deleteObject(rows.value(change.mid(7)));
        col.rig.device->save();
    } else if (change.startsWith("mark ")) {
        rows.value(change.mid(5, 2))->setActionType(3);
        col.rig.device->save();
    }
    if (form == 2)
        col.presenter.showPaneFromTitleBar(Pane::Search);
    col.told.clear();
    const LeftHomeListReload what = form == 0 ? LeftHomeListReload::refetch()
                                              : LeftHomeListReload::selectCategory(CategoryKey{0, formId});
    emit col.rig.events.reloadLeftHomeList(what);
    QCOMPARE(col.selectedId(), selectedAfter);
    QCOMPARE(col.toldIds(), told);
    QVERIFY(!col.shownIds().contains(change.mid(5, 2)) || !change.startsWith("mark"));
}

void TstCategoryColumn::jumpToNote_data()
{
    QTest::addColumn<QString>("cId");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("told");
    QTest::addRow("a note of a listed category") << "n2"
                                                 << "20" << QStringList{"note:n2"};
    QTest::addRow("a note of a category the column has not fetched yet") << "n4"
                                                                         << "40" << QStringList{"note:n4"};
    QTest::addRow("no such note") << "nx"
                                  << "10" << QStringList{};
    QTest::addRow("a note of a category marked deleted") << "n3"
                                                         << "10" << QStringList{};
}

void TstCategoryColumn::jumpToNote()
{
    QFETCH(QString, cId);
    QFETCH(QString, selected);
    QFETCH(QStringList, told);
    Column col(m_root);
    Classify *a = col.category("10", 1);
    Classify *b = col.category("20", 2);
    Classify *gone = col.category("30", 3, 3);
    col.rig.device->addNote(a, "一");
    NoteDetail *n2 = col.rig.device->addNote(b, "二");
    NoteDetail *n3 = col.rig.device->addNote(gone, "三");
    n2->setCId("n2");
    n3->setCId("n3");
    col.rig.device->save();
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::refetch());
    // A category arriving without a change set the column saw (a background import).
    col.presenter.blockSignals(true);
    Classify *late = col.category("40", 4);
    NoteDetail *n4 = col.rig.device->addNote(late, "四");
    n4->setCId("n4");
    col.rig.device->save();
    col.presenter.blockSignals(false);
    col.presenter.showPaneFromTitleBar(Pane::Records);
    col.presenter.clickRow(0);
    col.told.clear();
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::selectNote(cId));
    QCOMPARE(col.selectedId(), selected);
    QCOMPARE(col.toldIds(), told);
    QCOMPARE(col.presenter.pane(), Pane::Notes);
}

void TstCategoryColumn::titleBarPanesDropTheSelection()
{
    Column col(m_root);
    col.category("10", 1);
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::refetch());
    QSignalSpy panes(&col.presenter, &CategoryColumnPresenter::paneChanged);
    for (Pane p : {Pane::Records, Pane::Records, Pane::Search}) {
        col.presenter.clickRow(0);
        QCOMPARE(col.presenter.selectedRow(), 0);
        col.presenter.showPaneFromTitleBar(p);
        QCOMPARE(col.presenter.selectedRow(), -1);
        QCOMPARE(col.presenter.pane(), p);
    }
    // Clicking a category brings the note split back; a pane already shown is not switched again.
    QCOMPARE(panes.size(), 5);
    emit col.rig.events.deselectCollectionItem();
    QCOMPARE(col.presenter.selectedRow(), -1);
}

void TstCategoryColumn::storeChangesKeepTheSelectedCategory()
{
    Column col(m_root);
    col.category("10", 1);
    Classify *b = col.category("20", 2);
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::refetch());
    col.presenter.clickRow(1);
    QSignalSpy resets(col.presenter.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changed(col.presenter.model(), &QAbstractItemModel::dataChanged);
    col.told.clear();
    b->setName("改名");
    col.rig.device->save();
    QCOMPARE(resets.size(), 0);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().first().toModelIndex().row(), 1);
    col.category("5", 0);
    QCOMPARE(col.shownIds(), (QStringList{"5", "10", "20"}));
    QCOMPARE(col.selectedId(), QStringLiteral("20"));
    QCOMPARE(col.presenter.model()->row(2).name, QStringLiteral("改名"));
    QVERIFY(col.told.isEmpty()); // following the store tells the note list nothing
}

void TstCategoryColumn::dueDot_data()
{
    QTest::addColumn<QString>("real");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("remindActionType");
    QTest::addColumn<QString>("wifi");
    QTest::addColumn<int>("wifiStatus");
    QTest::addColumn<bool>("due");
    // now is 2026/3/2 9:00
    QTest::addRow("past occurrence") << "2026/3/2 8:00:00"
                                     << "" << 2 << "" << 0 << true;
    QTest::addRow("occurrence now") << "2026/3/2 9:00:00"
                                    << "" << 2 << "" << 0 << true;
    QTest::addRow("future occurrence") << "2026/3/2 9:30:00"
                                       << "" << 2 << "" << 0 << false;
    QTest::addRow("past but snoozed into the future") << "2026/3/2 8:00:00"
                                                      << "2026/3/2 9:10:00" << 2 << "" << 0 << false;
    QTest::addRow("past, snooze over") << "2026/3/2 8:00:00"
                                       << "2026/3/2 8:30:00" << 2 << "" << 0 << true;
    QTest::addRow("completed reminder") << "2026/3/2 8:00:00"
                                        << "" << 3 << "" << 0 << false;
    QTest::addRow("fired Wi-Fi reminder") << ""
                                          << "" << 2 << "w1" << 1 << true;
    QTest::addRow("Wi-Fi reminder not fired") << ""
                                              << "" << 2 << "w1" << 0 << false;
}

void TstCategoryColumn::dueDot()
{
    QFETCH(QString, real);
    QFETCH(QString, delay);
    QFETCH(int, remindActionType);
    QFETCH(QString, wifi);
    QFETCH(int, wifiStatus);
    QFETCH(bool, due);
    Column col(m_root);
    Classify *c = col.category("10", 1);
    col.category("20", 2);
    NoteDetail *n = col.rig.device->addNote(c, "提醒");
    auto *r = col.rig.device->ctx()->create<DateRemind>();
    r->setRemindActionType(qint16(remindActionType));
    r->setRemindDateTime(real);
    r->setRemindRealDateTime(real);
    r->setRemindDelayTime(delay);
    r->setConnectWifiIds(wifi);
    r->setRemindWifiStatus(qint16(wifiStatus));
    n->setRemind(r);
    col.rig.device->save();
    QCOMPARE(CategoryDueCount::isDue(r, Clock::now()), due);
    emit col.rig.events.reloadLeftHomeList(LeftHomeListReload::refetch());
    QCOMPARE(
        col.presenter.model()->data(col.presenter.model()->index(0), CategoryListModel::DueRole).toBool(),
        due);
    QCOMPARE(
        col.presenter.model()->data(col.presenter.model()->index(1), CategoryListModel::DueRole).toBool(),
        false);
}

void TstCategoryColumn::lockButton_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("lockOn");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("toast");
    QTest::addColumn<bool>("overlay");
    QTest::addColumn<bool>("opensAccountPage");
    QTest::addRow("no password, set it") << "" << true << true << "您还没有设置锁屏密码，是否设置？"
                                         << "" << false << true;
    QTest::addRow("no password, cancelled") << "" << false << false << "您还没有设置锁屏密码，是否设置？"
                                            << "" << false << false;
    QTest::addRow("password and lock on") << "1234" << true << true << ""
                                          << "" << true << false;
    QTest::addRow("password, lock off") << "1234" << false << true << ""
                                        << "您未设置锁屏" << false << false;
}

void TstCategoryColumn::lockButton()
{
    QFETCH(QString, password);
    QFETCH(bool, lockOn);
    QFETCH(bool, answer);
    QFETCH(QString, confirm);
    QFETCH(QString, toast);
    QFETCH(bool, overlay);
    QFETCH(bool, opensAccountPage);
    Column col(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "http://127.0.0.1:1");
    auto *info = col.rig.device->ctx()->create<UserInfo>();
    info->setUserId(col.rig.s.tester().userId.toInt());
    info->setLockScreenPassword(password);
    info->setIsDefaultLockScreen(lockOn);
    col.rig.device->save();
    col.rig.s.feedback->autoAnswer = answer;
    col.rig.s.feedback->clear();
    QSignalSpy lock(&col.presenter, &CategoryColumnPresenter::lockOverlayWanted);
    col.presenter.lockPressed();
    QTest::qWait(20); // sheets are answered once the event loop turns
    QStringList confirms;
    for (const auto &e : col.rig.s.feedback->entries)
        if (e.kind == RecordingFeedback::Kind::Confirm)
            confirms << e.text;
    QCOMPARE(confirms, confirm.isEmpty() ? QStringList() : QStringList{confirm});
    QCOMPARE(col.rig.s.feedback->toasts(), toast.isEmpty() ? QStringList() : QStringList{toast});
    QCOMPARE(lock.size(), overlay ? 1 : 0);
    if (overlay)
        QCOMPARE(lock.first().first().toBool(), true);
    QCOMPARE(col.rig.urls.opened.size(), opensAccountPage ? 1 : 0);
    if (opensAccountPage)
        QVERIFY2(col.rig.urls.opened.first().toString().startsWith("http://127.0.0.1:1/"),
                 qPrintable(col.rig.urls.opened.first().toString()));
}

void TstCategoryColumn::pullTakesAwayTheOverlayWhenTheLockIsOff()
{
    Column col(m_root);
    QSignalSpy lock(&col.presenter, &CategoryColumnPresenter::lockOverlayWanted);
    col.rig.s.tester().userInfo.insert("isDefaultLockScreen", 0);
    col.rig.signIn();
    QVERIFY(col.rig.settle());
    QTRY_VERIFY(!lock.isEmpty());
    QCOMPARE(lock.last().first().toBool(), false);
    // The empty account got its default category, selected.
    QTRY_COMPARE(col.presenter.model()->rowCount(), 1);
    QCOMPARE(col.presenter.selectedRow(), 0);
}

void TstCategoryColumn::forcedSyncAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void TstCategoryColumn::forcedSyncAsksFirst()
{
    QFETCH(bool, answer);
    Column col(m_root);
    col.rig.signIn();
    QVERIFY(col.rig.settle());
    QTest::qWait(50);
    QVERIFY(col.rig.settle());
    col.rig.device->addCategory("离线");
    col.rig.s.feedback->clear();
    col.rig.s.feedback->autoAnswer = answer;
    const int before = col.rig.requests("note/sync");
    QSignalSpy applied(col.rig.coordinator.get(), &SignInSyncCoordinator::pullApplied);
    col.presenter.forcedSyncPressed();
    QTest::qWait(20);
    QVERIFY(col.rig.settle());
    QCOMPARE(col.rig.s.feedback->entries.first().text, QStringLiteral("确定要强制同步吗？"));
    QCOMPARE(col.rig.requests("note/sync") > before, answer);
    QCOMPARE(applied.size(), answer ? 1 : 0);
    if (answer) {
        // The pending category was pushed before the full pull replaced the rows.
        QVERIFY(col.shownIds().size() == 2);
        QCOMPARE(col.rig.s.notes->liveCategories(col.rig.s.tester()).size(), 2);
        QCOMPARE(col.rig.s.feedback->entries.last().kind, RecordingFeedback::Kind::BusyHidden);
    }
}

void TstCategoryColumn::logoutFromTheSettingsPopover()
{
    Column col(m_root);
    col.category("10", 1);
    col.rig.signIn();
    QVERIFY(col.rig.settle());
    QCOMPARE(col.presenter.model()->rowCount(), 1);
    QSignalSpy settings(&col.presenter, &CategoryColumnPresenter::settingsWindowWanted);
    col.presenter.settingsChosen(0);
    QCOMPARE(settings.size(), 1);
    col.rig.s.feedback->clear();
    col.presenter.settingsChosen(1);
    QCOMPARE(col.rig.s.feedback->entries.first().text, QStringLiteral("确定退出当前登录？"));
    QTRY_VERIFY(!col.rig.services.session->isSignedIn());
    QVERIFY(!col.rig.coordinator->isRunning());
    QCOMPARE(col.presenter.model()->rowCount(), 0);
    QCOMPARE(col.presenter.selectedRow(), -1);
}

void TstCategoryColumn::pollAnnouncesOnlyWhatTheListDoesNotShow_data()
{
    QTest::addColumn<QString>("listShows"); // "category" as chosen, "note" after a jump, "other" another one
    QTest::addColumn<QString>(
        "elsewhere");                  // what the other device does: "edit" a note, "delete" the category
    QTest::addColumn<QString>("told"); // the category announced after the poll, empty: none
    QTest::addRow("a note of the shown category changed") << "category"
                                                          << "edit"
                                                          << "";
    QTest::addRow("the list was told about a note") << "note"
                                                    << "edit"
                                                    << "生活";
    QTest::addRow("the list was told another category") << "other"
                                                        << "edit"
                                                        << "生活";
    QTest::addRow("the shown category went") << "category"
                                             << "delete"
                                             << "读书";
}

void TstCategoryColumn::pollAnnouncesOnlyWhatTheListDoesNotShow()
{
    QFETCH(QString, listShows);
    QFETCH(QString, elsewhere);
    QFETCH(QString, told);
    Column col(m_root);
    SyncClient other("b", m_root, col.rig.s, col.rig.s.tester());
    col.rig.s.tester().sessions << QStringLiteral("token-b");
    UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    for (const char *name : {"工作", "生活", "读书"})
        other.addNote(other.addCategory(QString::fromUtf8(name)), "内容");
    QVERIFY(other.sync());
    col.rig.device->activate();
    col.rig.signIn();
    QVERIFY(col.rig.settle());
    QCOMPARE(col.presenter.model()->rowCount(), 3);
    col.presenter.clickRow(1);
    const QString life = col.selectedId();
    if (listShows == "note")
        emit col.rig.events.notesListReloadDatas(NotesListReload::showNote({0, "any"}));
    else if (listShows == "other")
        emit col.rig.events.notesListReloadDatas(NotesListReload::showCategory({0, "elsewhere"}));

    other.activate();
    Classify *c = other.categories().at(1);
    if (elsewhere == "edit")
        other.editNote(other.notesOf(c).first(), "新内容");
    else
        other.deleteCategory(c);
    QVERIFY(other.sync());
    col.rig.device->activate();
    col.told.clear();
    col.rig.tick();
    QTRY_VERIFY(col.rig.s.notes->liveCategories(col.rig.s.tester()).size() ==
                col.presenter.model()->rowCount());
    const auto nameOf = [&col](const QString &classId) {
        const Classify *k = col.rig.device->ctx()->findFirstByAttribute<Classify>("classId", classId);
        return k ? k->name() : classId;
    };
    QStringList toldNames;
    for (const QString &id : col.toldIds())
        toldNames << nameOf(id);
    QCOMPARE(toldNames, told.isEmpty() ? QStringList{} : QStringList{told});
    QCOMPARE(nameOf(col.selectedId()), elsewhere == "edit" ? QStringLiteral("生活") : QStringLiteral("读书"));
    if (elsewhere == "edit")
        QCOMPARE(col.selectedId(), life);
}

PRELVANE_TEST_MAIN(TstCategoryColumn)
#include "tst_categorycolumn.moc"
