// The detail pane's presenter against the stand-in service: showing and
// adding notes, writing a reminder value, the push-then-pull cycle with a
// slow, a failing and a refusing service, and undoing a completion.

#include "core/model/UserSet.h"
#include "tests/notes/detail/DetailTestRig.h"
#include "tests/support/TestEnv.h"

#include "core/model/DateRemind.h"
#include "core/model/EventKeys.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/notifications/UserNotification.h"

Q_DECLARE_METATYPE(NoteRemindModel)

class TstNoteDetail : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }

    void showsTheAnnouncedNoteOrNothing();
    void addingTwiceReusesTheEmptyNote();
    void addingWithoutCategoryOnlyTellsTheUser();
    void confirmWritesThePendingValue_data();
    void confirmWritesThePendingValue();
    void confirmWithoutValueLeavesTheNotificationTheReminderAsksFor_data();
    void confirmWithoutValueLeavesTheNotificationTheReminderAsksFor();
    void confirmedReminderStaysScheduled_data();
    void confirmedReminderStaysScheduled();
    void reminderWindowGetsThePendingOrStoredValue();
    void cyclePushesTheNamedNoteOrEverything();
    void cyclePullsFromThePanesVersion_data();
    void cyclePullsFromThePanesVersion();
    void requestsDuringASlowPushMergeIntoOneFollowUp();
    void pushWithoutReplyMarksUnsentNotes();
    void pushAnsweredWithAnErrorCodeEndsTheCycle();
    void refusalsAreShownOnceAndThePullStillRuns_data();
    void refusalsAreShownOnceAndThePullStillRuns();
    void pullRemovingTheShownNoteShowsNothing();
    void newNoteKeepsItsPlaceAcrossThePush();
    void undoOfAnUploadedCompletion_data();
    void undoOfAnUploadedCompletion();
    void undoRelinksANoteTheCompletionDeleted_data();
    void undoRelinksANoteTheCompletionDeleted();
    void signOutDropsTheShownNoteAndTheCycle();
    void snapshotRestoreDropsAWaitingCycle();

private:
    QString m_root;
};

void TstNoteDetail::showsTheAnnouncedNoteOrNothing()
{
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲"});
    c->setVersion("17");
    rig.device->save();
    NoteDetail *n = rig.note("甲");
    UserNotification delivered;
    delivered.identifier = n->cId();
    delivered.deliveryDate = Clock::now().addSecs(-60);
    rig.s.notifications->scheduleNotification(delivered);
    rig.s.notifications->deliverDueNotifications();
    QCOMPARE(rig.s.notifications->deliveredNotifications().size(), 1);
    rig.pane->applyRemind(NoteRemindModel());

    QSignalSpy editing(rig.pane.get(), &NoteDetailPresenter::editingChanged);
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
    QVERIFY(rig.pane->isEditing());
    QCOMPARE(rig.pane->shownNote(), DetailTestRig::keyOf(n));
    QCOMPARE(rig.pane->currentVersion(), QStringLiteral("17"));
    QVERIFY(!rig.pane->pendingRemind());
    QCOMPARE(rig.shownToEditor.last(), DetailTestRig::keyOf(n));
    // Looking at the note takes its delivered notification away.
    QVERIFY(rig.s.notifications->deliveredNotifications().isEmpty());

    // A key of a note that is gone, and none: the empty state.
    for (const NoteKey &k : {NoteKey{999999, "c1"}, NoteKey{}}) {
        emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
        emit rig.events.reloadNoteDetail(k);
        QVERIFY(!rig.pane->isEditing());
        QVERIFY(rig.pane->shownNote().isNull());
        QCOMPARE(rig.shownToEditor.last(), NoteKey{});
    }
    QCOMPARE(editing.size(), 4);
}

void TstNoteDetail::addingTwiceReusesTheEmptyNote()
{
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲"});
    c->setVersion("8");
    rig.device->save();
    rig.signIn();
    rig.recorder.clear();

    emit rig.events.addNoteDetail();
    const NoteKey first = rig.pane->shownNote();
    QVERIFY(!first.isNull());
    QVERIFY(rig.pane->isEditing());
    QCOMPARE(rig.pane->currentVersion(), QStringLiteral("8"));
    NoteDetail *made = EventKeys::find(*rig.ctx(), first);
    QVERIFY(made);
    QVERIFY(made->content().isEmpty());
    QCOMPARE(made->classify(), c);
    // A real row, so the list can show and select it.
    QVERIFY(made->objectId().isValid());

    rig.pane->applyRemind(NoteRemindModel());
    rig.pane->addNote();
    QCOMPARE(rig.pane->shownNote(), first);
    QVERIFY(!rig.pane->pendingRemind());
    QCOMPARE(rig.ctx()->count<NoteDetail>(), 2);
    QCOMPARE(rig.recorder.events,
             QStringList({"AddNoteDetail=", "NotesListReloadDatas=NoteDetail:" + first.cId,
                          "NotesListReloadDatas=NoteDetail:" + first.cId}));
    // An emptied text counts as none; a note with text is never taken.
    made->setContent(QStringLiteral(""));
    rig.device->save();
    rig.pane->addNote();
    QCOMPARE(rig.pane->shownNote(), first);
    made->setContent(QStringLiteral("有字了"));
    rig.device->save();
    rig.pane->addNote();
    QVERIFY(rig.pane->shownNote().pk != first.pk);
    QCOMPARE(rig.ctx()->count<NoteDetail>(), 3);
}

void TstNoteDetail::addingWithoutCategoryOnlyTellsTheUser()
{
    DetailTestRig rig(m_root);
    rig.pane->addNote();
    QCOMPARE(rig.s.feedback->messages(), QStringList{"当前没有分类"});
    QVERIFY(!rig.pane->isEditing());
    QCOMPARE(rig.ctx()->count<NoteDetail>(), 0);
    QVERIFY(rig.recorder.events.isEmpty());

    // A category marked deleted is no category either.
    Classify *c = rig.syncedCategory({});
    c->setActionType(3);
    rig.device->save();
    rig.pane->addNote();
    QCOMPARE(rig.s.feedback->messages().size(), 2);
    QCOMPARE(rig.ctx()->count<NoteDetail>(), 0);
}

namespace {

NoteRemindModel dateValue()
{
    NoteRemindModel m;
    m.setRemindActionType(2);
    m.setRemindStartTime("2026/3/5 8:30:00");
    m.setRemindRealDateTime("2026/3/5 8:30:00");
    m.setRemindEndTime("2026/6/1 0:00:00");
    m.setRemindCycleType(2);
    m.setRemindInterval(1);
    m.setRemindSpecify("1,4");
    m.setRemindStarType(1);
    return m;
}

NoteRemindModel wifiValue()
{
    NoteRemindModel m;
    m.setRemindActionType(2);
    m.setConnectWifiIds("12,15");
    m.setConnectWifiType(1);
    return m;
}

NoteRemindModel clearValue()
{
    NoteRemindModel m;
    m.setRemindActionType(3);
    return m;
}

// "date:<start>|<real>|<cycle>|<star>|<end>|<delay> wifi:<ids>|<type>|<status>|<time set> action:<n>"
QString picture(const DateRemind *r)
{
    if (!r)
        return QStringLiteral("none");
    return QStringLiteral("date:%1|%2|%3|%4|%5|%6 wifi:%7|%8|%9|%10 action:%11")
        .arg(r->remindDateTime(), r->remindRealDateTime())
        .arg(r->remindCycleType())
        .arg(r->remindRType())
        .arg(r->remindEndTime(), r->remindDelayTime(), r->connectWifiIds())
        .arg(r->connectWifiType())
        .arg(r->remindWifiStatus())
        .arg(r->remindWifiDateTime().isEmpty() ? "-" : "set")
        .arg(r->remindActionType());
}

} // namespace

void TstNoteDetail::confirmWritesThePendingValue_data()
{
    QTest::addColumn<QString>("stored"); // none, date, wifi
    QTest::addColumn<NoteRemindModel>("value");
    QTest::addColumn<QString>("expected");
    const QString date = "date:2026/3/5 8:30:00|2026/3/5 8:30:00|2|1|2026/6/1 0:00:00| wifi:|0|0|-";
    const QString wifi = "date:||0|0|| wifi:12,15|1|0|set";
    QTest::addRow("date value on a new record") << "none" << dateValue() << date + " action:1";
    QTest::addRow("date value over a date reminder") << "date" << dateValue() << date + " action:2";
    QTest::addRow("date value over a Wi-Fi reminder") << "wifi" << dateValue() << date + " action:2";
    QTest::addRow("Wi-Fi value on a new record") << "none" << wifiValue() << wifi + " action:1";
    QTest::addRow("Wi-Fi value over a date reminder") << "date" << wifiValue() << wifi + " action:2";
    QTest::addRow("Wi-Fi value over a Wi-Fi reminder") << "wifi" << wifiValue() << wifi + " action:2";
    NoteRemindModel emptyIds = dateValue();
    emptyIds.setConnectWifiIds("");
    QTest::addRow("empty Wi-Fi ids make a date value") << "date" << emptyIds << date + " action:2";
    QTest::addRow("clearing a date reminder")
        << "date" << clearValue() << "date:||0|0|| wifi:|0|0|- action:3";
    QTest::addRow("clearing keeps the Wi-Fi fields")
        << "wifi" << clearValue() << "date:||0|0|| wifi:7|1|1|set action:3";
    QTest::addRow("clearing without a record makes an empty one")
        << "none" << clearValue() << "date:||0|0|| wifi:|0|0|- action:1";
}

void TstNoteDetail::confirmWritesThePendingValue()
{
    QFETCH(QString, stored);
    QFETCH(NoteRemindModel, value);
    QFETCH(QString, expected);
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    NoteDetail *n = rig.note("甲");
    if (stored != "none") {
        auto *r = rig.ctx()->create<DateRemind>();
        r->setRemindActionType(2);
        if (stored == "date") {
            r->setRemindDateTime("2026/3/3 9:00:00");
            r->setRemindRealDateTime("2026/3/3 9:00:00");
            r->setRemindCycleType(1);
            r->setRemindCycleInterval(1);
            r->setRemindDelayTime("2026/3/3 9:30:00");
        } else {
            r->setConnectWifiIds("7");
            r->setConnectWifiType(1);
            r->setRemindWifiStatus(1);
            r->setRemindWifiDateTime("2026/3/1 9:00:00");
        }
        n->setRemind(r);
        rig.device->save();
    }
    UserNotification pending;
    pending.identifier = n->cId();
    pending.deliveryDate = Clock::now().addDays(1);
    QVERIFY(rig.s.notifications->scheduleNotification(pending));

    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
    rig.pane->applyRemind(value);
    QCOMPARE(rig.remindsToEditor.size(), 1);
    // Nothing is stored before the confirm.
    QCOMPARE(rig.ctx()->count<DateRemind>(), stored == "none" ? 0 : 1);
    rig.pane->editConfirmed();

    QVERIFY(!rig.pane->pendingRemind());
    QCOMPARE(rig.ctx()->count<DateRemind>(), 1);
    QCOMPARE(picture(n->remind()), expected);
    // The notification of the old reminder is gone; only the new date has one.
    QVERIFY(rig.s.notifications->nextDeliveryDate(n->cId()) != pending.deliveryDate);
    QCOMPARE(rig.s.notifications->scheduledNotification(n->cId()).has_value(),
             !n->remind()->remindDateTime().isEmpty());
    // Saved: another context of the same store reads it.
    QVERIFY(!rig.ctx()->hasChanges());
}

void TstNoteDetail::confirmWithoutValueLeavesTheNotificationTheReminderAsksFor_data()
{
    QTest::addColumn<QString>("real");
    QTest::addColumn<int>("action");
    QTest::addColumn<QDateTime>("next"); // invalid: none
    const QDateTime start(QDate(2026, 3, 3), QTime(9, 0));
    QTest::addRow("running") << "2026/3/3 9:00:00" << 2 << start;
    // Counted from its start, the reminder still has an occurrence.
    QTest::addRow("no stored occurrence") << "" << 2 << start;
    QTest::addRow("cleared") << "2026/3/3 9:00:00" << 3 << QDateTime();
}

void TstNoteDetail::confirmWithoutValueLeavesTheNotificationTheReminderAsksFor()
{
    QFETCH(QString, real);
    QFETCH(int, action);
    QFETCH(QDateTime, next);
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    NoteDetail *n = rig.note("甲");
    DateRemind *r = rig.ctx()->create<DateRemind>();
    r->setRemindActionType(qint16(action));
    r->setRemindDateTime("2026/3/3 9:00:00");
    r->setRemindRealDateTime(real);
    n->setRemind(r);
    rig.device->save();
    // A stale notification of the note.
    UserNotification stale;
    stale.identifier = n->cId();
    stale.deliveryDate = Clock::now().addDays(5);
    QVERIFY(rig.s.notifications->scheduleNotification(stale));

    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
    rig.pane->editConfirmed();
    QCOMPARE(rig.s.notifications->nextDeliveryDate(n->cId()), next);
    QCOMPARE(picture(n->remind()).section(" action:", 1), QString::number(action));
}

void TstNoteDetail::confirmedReminderStaysScheduled_data()
{
    QTest::addColumn<QString>("start"); // the value confirmed; the stored one is at 2026/3/5 8:30
    QTest::addColumn<QDateTime>("next");
    QTest::addRow("the same value again") << "2026/3/5 8:30:00" << QDateTime(QDate(2026, 3, 5), QTime(8, 30));
    QTest::addRow("a new date") << "2026/3/6 10:00:00" << QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

void TstNoteDetail::confirmedReminderStaysScheduled()
{
    QFETCH(QString, start);
    QFETCH(QDateTime, next);
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    NoteDetail *n = rig.note("甲");
    auto *r = rig.ctx()->create<DateRemind>();
    r->setRemindActionType(2);
    r->setRemindDateTime("2026/3/5 8:30:00");
    r->setRemindRealDateTime("2026/3/5 8:30:00");
    n->setRemind(r);
    rig.device->save();
    // The program's scheduler follows every save.
    struct StopsScheduler
    {
        ReminderScheduler &planner;
        ~StopsScheduler() { planner.stop(); }
    } stopsAtTheEnd{*rig.services.reminders};
    rig.services.reminders->reconcileAll();
    rig.services.reminders->start();
    QCOMPARE(rig.s.notifications->nextDeliveryDate(n->cId()), QDateTime(QDate(2026, 3, 5), QTime(8, 30)));

    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
    NoteRemindModel value;
    value.setRemindActionType(2);
    value.setRemindStartTime(start);
    value.setRemindRealDateTime(start);
    rig.pane->applyRemind(value);
    rig.pane->editConfirmed();
    QTRY_COMPARE(rig.s.notifications->nextDeliveryDate(n->cId()), next);
}

void TstNoteDetail::reminderWindowGetsThePendingOrStoredValue()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    NoteDetail *n = rig.note("甲");
    auto *r = rig.ctx()->create<DateRemind>();
    r->setRemindActionType(2);
    r->setRemindDateTime("2026/3/3 9:00:00");
    r->setRemindRealDateTime("2026/3/3 9:00:00");
    n->setRemind(r);
    rig.device->save();
    QSignalSpy wanted(rig.pane.get(), &NoteDetailPresenter::remindWindowWanted);
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));

    rig.pane->remindWanted();
    rig.pane->applyRemind(wifiValue());
    rig.pane->remindWanted();
    rig.pane->remindCleared();
    rig.pane->remindWanted();
    rig.pane->editCancelled();
    rig.pane->remindWanted();
    QCOMPARE(wanted.size(), 4);
    auto value = [&](int i) { return wanted.at(i).at(0).value<NoteRemindModel>(); };
    QCOMPARE(value(0).remindStartTime(), QStringLiteral("2026/3/3 9:00:00"));
    QCOMPARE(value(1).connectWifiIds(), QStringLiteral("12,15"));
    QCOMPARE(value(2).remindActionType(), 3u);
    QCOMPARE(value(2).remindStartTime(), QString());
    // Cancelling the edit dropped the pending value.
    QCOMPARE(value(3).remindStartTime(), QStringLiteral("2026/3/3 9:00:00"));
}

void TstNoteDetail::cyclePushesTheNamedNoteOrEverything()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲", "乙"});
    rig.signIn();
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.device->editNote(rig.note("乙"), "乙2");
    rig.s.service->clearRequests();

    emit rig.events.syncPushNoteDatas(DetailTestRig::keyOf(rig.note("甲2")));
    QVERIFY(rig.settle());
    QCOMPARE(rig.pushes().size(), 1);
    QCOMPARE(DetailTestRig::pushedNotes(rig.pushes().last()), QStringList{"甲2"});
    QVERIFY(rig.pushes().last().value("classes").toArray().isEmpty());
    QVERIFY(rig.note("甲2")->isSync());
    QVERIFY(!rig.note("乙2")->isSync());

    emit rig.events.syncPushNoteDatas(NoteKey{});
    QVERIFY(rig.settle());
    QCOMPARE(DetailTestRig::pushedNotes(rig.pushes().last()), QStringList{"乙2"});
    QVERIFY(rig.note("乙2")->isSync());
    QCOMPARE(rig.pullVersions().size(), 2);
    QCOMPARE(rig.leftHomeReloads().size(), 2);
}

void TstNoteDetail::cyclePullsFromThePanesVersion_data()
{
    QTest::addColumn<QString>("stored");   // the defaults' "version"
    QTest::addColumn<QString>("category"); // the shown note's category version ("-": no note shown)
    QTest::addColumn<QString>("pushed");
    QTest::addColumn<QString>("pulled");
    QTest::addRow("no stored version, nothing shown") << ""
                                                      << "-"
                                                      << "0"
                                                      << "0";
    QTest::addRow("stored, nothing shown: everything") << "9"
                                                       << "-"
                                                       << "9"
                                                       << "0";
    QTest::addRow("category older than stored") << "9"
                                                << "5"
                                                << "9"
                                                << "5";
    QTest::addRow("category newer than stored") << "3"
                                                << "5"
                                                << "3"
                                                << "3";
    QTest::addRow("category without version") << "9"
                                              << ""
                                              << "9"
                                              << "0";
}

void TstNoteDetail::cyclePullsFromThePanesVersion()
{
    QFETCH(QString, stored);
    QFETCH(QString, category);
    QFETCH(QString, pushed);
    QFETCH(QString, pulled);
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲"});
    rig.signIn();
    if (category != "-") {
        c->setVersion(category);
        rig.device->save();
        emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    }
    rig.device->editNote(rig.note("甲"), "甲2");
    UserDefaults::setValue(SignInKeys::Version, stored);
    rig.s.service->clearRequests();

    rig.pane->editConfirmed();
    QVERIFY(rig.pane->isSyncing());
    QVERIFY(rig.settle());
    QVERIFY(!rig.pane->isSyncing());
    QCOMPARE(rig.pushes().size(), 1);
    QCOMPARE(rig.pushes().first().value("version").toString(), pushed);
    QCOMPARE(rig.pullVersions(), QStringList{pulled});
    // The busy spinner showed while the pull ran, and went.
    QVERIFY(std::any_of(
        rig.s.feedback->entries.cbegin(), rig.s.feedback->entries.cend(),
        [](const RecordingFeedback::Entry &e) { return e.kind == RecordingFeedback::Kind::BusyShown; }));
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    // The pull's version is the pane's from now on, and the stored one.
    QCOMPARE(rig.pane->currentVersion(), QString::number(rig.s.tester().version));
    QCOMPARE(rig.device->version(), rig.pane->currentVersion());
    QCOMPARE(rig.s.picture(), rig.device->picture());
}

void TstNoteDetail::requestsDuringASlowPushMergeIntoOneFollowUp()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲", "乙", "丙"});
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.s.service->clearRequests();
    rig.recorder.clear();
    // While the first push is with the service, three more requests come.
    bool asked = false;
    QObject::connect(rig.s.service.get(), &StandinService::requestReceived, rig.pane.get(),
                     [&](const QString &p) {
                         if (asked || p != "note/sync")
                             return;
                         asked = true;
                         QVERIFY(rig.device->engine->isBusy());
                         rig.device->editNote(rig.note("乙"), "乙2");
                         rig.device->editNote(rig.note("丙"), "丙2");
                         emit rig.events.syncPushNoteDatas(DetailTestRig::keyOf(rig.note("乙2")));
                         emit rig.events.syncPushNoteDatas(DetailTestRig::keyOf(rig.note("丙2")));
                         rig.pane->editConfirmed();
                     });
    rig.pane->editConfirmed();
    QVERIFY(rig.settle());
    QVERIFY(asked);
    QCOMPARE(rig.pushes().size(), 2);
    const QStringList first = DetailTestRig::pushedNotes(rig.pushes().at(0));
    QVERIFY(first.contains("甲2"));
    QVERIFY(!first.contains("乙2") && !first.contains("丙2"));
    const QStringList second = DetailTestRig::pushedNotes(rig.pushes().at(1));
    QVERIFY(second.contains("乙2") && second.contains("丙2"));
    QCOMPARE(rig.pullVersions().size(), 1);
    // The column and the editor are refreshed once, when all of it has ended.
    QCOMPARE(rig.leftHomeReloads().size(), 1);
    QCOMPARE(rig.s.picture(), rig.device->picture());
    QCOMPARE(rig.s.feedback->busyCount(), 0);
}

void TstNoteDetail::pushWithoutReplyMarksUnsentNotes()
{
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲", "乙"});
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.device->deleteNote(rig.note("乙"));
    rig.s.service->setFault("note/sync", StandinFault::of(StandinFault::Kind::Reset));
    rig.s.service->clearRequests();
    rig.recorder.clear();
    rig.shownToEditor.clear();

    rig.pane->editConfirmed();
    QVERIFY(rig.settle());
    QVERIFY(rig.note("甲2")->isError());
    QVERIFY(!rig.note("甲2")->isSync());
    QVERIFY(!rig.note("乙")->isError());
    QCOMPARE(rig.pullVersions().size(), 0);
    QCOMPARE(rig.recorder.events, QStringList{"ReloadLeftHomeList=Classify:" + c->classId()});
    QCOMPARE(rig.shownToEditor, QList<NoteKey>{DetailTestRig::keyOf(rig.note("甲2"))});

    // The next cycle sends the flagged rows again.
    rig.s.service->clearFaults();
    rig.pane->editConfirmed();
    QVERIFY(rig.settle());
    QVERIFY(rig.note("甲2")->isSync());
    QCOMPARE(rig.s.picture(), rig.device->picture());
}

void TstNoteDetail::pushAnsweredWithAnErrorCodeEndsTheCycle()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.s.service->setFault("note/sync", StandinFault::replyCode(500, "服务繁忙"));
    rig.s.service->clearRequests();
    rig.recorder.clear();

    rig.pane->editConfirmed();
    QVERIFY(rig.settle());
    QCOMPARE(rig.pullVersions().size(), 0);
    QVERIFY(rig.leftHomeReloads().isEmpty());
    QVERIFY(!rig.note("甲2")->isSync());
    QVERIFY(!rig.note("甲2")->isError());
    QVERIFY(!rig.pane->isSyncing());
}

void TstNoteDetail::refusalsAreShownOnceAndThePullStillRuns_data()
{
    QTest::addColumn<QString>("paneVersion"); // empty: the pull asks for everything
    QTest::addColumn<QString>("pulled");
    QTest::addRow("delta pull") << "1"
                                << "1";
    QTest::addRow("full pull, the push is not sent twice") << ""
                                                           << "0";
}

void TstNoteDetail::refusalsAreShownOnceAndThePullStillRuns()
{
    QFETCH(QString, paneVersion);
    QFETCH(QString, pulled);
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲", "乙"});
    c->setVersion(paneVersion);
    rig.device->save();
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.s.notes->refuseNoteContent("甲2", "内容不合规");
    rig.s.notes->refuseNoteContent("乙2", "太长了");
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.device->editNote(rig.note("乙"), "乙2");
    rig.s.service->clearRequests();
    rig.s.feedback->clear();

    rig.pane->editConfirmed();
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.feedback->messages().size(), 1);
    QStringList parts = rig.s.feedback->messages().first().split(';');
    parts.sort();
    QCOMPARE(parts, QStringList({"内容不合规", "太长了"}));
    QCOMPARE(rig.pushes().size(), 1);
    QCOMPARE(rig.pullVersions(), QStringList{pulled});
    QCOMPARE(rig.leftHomeReloads().size(), 1);
    // Refused rows stay flagged for the next push.
    QVERIFY(!rig.note("甲2")->isSync());
}

void TstNoteDetail::pullRemovingTheShownNoteShowsNothing()
{
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲", "乙"});
    rig.signIn();
    SyncClient other("b", m_root, rig.s, rig.s.tester());
    rig.s.tester().sessions << QStringLiteral("token-b");
    UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    QVERIFY(other.pull(SyncEngine::PullKind::Full));
    other.deleteNote(other.ctx()->findFirstByAttribute<NoteDetail>("content", "甲"));
    QVERIFY(other.sync());
    rig.device->activate();

    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    QSignalSpy editing(rig.pane.get(), &NoteDetailPresenter::editingChanged);
    rig.recorder.clear();
    emit rig.events.syncPushNoteDatas(NoteKey{});
    QVERIFY(rig.settle());
    QVERIFY(!rig.note("甲"));
    QVERIFY(rig.pane->shownNote().isNull());
    QCOMPARE(rig.shownToEditor.last(), NoteKey{});
    QCOMPARE(editing.size(), 1);
    QVERIFY(!rig.pane->isEditing());
    // The column is told with the list's category.
    QCOMPARE(rig.leftHomeReloads(), QStringList{"ReloadLeftHomeList=Classify:" + c->classId()});
}

void TstNoteDetail::newNoteKeepsItsPlaceAcrossThePush()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    rig.signIn();
    rig.pane->addNote();
    const NoteKey made = rig.pane->shownNote();
    QVERIFY(made.cId.startsWith('c'));
    NoteDetail *n = EventKeys::find(*rig.ctx(), made);
    // What the editor does at confirm.
    n->setContent("新的");
    n->setActionType(1);
    n->setIsSync(false);
    rig.pane->applyRemind(dateValue());
    rig.shownToEditor.clear();
    rig.pane->editConfirmed();
    QVERIFY(rig.settle());

    // The same row, now under its server id, still shown.
    QCOMPARE(rig.pane->shownNote().pk, made.pk);
    QVERIFY(!rig.pane->shownNote().cId.contains('c'));
    QCOMPARE(rig.shownToEditor.last(), rig.pane->shownNote());
    QCOMPARE(n->remind()->remindDateTime(), QStringLiteral("2026/3/5 8:30:00"));
    const QStringList service = rig.s.picture();
    QVERIFY(service.contains("  " + rig.pane->shownNote().cId + " 新的 @2026/3/5 8:30:00"));
    QCOMPARE(service, rig.device->picture());
}

void TstNoteDetail::undoOfAnUploadedCompletion_data()
{
    QTest::addColumn<QString>("answer"); // ok, refused, no reply
    QTest::addColumn<bool>("undone");
    QTest::addRow("taken") << "ok" << true;
    QTest::addRow("refused") << "refused" << false;
    QTest::addRow("no reply") << "no reply" << false;
}

void TstNoteDetail::undoOfAnUploadedCompletion()
{
    QFETCH(QString, answer);
    QFETCH(bool, undone);
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲", "乙"});
    rig.signIn();
    rig.device->completeNote(rig.note("甲"));
    QVERIFY(rig.device->sync());
    UserDefaults::setValue(SignInKeys::Version, "41");
    if (answer == "refused")
        rig.s.service->setFault("note/revokeCompleted", StandinFault::replyCode(404, "内容不存在"));
    else if (answer == "no reply")
        rig.s.service->setFault("note/revokeCompleted", StandinFault::of(StandinFault::Kind::Reset));
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.recorder.clear();
    rig.s.service->clearRequests();

    emit rig.events.revokeCompleteNote();
    QVERIFY(rig.pane->isRevoking());
    // A second undo while the first waits is not sent.
    rig.pane->completionRevoked();
    QTRY_VERIFY(!rig.pane->isRevoking());
    // (The network layer sends a request again once when the connection is reset.)
    if (answer != "no reply")
        QCOMPARE(rig.s.service->requestCount("note/revokeCompleted"), 1);
    NoteDetail *n = rig.note("甲");
    QCOMPARE(n->isCompleted(), !undone);
    QCOMPARE(rig.device->version(), undone ? QStringLiteral("42") : QStringLiteral("41"));
    QCOMPARE(rig.leftHomeReloads(),
             undone ? QStringList{"ReloadLeftHomeList=Classify:" + c->classId()} : QStringList());
    if (undone) {
        QVERIFY(n->isSync());
        QCOMPARE(n->actionType(), 2);
        QVERIFY(n->completedTime().isEmpty());
        QVERIFY(!rig.s.picture().join('\n').contains("done"));
    }
    // The service was asked first; nothing was pushed.
    QCOMPARE(rig.pushes().size(), 0);
}

void TstNoteDetail::undoRelinksANoteTheCompletionDeleted_data()
{
    QTest::addColumn<bool>("uploaded");
    QTest::addColumn<int>("addPosition");
    QTest::addColumn<QStringList>("order");
    QTest::addRow("uploaded, new notes at the top") << true << 1 << QStringList{"乙", "甲", "丙"};
    QTest::addRow("uploaded, new notes at the bottom") << true << 0 << QStringList{"甲", "丙", "乙"};
    QTest::addRow("never uploaded, at the top") << false << 1 << QStringList{"乙", "甲", "丙"};
    QTest::addRow("never uploaded, at the bottom") << false << 0 << QStringList{"甲", "丙", "乙"};
}

void TstNoteDetail::undoRelinksANoteTheCompletionDeleted()
{
    QFETCH(bool, uploaded);
    QFETCH(int, addPosition);
    QFETCH(QStringList, order);
    DetailTestRig rig(m_root);
    Classify *c = rig.syncedCategory({"甲", "乙", "丙"});
    rig.signIn();
    NoteDetail *n = rig.note("乙");
    if (!uploaded) {
        // Made offline: it still has its client id.
        rig.device->deleteNote(n);
        QVERIFY(rig.device->sync());
        n = rig.device->addNote(c, "乙");
        rig.device->moveNote(n, 1);
        QVERIFY(n->cId().startsWith('c'));
    }
    UserSet *set = rig.ctx()->findFirstWhere<UserSet>();
    if (!set)
        set = rig.ctx()->create<UserSet>();
    set->setNoteCompleteActionType(3);
    set->setNoteAddPositionType(qint16(addPosition));
    rig.device->save();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(n));
    // Completed while the service cannot be reached: deleted and unlinked here only.
    QCOMPARE(rig.services.noteActions->completeActionWithNote(n), 3);
    QCOMPARE(n->actionType(), 3);

    rig.pane->revokeCompletion();
    QVERIFY(rig.settle());
    QTRY_VERIFY(!rig.pane->isRevoking());
    QVERIFY(rig.settle());
    n = rig.note("乙");
    QVERIFY(n);
    QVERIFY(!n->isCompleted());
    QVERIFY(n->actionType() != 3);
    QStringList local;
    for (NoteDetail *x : rig.device->notesOf(c))
        local << x->content();
    QCOMPARE(local, order);
    // The new place reached the service, in one chain.
    QCOMPARE(rig.s.picture(), rig.device->picture());
    QVERIFY(rig.s.notes->isLinear(rig.s.tester(), c->classId()));
}

void TstNoteDetail::signOutDropsTheShownNoteAndTheCycle()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.pane->applyRemind(dateValue());
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.pane->editConfirmed();
    QVERIFY(rig.pane->isSyncing());
    rig.services.session->signOut();
    QVERIFY(!rig.pane->isSyncing());
    QVERIFY(!rig.pane->isEditing());
    QVERIFY(rig.pane->shownNote().isNull());
    QVERIFY(!rig.pane->pendingRemind());
    rig.recorder.clear();
    QTest::qWait(50);
    QVERIFY(rig.leftHomeReloads().isEmpty());
    // Signed out, nothing is sent.
    const int before = rig.pushes().size();
    emit rig.events.syncPushNoteDatas(NoteKey{});
    QTest::qWait(20);
    QCOMPARE(rig.pushes().size(), before);
}

void TstNoteDetail::snapshotRestoreDropsAWaitingCycle()
{
    DetailTestRig rig(m_root);
    rig.syncedCategory({"甲"});
    rig.signIn();
    emit rig.events.reloadNoteDetail(DetailTestRig::keyOf(rig.note("甲")));
    rig.device->editNote(rig.note("甲"), "甲2");
    rig.s.service->clearRequests();
    rig.recorder.clear();
    rig.pane->editConfirmed();
    QVERIFY(rig.pane->isSyncing());
    // The restore replaces everything: the waiting push would write the old data back.
    rig.device->engine->pull(SyncEngine::PullKind::SnapshotRestore);
    QVERIFY(!rig.pane->isSyncing());
    QVERIFY(rig.settle());
    QCOMPARE(rig.pushes().size(), 0);
    QCOMPARE(rig.pullVersions(), QStringList{"0"});
    QVERIFY(rig.leftHomeReloads().isEmpty());
    QCOMPARE(rig.s.feedback->busyCount(), 0);
}

PRELVANE_TEST_MAIN(TstNoteDetail)
#include "tst_notedetail.moc"
