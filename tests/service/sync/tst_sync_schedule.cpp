// The reminder schedule of a device whose scheduler follows the store's
// change sets, as the program runs it, while it pulls other devices' changes
// and pushes its own (a reminder made here moves to the note's server id).

#include "SyncClient.h"
#include "SyncTestService.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "service/sync/SyncNotesManager.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

class TstSyncSchedule : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void pulledAndPushedRemindersStayScheduled();

private:
    QString m_root;
};

namespace {

// Identifier → delivery time of every pending notification.
QMap<QString, QString> pending(const UserNotificationCenter &center)
{
    QMap<QString, QString> out;
    for (const UserNotification &n : center.scheduledNotifications())
        out.insert(n.identifier, n.deliveryDate.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    return out;
}

} // namespace

void TstSyncSchedule::pulledAndPushedRemindersStayScheduled()
{
    SyncTestService s;
    FakeUserNotificationCenter otherCenter;
    SyncClient other("b", m_root, *s.api, *s.session, otherCenter, *s.feedback, *s.service, s.tester());
    s.tester().sessions << QStringLiteral("token-b");
    UserDefaults::setValue(SignInKeys::AccessToken, QStringLiteral("token-b"));
    UserDefaults::sync();
    SyncClient here("a", m_root, s, s.tester());
    here.activate();
    // This device's program: its planner follows every saved change.
    TestGraph graph(ProgramServices::Parts()
                        .use(here.store.get())
                        .use(s.feedback.get())
                        .use(s.notifications.get())
                        .use(s.api.get())
                        .use(here.engine.get()));
    here.planner = graph.services().reminders.get();
    graph.services().reminders->start();
    FakeUserNotificationCenter &center = *s.notifications;

    // The other device works with its own notification centre.
    auto onOther = [&](const std::function<void()> &change) {
        other.activate();
        change();
        const bool ok = other.sync();
        here.activate();
        return ok;
    };

    Classify *work = nullptr;
    QVERIFY(onOther([&] {
        work = other.addCategory("工作");
        other.setReminder(other.addNote(work, "周会"), "2030/1/5 9:00:00");
    }));
    QVERIFY(here.pull(SyncEngine::PullKind::Full));
    const QString meeting = here.liveNotes().first()->cId();
    QCOMPARE(pending(center), (QMap<QString, QString>{{meeting, "2030-01-05 09:00"}}));

    // Changed and added elsewhere, then a delta pull.
    QVERIFY(onOther([&] {
        NoteDetail *n = other.liveNotes().first();
        other.setReminder(n, "2030/1/6 10:30:00");
        other.setReminder(other.addNote(other.categories().first(), "写周报"), "2030/2/1 18:00:00");
    }));
    QVERIFY(here.pull());
    const NoteDetail *report = here.ctx()->findFirstByAttribute<NoteDetail>("content", "写周报");
    QVERIFY(report);
    QCOMPARE(pending(center),
             (QMap<QString, QString>{{meeting, "2030-01-06 10:30"}, {report->cId(), "2030-02-01 18:00"}}));

    // A reminder set here under a client id follows the note to its server id.
    NoteDetail *mine = here.addNote(here.categories().first(), "买票");
    here.setReminder(mine, "2030/3/1 8:00:00");
    const QString clientId = mine->cId();
    QVERIFY(pending(center).contains(clientId));
    QVERIFY(here.sync());
    QVERIFY(!SyncNotesManager::isClientId(mine->cId()));
    QMap<QString, QString> expected{{meeting, "2030-01-06 10:30"},
                                    {report->cId(), "2030-02-01 18:00"},
                                    {mine->cId(), "2030-03-01 08:00"}};
    QCOMPARE(pending(center), expected);

    // Deleted elsewhere: withdrawn here by the pull.
    QVERIFY(
        onOther([&] { other.deleteNote(other.ctx()->findFirstByAttribute<NoteDetail>("content", "周会")); }));
    QVERIFY(here.pull());
    expected.remove(meeting);
    QCOMPARE(pending(center), expected);
    // A forced full pull leaves the schedule as it is.
    QVERIFY(here.pull(SyncEngine::PullKind::Full));
    QCOMPARE(pending(center), expected);
}

PRELVANE_TEST_MAIN(TstSyncSchedule)
#include "tst_sync_schedule.moc"
