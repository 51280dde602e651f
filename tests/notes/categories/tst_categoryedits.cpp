// The category menu (clear, delete with its guard) and the category dialog
// (add at the top or the bottom, modify) against the stand-in service, also
// when it refuses, fails or does not answer.

#include "CategoryTestRig.h"
#include "core/model/DateRemind.h"
#include "notes/categories/presenter/CategoryDialogPresenter.h"
#include "notes/categories/presenter/CategoryMenuPresenter.h"
#include "service/sync/SyncNotesManager.h"
#include "tests/support/TestEnv.h"

class TstCategoryEdits : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void clearMarksTheNotesDeletedAndSilencesThem();
    void clearAnsweredNoChangesNothing();
    void deleteGuard_data();
    void deleteGuard();
    void deleteTakenByTheService();
    void deleteNotTaken_data();
    void deleteNotTaken();
    void deleteOfACategoryTheServiceNeverHad();
    void dialogChecksItsInput_data();
    void dialogChecksItsInput();
    void dialogAdds_data();
    void dialogAdds();
    void dialogModifies();
    void dialogNotTaken_data();
    void dialogNotTaken();
    void dialogConfirmIsIgnoredWhileItsPushIsOut();
    void dialogGoneBeforeTheAnswer();
    void dialogModifiesACategoryGoneMeanwhile_data();
    void dialogModifiesACategoryGoneMeanwhile();

private:
    QString m_root;
};

namespace {

// A signed-in device with categories that the service has, each with notes.
struct Account
{
    CategoryTestRig rig;
    QSignalSpy pushes;
    QSignalSpy reloads;

    explicit Account(const QString &root, const QStringList &names = {"工作", "生活", "读书"})
        : rig(root), pushes(&rig.events, &AppEvents::syncPushNoteDatas),
          reloads(&rig.events, &AppEvents::reloadLeftHomeList)
    {
        for (const QString &name : names) {
            Classify *c = rig.device->addCategory(name);
            rig.device->addNote(c, name + "一");
            rig.device->addNote(c, name + "二");
        }
        if (!names.isEmpty())
            QVERIFY(rig.device->sync());
        rig.s.service->clearRequests();
    }
    Context *ctx() const { return rig.device->ctx(); }
    RecordingFeedback &feedback() { return *rig.s.feedback; }
    Classify *category(const QString &name) const
    {
        return ctx()->findFirstWhere<Classify>([&](const Classify *c) { return c->name() == name; });
    }
    CategoryKey key(const QString &name) const
    {
        const Classify *c = category(name);
        return c ? CategoryKey{c->objectId().pk, c->classId()} : CategoryKey{};
    }
    // name:sort:actionType:isSync of every local category, by sort then name.
    QStringList local() const
    {
        QList<Classify *> all = ctx()->findAll<Classify>();
        std::sort(all.begin(), all.end(), [](const Classify *a, const Classify *b) {
            return a->sort() != b->sort() ? a->sort() < b->sort() : a->name() < b->name();
        });
        QStringList out;
        for (const Classify *c : all)
            out << QStringLiteral("%1:%2:%3:%4")
                       .arg(c->name())
                       .arg(c->sort())
                       .arg(c->actionType())
                       .arg(c->isSync() ? "synced" : "flagged");
        return out;
    }
    QStringList onService()
    {
        QStringList out;
        for (const auto &c : rig.s.notes->liveCategories(rig.s.tester()))
            out << c.name + ":" + c.backColor;
        std::sort(out.begin(), out.end());
        return out;
    }
    int posts() const { return rig.s.service->requestCount("note/sync"); }
    // Schedules and shows a notification for each note of the category.
    QStringList ring(const QString &name)
    {
        QStringList ids;
        for (NoteDetail *n : rig.device->notesOf(category(name))) {
            UserNotification u;
            u.identifier = n->cId();
            u.informativeText = n->content();
            u.deliveryDate = Clock::now().addDays(1);
            rig.s.notifications->scheduleNotification(u);
            ids << n->cId();
        }
        UserNotification shown;
        shown.identifier = ids.first();
        shown.deliveryDate = Clock::now();
        rig.s.notifications->scheduleNotification(shown);
        rig.s.notifications->deliverNow(ids.first());
        return ids;
    }
    bool rings(const QStringList &ids) const
    {
        for (const QString &id : ids) {
            if (rig.s.notifications->scheduledNotification(id))
                return true;
            for (const UserNotification &u : rig.s.notifications->deliveredNotifications())
                if (u.identifier == id)
                    return true;
        }
        return false;
    }
    // Lets the engine finish and the answers arrive.
    void settle()
    {
        QVERIFY(rig.settle());
        QTest::qWait(5);
    }
};

} // namespace

void TstCategoryEdits::clearMarksTheNotesDeletedAndSilencesThem()
{
    Account a(m_root);
    const QStringList ids = a.ring("生活");
    QVERIFY(a.rings(ids));
    const QString lifeId = a.category("生活")->classId();
    QHash<QString, QString> before;
    for (const NoteDetail *n : a.ctx()->findAll<NoteDetail>())
        before.insert(n->cId(), QStringLiteral("%1 %2").arg(n->actionType()).arg(n->isSync()));
    a.feedback().autoAnswer.reset();
    CategoryMenuPresenter menu(a.rig.services);
    menu.choose(CategoryMenuPresenter::Clear, a.key("生活"));
    QCOMPARE(a.feedback().pendingSheets(), QStringList{"确定要清除该分类下所有内容吗？"});
    QVERIFY(a.feedback().answerNext(true));
    for (const NoteDetail *n : a.ctx()->findAll<NoteDetail>()) {
        const QString now = QStringLiteral("%1 %2").arg(n->actionType()).arg(n->isSync());
        QCOMPARE(now, n->classId() == lifeId ? QStringLiteral("3 0") : before.value(n->cId()));
    }
    QVERIFY(!a.ctx()->hasChanges());
    QVERIFY(!a.rings(ids));
    QCOMPARE(a.pushes.size(), 1);
    QCOMPARE(a.pushes.first().first().value<NoteKey>(), NoteKey{});
    // The category itself stays; only the push of its notes follows.
    QVERIFY(a.local().contains("生活:2:0:synced"));
    QCOMPARE(a.posts(), 0);
}

void TstCategoryEdits::clearAnsweredNoChangesNothing()
{
    Account a(m_root);
    const QStringList ids = a.ring("生活");
    a.feedback().autoAnswer = false;
    CategoryMenuPresenter menu(a.rig.services);
    menu.choose(CategoryMenuPresenter::Clear, a.key("生活"));
    QTRY_VERIFY(a.feedback().pendingSheets().isEmpty());
    QCOMPARE(a.rig.device->liveNotes().size(), 6);
    QVERIFY(a.rings(ids));
    QCOMPARE(a.pushes.size(), 0);
}

void TstCategoryEdits::deleteGuard_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("markOtherDeleted");
    QTest::addColumn<QStringList>("sheets");
    QTest::addRow("the only category")
        << QStringList{"工作"} << false << QStringList{"只剩一个分类了，不允许删除"};
    QTest::addRow("another only waits for its deletion push")
        << QStringList{"工作", "生活"} << true << QStringList{"确定要删除分类“工作”和分类下所有内容吗？"};
    QTest::addRow("two categories") << QStringList{"工作", "生活"} << false
                                    << QStringList{"确定要删除分类“工作”和分类下所有内容吗？"};
}

void TstCategoryEdits::deleteGuard()
{
    QFETCH(QStringList, names);
    QFETCH(bool, markOtherDeleted);
    QFETCH(QStringList, sheets);
    Account a(m_root, names);
    if (markOtherDeleted) {
        a.category("生活")->setActionType(3);
        a.category("生活")->setIsSync(false);
        a.rig.device->save();
    }
    a.feedback().autoAnswer.reset();
    CategoryMenuPresenter menu(a.rig.services);
    menu.choose(CategoryMenuPresenter::Delete, a.key("工作"));
    QCOMPARE(a.feedback().pendingSheets(), sheets);
    a.feedback().answerNext(false);
    a.settle();
    QCOMPARE(a.posts(), 0);
    QVERIFY(a.category("工作"));
}

void TstCategoryEdits::deleteTakenByTheService()
{
    Account a(m_root, {"工作", "生活", "读书", "旧的"});
    // One category waits for its own deletion push: renumbering must leave it so.
    a.category("旧的")->setActionType(3);
    a.category("旧的")->setIsSync(false);
    a.rig.device->save();
    const QStringList ids = a.ring("生活");
    const QString lifeId = a.category("生活")->classId();
    CategoryMenuPresenter menu(a.rig.services);
    a.feedback().autoAnswer.reset();
    menu.choose(CategoryMenuPresenter::Delete, a.key("生活"));
    // Answered here, not by a timer: the push is then surely out when checked.
    QVERIFY(a.feedback().answerNext(true));
    QVERIFY(menu.isDeleting(lifeId));
    a.settle();
    QVERIFY(!menu.isDeleting(lifeId));
    QCOMPARE(a.feedback().messages(), QStringList{"确定要删除分类“生活”和分类下所有内容吗？"});
    QCOMPARE(a.onService(), (QStringList{"工作:#10b56c", "旧的:#10b56c", "读书:#10b56c"}));
    QCOMPARE(a.local(), (QStringList{"工作:1:2:flagged", "读书:2:2:flagged", "旧的:4:3:flagged"}));
    QCOMPARE(a.ctx()->count<NoteDetail>(Predicate::equals("classId", lifeId)), 0);
    QVERIFY(!a.ctx()->hasChanges());
    QVERIFY(!a.rings(ids));
    QCOMPARE(a.pushes.size(), 1);
    QCOMPARE(a.reloads.last().first().value<LeftHomeListReload>(), LeftHomeListReload::refetch());
}

void TstCategoryEdits::deleteNotTaken_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QStringList>("sheets"); // after the confirmation
    QTest::addRow("refused") << "refuse" << QStringList{"分类有内容"};
    QTest::addRow("another code") << "code" << QStringList{};
    QTest::addRow("HTTP 500") << "500" << QStringList{};
    QTest::addRow("connection reset") << "reset" << QStringList{};
    QTest::addRow("no answer") << "silent" << QStringList{};
}

namespace {

void breakService(Account &a, const QString &how)
{
    StandinService &s = *a.rig.s.service;
    if (how == "refuse")
        a.rig.s.notes->refuseCategoryName(QString(), "分类有内容");
    else if (how == "refuse name")
        a.rig.s.notes->refuseCategoryName("家务", "名字重复");
    else if (how == "code")
        s.setFault("note/sync", StandinFault::replyCode(4001, "参数错误"));
    else if (how == "500")
        s.setFault("note/sync", StandinFault::of(StandinFault::Kind::Http500));
    else if (how == "reset")
        s.setFault("note/sync", StandinFault::of(StandinFault::Kind::Reset));
    else if (how == "silent")
        s.setFault("note/sync", StandinFault::of(StandinFault::Kind::NoAnswer));
    else if (how == "empty list")
        s.registerHandler("note/sync", [&a](StandinService::Context &c) {
            QJsonObject reply = a.rig.s.notes->applyPush(c.state, *c.user, c.request.params);
            reply.insert("syncClassResult", QJsonArray());
            return StandinReply::ok(reply);
        });
}

} // namespace

void TstCategoryEdits::deleteNotTaken()
{
    QFETCH(QString, service);
    QFETCH(QStringList, sheets);
    Account a(m_root);
    const QStringList ids = a.ring("生活");
    breakService(a, service);
    CategoryMenuPresenter menu(a.rig.services);
    menu.choose(CategoryMenuPresenter::Delete, a.key("生活"));
    QTRY_VERIFY(a.posts() >= 1);
    a.settle();
    QTRY_VERIFY(!menu.isDeleting(a.category("生活")->classId()));
    QTest::qWait(20);
    // Transport failures and other codes are the client's to show; the menu adds nothing.
    QStringList shown = a.feedback().messages();
    QCOMPARE(shown.takeFirst(), QStringLiteral("确定要删除分类“生活”和分类下所有内容吗？"));
    if (service != "refuse")
        shown.clear();
    QCOMPARE(shown, sheets);
    QCOMPARE(a.local(), (QStringList{"工作:1:0:synced", "生活:2:0:synced", "读书:3:0:synced"}));
    QCOMPARE(a.rig.device->liveNotes().size(), 6);
    QVERIFY(a.rings(ids));
    QCOMPARE(a.pushes.size(), 0);
}

void TstCategoryEdits::deleteOfACategoryTheServiceNeverHad()
{
    Account a(m_root);
    Classify *fresh = a.rig.device->addCategory("草稿");
    a.rig.device->addNote(fresh, "没发出去");
    CategoryMenuPresenter menu(a.rig.services);
    menu.choose(CategoryMenuPresenter::Delete, a.key("草稿"));
    QTRY_VERIFY(!a.category("草稿"));
    a.settle();
    QCOMPARE(a.posts(), 0);
    QCOMPARE(a.rig.device->liveNotes().size(), 6);
    QCOMPARE(a.local(), (QStringList{"工作:1:2:flagged", "生活:2:2:flagged", "读书:3:2:flagged"}));
    QVERIFY(!a.ctx()->hasChanges());
}

void TstCategoryEdits::dialogChecksItsInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("sheet"); // empty: sent
    QTest::addRow("no name") << "" << 3 << "分类名字不能为空";
    QTest::addRow("no name and no colour") << "" << -1 << "分类名字不能为空";
    QTest::addRow("no colour") << "工作" << -1 << "请选择一个分类颜色";
    QTest::addRow("spaces are a name") << "   " << 0 << "";
    QTest::addRow("colour out of range") << "工作" << 12 << "请选择一个分类颜色";
}

void TstCategoryEdits::dialogChecksItsInput()
{
    QFETCH(QString, name);
    QFETCH(int, color);
    QFETCH(QString, sheet);
    Account a(m_root, {});
    CategoryDialogPresenter dialog(a.rig.services, {});
    QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
    dialog.setName(name);
    dialog.chooseColor(color);
    dialog.confirm();
    a.settle();
    QCOMPARE(a.feedback().messages(), sheet.isEmpty() ? QStringList{} : QStringList{sheet});
    QCOMPARE(accepted.size(), sheet.isEmpty() ? 1 : 0);
    QCOMPARE(a.posts(), sheet.isEmpty() ? 1 : 0);
    if (sheet.isEmpty())
        QCOMPARE(a.onService(), QStringList{name + ":" + CategoryDialogPresenter::colors().at(color)});
}

void TstCategoryEdits::dialogAdds_data()
{
    QTest::addColumn<bool>("top");
    QTest::addColumn<bool>("withPendingDeletion");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("pushes"); // "SyncPushNoteDatas" posts
    QTest::addRow("at the top") << true << false
                                << QStringList{"家务:1:1:synced", "工作:2:2:flagged", "生活:3:2:flagged",
                                               "读书:4:2:flagged"}
                                << 1;
    QTest::addRow("at the top beside a deletion waiting for its push")
        << true << true
        << QStringList{"家务:1:1:synced", "工作:2:2:flagged", "生活:2:3:flagged", "读书:3:2:flagged"} << 1;
    QTest::addRow("at the bottom") << false << false
                                   << QStringList{"工作:1:0:synced", "生活:2:0:synced", "读书:3:0:synced",
                                                  "家务:4:1:synced"}
                                   << 0;
    QTest::addRow("at the bottom, counting a deletion waiting for its push")
        << false << true
        << QStringList{"工作:1:0:synced", "生活:2:3:flagged", "读书:3:0:synced", "家务:4:1:synced"} << 0;
}

void TstCategoryEdits::dialogAdds()
{
    QFETCH(bool, top);
    QFETCH(bool, withPendingDeletion);
    QFETCH(QStringList, after);
    QFETCH(int, pushes);
    Account a(m_root);
    if (withPendingDeletion) {
        a.category("生活")->setActionType(3);
        a.category("生活")->setIsSync(false);
        a.rig.device->save();
    }
    QObject mainWindow;
    CategoryDialogPresenter dialog(a.rig.services, {});
    dialog.setToastAnchor(&mainWindow);
    QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
    QSignalSpy pushing(&dialog, &CategoryDialogPresenter::pushingChanged);
    QVERIFY(!dialog.isModify());
    QVERIFY(dialog.offersPosition());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("新增分类"));
    dialog.setName("家务");
    dialog.chooseColor(1);
    dialog.setAddsAtTop(top);
    dialog.confirm();
    QVERIFY(dialog.isPushing());
    a.settle();
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(pushing.size(), 2);
    QVERIFY(a.onService().contains("家务:#db2405"));
    QCOMPARE(a.local(), after);
    // Saved at once, under the service's id.
    QVERIFY(!a.ctx()->hasChanges());
    const Classify *added = a.category("家务");
    QVERIFY(!SyncNotesManager::isClientId(added->classId()));
    QCOMPARE(added->version(), a.rig.device->version());
    QCOMPARE(a.pushes.size(), pushes);
    QCOMPARE(a.reloads.last().first().value<LeftHomeListReload>(),
             LeftHomeListReload::selectCategory(CategoryKey{added->objectId().pk, added->classId()}));
    QCOMPARE(a.feedback().toasts(), QStringList{"新增成功"});
    QCOMPARE(a.feedback().entries.last().anchor, &mainWindow);
    QCOMPARE(a.feedback().messages(), QStringList{});
}

void TstCategoryEdits::dialogModifies()
{
    struct Case
    {
        QString color;   // the category's colour before
        int preselected; // -1: none
    };
    for (const Case &c : {Case{"#10b56c", 5}, Case{"#ABCDEF", -1}, Case{"#10B56C", -1}}) {
        init();
        Account a(m_root);
        a.category("生活")->setBackColor(c.color);
        a.rig.device->save();
        CategoryDialogPresenter dialog(a.rig.services, a.key("生活"));
        QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
        QVERIFY(dialog.isModify());
        QVERIFY(!dialog.offersPosition());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("修改分类"));
        QCOMPARE(dialog.name(), QStringLiteral("生活"));
        QCOMPARE(dialog.colorIndex(), c.preselected);
        dialog.setName("日常");
        dialog.setAddsAtTop(true); // not offered: no effect
        dialog.confirm();
        a.settle();
        if (c.preselected < 0) {
            QCOMPARE(a.feedback().messages(), QStringList{"请选择一个分类颜色"});
            QCOMPARE(a.posts(), 0);
            dialog.chooseColor(11);
            dialog.confirm();
            a.settle();
        }
        QCOMPARE(accepted.size(), 1);
        const QString color = c.preselected < 0 ? "#000000" : c.color;
        QCOMPARE(a.onService(), (QStringList{"工作:#10b56c", "日常:" + color, "读书:#10b56c"}));
        QCOMPARE(a.local(), (QStringList{"工作:1:0:synced", "日常:2:2:synced", "读书:3:0:synced"}));
        QVERIFY(!a.ctx()->hasChanges());
        QCOMPARE(a.pushes.size(), 0);
        QCOMPARE(a.feedback().toasts(), QStringList{"修改成功"});
    }
}

void TstCategoryEdits::dialogNotTaken_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("sheet"); // the dialog's own sheet, empty: none
    QTest::addRow("refused") << "refuse name"
                             << "名字重复";
    QTest::addRow("an empty result list") << "empty list" << SyncNotesManager::refusedWithoutReasonText();
    QTest::addRow("another code") << "code"
                                  << "";
    QTest::addRow("HTTP 500") << "500"
                              << "";
    QTest::addRow("connection reset") << "reset"
                                      << "";
}

void TstCategoryEdits::dialogNotTaken()
{
    QFETCH(QString, service);
    QFETCH(QString, sheet);
    Account a(m_root);
    breakService(a, service);
    const QStringList before = a.local();
    CategoryDialogPresenter dialog(a.rig.services, {});
    QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
    dialog.setName("家务");
    dialog.chooseColor(0);
    dialog.setAddsAtTop(true);
    dialog.confirm();
    a.settle();
    QTRY_VERIFY(!dialog.isPushing());
    QTest::qWait(20);
    QCOMPARE(accepted.size(), 0);
    QCOMPARE(a.local(), before);
    QVERIFY(!a.ctx()->hasChanges());
    QCOMPARE(a.pushes.size(), 0);
    QCOMPARE(a.feedback().toasts(), QStringList{});
    if (!sheet.isEmpty())
        QCOMPARE(a.feedback().messages(), QStringList{sheet});
    // The input stays for another try.
    QCOMPARE(dialog.name(), QStringLiteral("家务"));
    QCOMPARE(dialog.colorIndex(), 0);
}

void TstCategoryEdits::dialogConfirmIsIgnoredWhileItsPushIsOut()
{
    Account a(m_root);
    breakService(a, "silent");
    CategoryDialogPresenter dialog(a.rig.services, {});
    QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
    QSignalSpy pushing(&dialog, &CategoryDialogPresenter::pushingChanged);
    dialog.setName("家务");
    dialog.chooseColor(2);
    dialog.confirm();
    QTRY_COMPARE(a.posts(), 1);
    for (int i = 0; i < 3; ++i)
        dialog.confirm();
    QCOMPARE(pushing.size(), 1);
    // The request times out: the dialog may try again.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isPushing(), 10000);
    a.settle();
    QCOMPARE(a.posts(), 1);
    QCOMPARE(accepted.size(), 0);
    a.rig.s.service->clearFaults();
    dialog.confirm();
    a.settle();
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(a.posts(), 2);
    QCOMPARE(a.onService().count("家务:#f27830"), 1);
}

void TstCategoryEdits::dialogGoneBeforeTheAnswer()
{
    Account a(m_root);
    auto *dialog = new CategoryDialogPresenter(a.rig.services, {});
    dialog->setName("家务");
    dialog->chooseColor(2);
    dialog->confirm();
    delete dialog;
    a.settle();
    // The service has it; the next pull brings it, as the stored version was not moved on.
    QVERIFY(a.onService().contains("家务:#f27830"));
    QVERIFY(!a.category("家务"));
    QCOMPARE(a.feedback().toasts(), QStringList{});
    QVERIFY(a.rig.device->pull());
    QVERIFY(a.category("家务"));
}

void TstCategoryEdits::dialogModifiesACategoryGoneMeanwhile_data()
{
    QTest::addColumn<bool>("removed"); // removed from the store, else only marked deleted
    QTest::addRow("marked deleted") << false;
    QTest::addRow("removed by a pull") << true;
}

void TstCategoryEdits::dialogModifiesACategoryGoneMeanwhile()
{
    QFETCH(bool, removed);
    Account a(m_root);
    CategoryDialogPresenter dialog(a.rig.services, a.key("生活"));
    QSignalSpy accepted(&dialog, &CategoryDialogPresenter::accepted);
    if (removed) {
        a.ctx()->deleteObject(a.category("生活"));
    } else {
        a.category("生活")->setActionType(3);
        a.category("生活")->setIsSync(false);
    }
    a.rig.device->save();
    dialog.setName("日常");
    dialog.confirm();
    a.settle();
    // Sending it would bring the category back on the service.
    QCOMPARE(a.feedback().messages(), QStringList{"该分类已被删除"});
    QCOMPARE(a.posts(), 0);
    QCOMPARE(accepted.size(), 0);
    QVERIFY(!a.category("日常"));
}

PRELVANE_TEST_MAIN(TstCategoryEdits)
#include "tst_categoryedits.moc"
