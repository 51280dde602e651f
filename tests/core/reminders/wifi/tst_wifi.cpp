#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "core/reminders/wifi/NetworkStatusManager.h"
#include "core/reminders/wifi/WIFIManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QSettings>
#include <QSignalSpy>

#include <memory>

namespace {

const QString nowText = QStringLiteral("2026/3/2 12:30:00");
constexpr int absent = -100; // no "lastWiFiType" stored

QDateTime now()
{
    return QDateTime(QDate(2026, 3, 2), QTime(12, 30));
}

// One network change: what was stored before, what the monitor reports now.
struct Transition
{
    int lastType = absent;
    QString lastName;
    int status = 0;
    QString name;
};

// One reminder on the note; its remindWifiDateTime lies stampHoursAgo before now
// (negative: ahead of now), none when noStamp.
constexpr double noStamp = 1e9;

struct Reminder
{
    QString ids;
    int type = 0; // 0 join, else leave
    int status = 0;
    double stampHoursAgo = noStamp;
    int silenceHours = 0;
    int remindActionType = 2;
    QString rawStamp; // written as it stands when set
};

// The note's own state.
struct Note
{
    int actionType = 0;
    bool completed = false;
};

Reminder rem(const QString &ids, int type, int status = 0, double stampHoursAgo = noStamp,
             int silenceHours = 0, int remindActionType = 2, const QString &rawStamp = {})
{
    Reminder r;
    r.ids = ids;
    r.type = type;
    r.status = status;
    r.stampHoursAgo = stampHoursAgo;
    r.silenceHours = silenceHours;
    r.remindActionType = remindActionType;
    r.rawStamp = rawStamp;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Transition)
Q_DECLARE_METATYPE(Reminder)
Q_DECLARE_METATYPE(Note)

class TestWiFiReminders : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<TestGraph> m_graph;
    FakeNetworkMonitor *m_monitor = nullptr;

    NetworkStatusManager &status() const { return *m_graph->services().networkStatus; }
    WiFiRemindManager &reminds() const { return *m_graph->services().wifiReminds; }
    WIFIManager &wifi() const { return *m_graph->services().wifi; }

    Context *ctx() { return m_fx.ctx(); }
    FakeUserNotificationCenter *center() const { return m_fx.center(); }

    WiFiRemind *saveNetwork(const QString &id, const QString &name, const QString &alias = {})
    {
        auto *w = ctx()->create<WiFiRemind>();
        w->setWifiId(id);
        w->setName(name);
        w->setAlias(alias);
        return w;
    }

    void setSilence(int hours) { m_fx.settings()->setWifiSilenceRemindInterval(qint16(hours)); }

    NoteDetail *addNote(const QString &cId, const Reminder &r, const Note &n = {})
    {
        NoteDetail *note = m_fx.note(cId, nullptr, QStringLiteral("带上电脑 ") + cId);
        note->setActionType(qint16(n.actionType));
        note->setIsCompleted(n.completed);
        note->setIsSync(true);
        DateRemind *remind = m_fx.remind(note, r.remindActionType);
        remind->setCId(cId);
        remind->setConnectWifiIds(r.ids);
        remind->setConnectWifiType(qint16(r.type));
        remind->setRemindWifiStatus(qint16(r.status));
        if (!r.rawStamp.isEmpty())
            remind->setRemindWifiDateTime(r.rawStamp);
        else if (r.stampHoursAgo != noStamp)
            remind->setRemindWifiDateTime(
                now().addSecs(qint64(-r.stampHoursAgo * 3600)).toString(QStringLiteral("yyyy/M/d H:mm:ss")));
        return note;
    }

    void storeLast(const Transition &t)
    {
        if (t.lastType != absent)
            UserDefaults::setValue("lastWiFiType", QString::number(t.lastType));
        if (!t.lastName.isNull())
            UserDefaults::setValue("lastWiFiName", t.lastName);
    }

    // The identifiers of every notification scheduled so far, in order.
    QStringList scheduledIds() const
    {
        QStringList ids;
        for (const UserNotification &n : center()->scheduleLog())
            ids << n.identifier;
        return ids;
    }

    // The note of a table row, not saved yet, and the state before the change as stored and as monitored.
    NoteDetail *arrange(const Transition &change, const Reminder &reminder, const Note &note)
    {
        setSilence(reminder.silenceHours);
        NoteDetail *n = addNote("c1", reminder, note);
        storeLast(change);
        m_monitor->setCurrentWiFiName(change.name);
        return n;
    }

    // Nothing fired: no notification, the note and its reminder as they were.
    void checkNotFired(NoteDetail *n, const Reminder &reminder, const Note &note, const QString &stampBefore)
    {
        QVERIFY(center()->scheduleLog().isEmpty());
        QCOMPARE(n->remind()->remindWifiStatus(), qint16(reminder.status));
        QCOMPARE(n->remind()->remindWifiDateTime(), stampBefore);
        QCOMPARE(n->actionType(), qint16(note.actionType));
        QCOMPARE(n->isSync(), true);
    }

    void checkFired(NoteDetail *note)
    {
        DateRemind *r = note->remind();
        QCOMPARE(r->remindWifiStatus(), qint16(1));
        QCOMPARE(r->remindActionType(), qint16(2));
        QCOMPARE(r->remindWifiDateTime(), nowText);
        QCOMPARE(note->isSync(), false);
        QCOMPARE(note->actionType(), qint16(2));
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(now()));
        m_graph = std::make_unique<TestGraph>(m_fx);
        m_monitor = m_graph->network();

        saveNetwork("12", "Office", "办公室");
        saveNetwork("34", "Home");
        saveNetwork("2", "Cafe");
        QVERIFY(ctx()->saveAndWait());
    }

    void cleanup()
    {
        status().unregisterNetwork();
        m_monitor = nullptr;
        m_graph.reset();
        m_fx.close();
    }

    void transitions_data()
    {
        QTest::addColumn<Transition>("change");
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<Note>("note");
        QTest::addColumn<bool>("fires");

        auto row = [](const char *name, Transition t, Reminder r, bool fires, Note n = {}) {
            QTest::newRow(name) << t << r << n << fires;
        };
        const Transition joinOffice{0, "", 2, "Office"};
        const Transition leaveOffice{2, "Office", 0, ""};
        const Reminder joinListed = rem("12", 0);
        const Reminder leaveListed = rem("12", 1);

        // Joining.
        row("join the listed network", joinOffice, joinListed, true);
        row("join the second listed network", {0, "", 2, "Home"}, rem("12,34", 0), true);
        row("join a saved network not listed", {0, "", 2, "Home"}, joinListed, false);
        row("join network 2 with the list 12,34", {0, "", 2, "Cafe"}, rem("12,34", 0), false);
        row("join an unsaved network, listed reminder", {0, "", 2, "Airport"}, joinListed, false);
        row("join an unsaved network, any network", {0, "", 2, "Airport"}, rem("0", 0), true);
        row("join a hidden network, any network", {0, "", 2, ""}, rem("0", 0), true);
        row("join a hidden network, listed reminder", {0, "", 2, ""}, joinListed, false);
        row("join from mobile data", {1, "", 2, "Office"}, joinListed, true);
        row("join with no status stored before", {absent, {}, 2, "Office"}, joinListed, true);
        row("join, leave reminder", joinOffice, leaveListed, false);
        row("join, already fired", joinOffice, rem("12", 0, 1), false);
        row("join inside the silence window", joinOffice, rem("12", 0, 0, 1.0, 3), false);
        row("join at the end of the silence window", joinOffice, rem("12", 0, 0, 3.0, 3), true);
        row("join after the silence window", joinOffice, rem("12", 0, 0, 3.5, 3), true);
        row("join, no firing time with a silence window", joinOffice, rem("12", 0, 0, noStamp, 3), true);
        row("join, unreadable firing time with a silence window", joinOffice,
            rem("12", 0, 0, noStamp, 3, 2, "yesterday"), true);
        row("join, firing time in the short form", joinOffice,
            rem("12", 0, 0, noStamp, 3, 2, "2026/3/2 11:00"), false);
        row("join, firing time ahead, no silence window", joinOffice, rem("12", 0, 0, -8.0, 0), true);
        // Wi-Fi reported again (a start on Wi-Fi after a run that ended on Wi-Fi).
        row("Wi-Fi again on the same network", {2, "Office", 2, "Office"}, joinListed, false);
        row("Wi-Fi again on another network, join", {2, "Home", 2, "Office"}, joinListed, true);
        row("Wi-Fi again on another network, leave", {2, "Office", 2, "Home"}, leaveListed, true);
        row("Wi-Fi again, not associated", {2, "Office", 2, ""}, leaveListed, false);

        // Leaving.
        row("leave the listed network for none", leaveOffice, leaveListed, true);
        row("leave the listed network for mobile data", {2, "Office", 1, ""}, leaveListed, true);
        row("leave a network not listed", {2, "Home", 0, ""}, leaveListed, false);
        row("leave any network", {2, "Cafe", 1, ""}, rem("0", 1), true);
        row("leave, any leave type counts", leaveOffice, rem("12", 2), true);
        row("leave, join reminder", leaveOffice, joinListed, false);
        row("leave, already fired", leaveOffice, rem("12", 1, 1), false);
        row("leave inside the silence window", leaveOffice, rem("12", 1, 0, 2.0, 3), false);
        row("leave after the silence window", leaveOffice, rem("12", 1, 0, 4.0, 3), true);
        row("unknown status after Wi-Fi", {2, "Office", -1, ""}, leaveListed, false);
        row("unknown status off Wi-Fi", {0, "", -1, ""}, joinListed, false);
        row("off Wi-Fi to mobile data", {0, "", 1, ""}, leaveListed, false);

        // Notes that must not fire whatever the network does.
        row("deleted note", joinOffice, joinListed, false, {3, false});
        row("completed note", joinOffice, joinListed, false, {0, true});
        row("cleared reminder", joinOffice, rem("12", 0, 0, noStamp, 0, 3), false);
        row("new note fires", joinOffice, joinListed, true, {1, false});
    }

    void transitions()
    {
        QFETCH(Transition, change);
        QFETCH(Reminder, reminder);
        QFETCH(Note, note);
        QFETCH(bool, fires);

        NoteDetail *n = arrange(change, reminder, note);
        QVERIFY(ctx()->saveAndWait());
        const QString stampBefore = n->remind()->remindWifiDateTime();

        EventRecorder spy(m_graph->services().events.get());
        status().networkStatusDidChange(change.status);

        const bool joined = change.status == 2 && change.lastType != 2;
        const bool left = change.status >= 0 && change.status != 2 && change.lastType == 2;
        const bool switched = change.status == 2 && change.lastType == 2 && !change.name.isEmpty() &&
                              change.name != change.lastName;

        // The notification and the rows.
        if (fires) {
            QCOMPARE(center()->scheduleLog().size(), 1);
            const UserNotification shown = center()->scheduleLog().constFirst();
            QCOMPARE(shown.identifier, QString("c1"));
            QCOMPARE(shown.title, QString("Prelvane"));
            QCOMPARE(shown.informativeText, QString("带上电脑 c1"));
            QCOMPARE(shown.deliveryDate, now());
            checkFired(n);
        } else {
            checkNotFired(n, reminder, note, stampBefore);
            QCOMPARE(n->remind()->remindActionType(), qint16(reminder.remindActionType));
        }

        // The fired state is on disk, not only in memory.
        std::unique_ptr<Context> reader = m_fx.store()->newContext();
        NoteDetail *stored = reader->findFirstByAttribute<NoteDetail>("cId", "c1");
        QVERIFY(stored && stored->remind());
        QCOMPARE(stored->remind()->remindWifiStatus(), qint16(fires ? 1 : reminder.status));
        QCOMPARE(stored->isSync(), !fires);

        // The events: a reload after every join or leave, a push unless unreachable now.
        QStringList expected;
        if (joined || left || switched) {
            expected << "NotesListReloadDatas=NoteListReloadTypeAll";
            if (change.status != 0)
                expected << "SyncPushNoteDatas=";
        }
        QCOMPARE(spy.events, expected);

        // What is remembered for the next change.
        const QString lastType =
            change.status < 0 ? (change.lastType == absent ? QString() : QString::number(change.lastType))
                              : QString::number(change.status);
        QCOMPARE(UserDefaults::string("lastWiFiType"), lastType);
        QCOMPARE(UserDefaults::string("lastWiFiName"), joined || switched ? change.name : change.lastName);
    }

    // A new network name reported while on Wi-Fi: lastType/status are the stored
    // "lastWiFiType" and the monitor's status at that moment.
    void switches_data()
    {
        QTest::addColumn<Transition>("change");
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<Note>("note");
        QTest::addColumn<bool>("fires");

        auto row = [](const char *name, Transition t, Reminder r, bool fires, Note n = {}) {
            QTest::newRow(name) << t << r << n << fires;
        };
        const Transition officeToHome{2, "Office", 2, "Home"};

        // Joining the new network.
        row("join the new network, listed", officeToHome, rem("34", 0), true);
        row("join the new network, second listed", officeToHome, rem("12,34", 0), true);
        row("join, only the old network listed", officeToHome, rem("12", 0), false);
        row("join an unsaved network, any network", {2, "Office", 2, "Airport"}, rem("0", 0), true);
        row("join an unsaved network, listed", {2, "Office", 2, "Airport"}, rem("34", 0), false);
        row("join, already fired", officeToHome, rem("34", 0, 1), false);
        row("join inside the silence window", officeToHome, rem("34", 0, 0, 1.0, 3), false);
        row("join after the silence window", officeToHome, rem("34", 0, 0, 3.5, 3), true);

        // Leaving the old one.
        row("leave the old network, listed", officeToHome, rem("12", 1), true);
        row("leave, any network", officeToHome, rem("0", 1), true);
        row("leave, only the new network listed", officeToHome, rem("34", 1), false);
        row("leave an unsaved network, listed", {2, "Airport", 2, "Home"}, rem("12", 1), false);
        row("leave an unsaved network, any network", {2, "Airport", 2, "Home"}, rem("0", 1), true);
        row("leave, already fired", officeToHome, rem("12", 1, 1), false);
        row("leave inside the silence window", officeToHome, rem("12", 1, 0, 2.0, 3), false);
        row("leave after the silence window", officeToHome, rem("12", 1, 0, 4.0, 3), true);

        // The name of the network joined was not known: nothing was left.
        row("from an unknown name, join", {2, "", 2, "Home"}, rem("34", 0), true);
        row("from an unknown name, leave any", {2, "", 2, "Home"}, rem("0", 1), false);
        row("from no stored name, join", {2, {}, 2, "Home"}, rem("34", 0), true);

        // Nothing changed, or not a switch.
        row("the same network again", {2, "Office", 2, "Office"}, rem("12", 1), false);
        row("the same network again, any", {2, "Office", 2, "Office"}, rem("0", 0), false);
        row("disassociated, status still Wi-Fi", {2, "Office", 2, ""}, rem("12", 1), false);
        row("disassociated, any network", {2, "Office", 2, ""}, rem("0", 1), false);
        row("status unknown", {2, "Office", -1, "Home"}, rem("34", 0), false);
        row("status not reachable, the leave still to come", {2, "Office", 0, "Home"}, rem("12", 1), false);
        row("status Wi-Fi, the join still to come", {0, "Office", 2, "Home"}, rem("34", 0), false);
        row("nothing stored yet", {absent, {}, 2, "Home"}, rem("34", 0), false);

        // Notes that must not fire.
        row("deleted note, join", officeToHome, rem("34", 0), false, {3, false});
        row("completed note, leave", officeToHome, rem("12", 1), false, {0, true});
        row("cleared reminder", officeToHome, rem("12", 1, 0, noStamp, 0, 3), false);
    }

    void switches()
    {
        QFETCH(Transition, change);
        QFETCH(Reminder, reminder);
        QFETCH(Note, note);
        QFETCH(bool, fires);

        NoteDetail *n = arrange(change, reminder, note);
        QVERIFY(ctx()->saveAndWait());
        const QString stampBefore = n->remind()->remindWifiDateTime();

        EventRecorder spy(m_graph->services().events.get());
        status().wifiNameDidChange(change.status, change.name);

        if (fires) {
            QCOMPARE(center()->scheduleLog().size(), 1);
            QCOMPARE(center()->scheduleLog().constFirst().identifier, QString("c1"));
            QCOMPARE(center()->scheduleLog().constFirst().informativeText, QString("带上电脑 c1"));
            checkFired(n);
        } else {
            checkNotFired(n, reminder, note, stampBefore);
        }
        std::unique_ptr<Context> reader = m_fx.store()->newContext();
        NoteDetail *stored = reader->findFirstByAttribute<NoteDetail>("cId", "c1");
        QVERIFY(stored && stored->remind());
        QCOMPARE(stored->remind()->remindWifiStatus(), qint16(fires ? 1 : reminder.status));

        // A switch is one change: one reload and one push, whatever fired.
        const bool switched = change.status == 2 && change.lastType == 2 && !change.name.isEmpty() &&
                              change.name != change.lastName;
        const QStringList expected =
            switched ? QStringList{"NotesListReloadDatas=NoteListReloadTypeAll", "SyncPushNoteDatas="}
                     : QStringList{};
        QCOMPARE(spy.events, expected);
        QCOMPARE(UserDefaults::string("lastWiFiName"), switched ? change.name : change.lastName);
        const QString lastType = change.lastType == absent ? QString() : QString::number(change.lastType);
        QCOMPARE(UserDefaults::string("lastWiFiType"), lastType);
    }

    // Office, straight to Home, then off: the leave of Office and the join of Home
    // fire at the switch, and the disconnect fires the leave of Home.
    void aSwitchThenADisconnectFiresEachNetworksReminders()
    {
        addNote("leaveOffice", rem("12", 1));
        addNote("joinHome", rem("34", 0));
        addNote("leaveHome", rem("34", 1));
        addNote("joinOffice", rem("12", 0));
        QVERIFY(ctx()->saveAndWait());
        UserDefaults::setValue("lastWiFiType", "0");
        status().registerNetwork();
        EventRecorder spy(m_graph->services().events.get());

        m_monitor->change(2, "Office");
        QCOMPARE(scheduledIds(), QStringList({"joinOffice"}));
        QCOMPARE(spy.events.size(), 2);

        // Roaming passes through no association at all before the new network.
        m_monitor->setCurrentWiFiName("");
        QCOMPARE(UserDefaults::string("lastWiFiName"), QString("Office"));
        m_monitor->change(2, "Home");
        QCOMPARE(scheduledIds(), QStringList({"joinOffice", "leaveOffice", "joinHome"}));
        QCOMPARE(UserDefaults::string("lastWiFiName"), QString("Home"));
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("2"));
        QCOMPARE(spy.events.size(), 4);

        m_monitor->change(0, "");
        QCOMPARE(scheduledIds(), QStringList({"joinOffice", "leaveOffice", "joinHome", "leaveHome"}));
        QCOMPARE(spy.events.size(), 5);
        QVERIFY(!ctx()->hasChanges());
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("0"));
    }

    // Switching back and forth: each armed reminder fires once; once per switch
    // the events; a name reported twice is no further switch.
    void switchingBackAndForthFiresEachReminderOnce()
    {
        addNote("c1", rem("12", 1));
        addNote("c2", rem("34", 0));
        addNote("c3", rem("0", 0));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->change(2, "Office");
        status().registerNetwork(); // joins Office: c3 fires
        EventRecorder spy(m_graph->services().events.get());
        for (int i = 0; i < 20; ++i) {
            m_monitor->setCurrentWiFiName(i % 2 ? "Office" : "Home");
            status().wifiNameDidChange(2, i % 2 ? "Office" : "Home");
        }
        QCOMPARE(scheduledIds(), QStringList({"c3", "c1", "c2"}));
        // The monitor's signal switches; the same name handed in again does not.
        QCOMPARE(spy.events.size(), 20 * 2);
        QCOMPARE(UserDefaults::string("lastWiFiName"), QString("Office"));
    }

    // The monitor said another network while the program was not running.
    void startingOnAnotherWiFiNetworkIsASwitch()
    {
        addNote("leaveOffice", rem("12", 1));
        addNote("joinHome", rem("34", 0));
        QVERIFY(ctx()->saveAndWait());
        UserDefaults::setValue("lastWiFiType", "2");
        UserDefaults::setValue("lastWiFiName", "Office");
        m_monitor->change(2, "Home");
        status().registerNetwork();
        QCOMPARE(center()->scheduleLog().size(), 2);
        QCOMPARE(center()->scheduleLog().at(0).identifier, QString("leaveOffice"));
        QCOMPARE(center()->scheduleLog().at(1).identifier, QString("joinHome"));
        QCOMPARE(UserDefaults::string("lastWiFiName"), QString("Home"));
    }

    void silenceWindowFollowsTheClock()
    {
        // Saved at 9:00 with a 3-hour window: 10:00 is silent, 12:30 fires.
        setSilence(3);
        NoteDetail *n = addNote("c1", rem("12", 0, 0, 3.5, 3)); // 9:00
        QCOMPARE(n->remind()->remindWifiDateTime(), QString("2026/3/2 9:00:00"));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");

        Clock::setNow(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
        m_monitor->setStatus(2);
        status().networkStatusDidChange(2);
        QCOMPARE(n->remind()->remindWifiStatus(), qint16(0));
        status().networkStatusDidChange(0);

        Clock::setNow(now());
        status().networkStatusDidChange(2);
        QCOMPARE(n->remind()->remindWifiStatus(), qint16(1));
        QCOMPARE(center()->scheduleLog().size(), 1);
    }

    void firedReminderWaitsUntilArmedAgain()
    {
        NoteDetail *n = addNote("c1", rem("12", 0));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);
        status().networkStatusDidChange(0);
        status().networkStatusDidChange(2);
        QCOMPARE(center()->scheduleLog().size(), 1);

        // Completing the note arms it again (done by the note actions; here by hand).
        n->remind()->setRemindWifiStatus(0);
        QVERIFY(ctx()->saveAndWait());
        status().networkStatusDidChange(0);
        status().networkStatusDidChange(2);
        QCOMPARE(center()->scheduleLog().size(), 2);
    }

    void onlyMatchingNotesFireAndEachGetsItsNotification()
    {
        addNote("c1", rem("12", 0));
        addNote("c2", rem("0", 0));
        addNote("c3", rem("34", 0));
        addNote("c4", rem("12", 1));
        auto *plain = ctx()->create<NoteDetail>(); // a note without reminder
        plain->setCId("c5");
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);

        QStringList ids = scheduledIds();
        ids.sort();
        QCOMPARE(ids, QStringList({"c1", "c2"}));
    }

    void aNetworkSavedTwiceMatchesEitherEntry()
    {
        saveNetwork("56", "Office");
        addNote("c1", rem("56", 0));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);
        QCOMPARE(center()->scheduleLog().size(), 1);
    }

    void aFiredNotificationReplacesTheDeliveredOne()
    {
        addNote("c1", rem("0", 0));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);
        QTRY_COMPARE(center()->deliveredNotifications().size(), 1);

        ctx()->findFirstByAttribute<NoteDetail>("cId", "c1")->remind()->setRemindWifiStatus(0);
        status().networkStatusDidChange(0);
        Clock::advance(60 * 1000);
        status().networkStatusDidChange(2);
        QTRY_COMPARE(center()->presented().size(), 2);
        QCOMPARE(center()->deliveredNotifications().size(), 1);
    }

    void registerHandlesTheCurrentStatusThenEachChange()
    {
        addNote("c1", rem("12", 0));
        addNote("c2", rem("12", 1));
        QVERIFY(ctx()->saveAndWait());

        // The previous run ended on Wi-Fi: starting on Wi-Fi again fires nothing.
        UserDefaults::setValue("lastWiFiType", "2");
        UserDefaults::setValue("lastWiFiName", "Office");
        m_monitor->change(2, "Office");
        status().registerNetwork();
        QVERIFY(center()->scheduleLog().isEmpty());

        m_monitor->change(1, "");
        QCOMPARE(center()->scheduleLog().size(), 1);
        QCOMPARE(center()->scheduleLog().constLast().identifier, QString("c2"));
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("1"));

        // Registering again does not double the handling.
        status().registerNetwork();
        m_monitor->change(2, "Office");
        QCOMPARE(center()->scheduleLog().size(), 2);
        QCOMPARE(center()->scheduleLog().constLast().identifier, QString("c1"));

        status().unregisterNetwork();
        m_monitor->change(0, "");
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("2"));
    }

    void startingOnWiFiAfterARunOffWiFiFiresTheJoinReminders()
    {
        addNote("c1", rem("12", 0));
        QVERIFY(ctx()->saveAndWait());
        UserDefaults::setValue("lastWiFiType", "0");
        m_monitor->change(2, "Office");
        status().registerNetwork();
        QCOMPARE(center()->scheduleLog().size(), 1);
        QCOMPARE(UserDefaults::string("lastWiFiName"), QString("Office"));
    }

    // The pieces always have their store; what is left of "no store" is a row that
    // lives in none (its networks cannot be named) and a join with nothing to fire.
    void withNothingToFireTheStatusIsKeptAndARowWithoutAStoreNamesAnyNetwork()
    {
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);
        QVERIFY(center()->scheduleLog().isEmpty());
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("2"));
        QCOMPARE(WiFiRemindManager::getWiFiNamesWithWiFiIds(nullptr, "12"), QString("任意无线"));
        QVERIFY(reminds().addUserNotificationWiFiRemindWithDateTime("", "0", 0, 0, "Office"));
    }

    void namesOfTheListedNetworks_data()
    {
        QTest::addColumn<QString>("ids");
        QTest::addColumn<QString>("names");
        QTest::newRow("alias, else name") << "12,34"
                                          << "办公室;Home";
        QTest::newRow("list order") << "34,12"
                                    << "Home;办公室";
        QTest::newRow("unknown ids skipped") << "99,34,77"
                                             << "Home";
        QTest::newRow("spaces and empty elements") << " 12 ,,34,"
                                                   << "办公室;Home";
        QTest::newRow("any network") << "0"
                                     << "任意无线";
        QTest::newRow("nothing saved") << "99"
                                       << "任意无线";
        QTest::newRow("empty") << ""
                               << "任意无线";
    }
    void namesOfTheListedNetworks()
    {
        QFETCH(QString, ids);
        QFETCH(QString, names);
        QCOMPARE(reminds().getWiFiNamesWithWiFiIds(ids), names);
    }

    void anyNetworkList_data()
    {
        QTest::addColumn<QString>("ids");
        QTest::addColumn<bool>("any");
        QTest::newRow("0") << "0" << true;
        QTest::newRow(" 0 ") << " 0 " << true;
        QTest::newRow("00") << "00" << true;
        QTest::newRow("12") << "12" << false;
        QTest::newRow("12,0") << "12,0" << false;
        QTest::newRow("text") << "abc" << false;
        QTest::newRow("empty") << "" << false;
    }
    void anyNetworkList()
    {
        QFETCH(QString, ids);
        QFETCH(bool, any);
        QCOMPARE(WiFiRemindManager::isAnyNetwork(ids), any);
    }

    // Many transitions within a second: each armed reminder fires once, and the
    // events are one reload per transition and one push per reachable one.
    void flappingFiresEachReminderOnce()
    {
        NoteDetail *join = addNote("c1", rem("12", 0));
        NoteDetail *leave = addNote("c2", rem("12", 1));
        QVERIFY(ctx()->saveAndWait());
        status().registerNetwork();
        EventRecorder spy(m_graph->services().events.get());
        for (int i = 0; i < 50; ++i) {
            m_monitor->change(2, "Office");
            m_monitor->change(i % 2 ? 0 : 1, "");
        }
        QCOMPARE(scheduledIds(), QStringList({"c1", "c2"}));
        checkFired(join);
        checkFired(leave);
        QCOMPARE(spy.events.size(), 100 + 75);
        QVERIFY(!ctx()->hasChanges());
        QCOMPARE(UserDefaults::string("lastWiFiType"), QString("0"));
    }

    void aNoteDeletedBetweenTransitionsNeverFires()
    {
        NoteDetail *marked = addNote("c1", rem("12", 1));
        NoteDetail *gone = addNote("c2", rem("0", 1));
        addNote("c3", rem("12", 1));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);

        marked->setActionType(3); // deleted, waiting for the push
        ctx()->deleteObject(gone->remind());
        ctx()->deleteObject(gone); // removed after its push
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("");
        status().networkStatusDidChange(1);
        QCOMPARE(scheduledIds(), QStringList({"c3"}));
        QCOMPARE(marked->actionType(), qint16(3));
        QCOMPARE(marked->remind()->remindWifiStatus(), qint16(0));
    }

    // A saved network the user deleted (waiting for the push) is no longer one to match.
    void aDeletedSavedNetworkDoesNotMatch()
    {
        ctx()->findFirstByAttribute<WiFiRemind>("wifiId", "12")->setActionType(3);
        addNote("c1", rem("12", 0));
        addNote("c2", rem("0", 0));
        QVERIFY(ctx()->saveAndWait());
        m_monitor->setCurrentWiFiName("Office");
        status().networkStatusDidChange(2);
        QCOMPARE(center()->scheduleLog().size(), 1);
        QCOMPARE(center()->scheduleLog().constFirst().identifier, QString("c2"));
        QVERIFY(!reminds().addUserNotificationWiFiRemindWithDateTime("", "12", 0, 0, "Office"));
    }

    // What the next run starts from is on disk after every transition.
    void lastStatusAndNameAreOnDisk()
    {
        m_monitor->setCurrentWiFiName("咖啡馆");
        status().networkStatusDidChange(2);
        {
            QSettings disk(UserDefaults::storagePath(), QSettings::IniFormat);
            QCOMPARE(disk.value("lastWiFiType").toString(), QString("2"));
            QCOMPARE(disk.value("lastWiFiName").toString(), QString("咖啡馆"));
        }
        status().networkStatusDidChange(-1);
        status().networkStatusDidChange(0);
        QSettings disk(UserDefaults::storagePath(), QSettings::IniFormat);
        QCOMPARE(disk.value("lastWiFiType").toString(), QString("0"));
        QCOMPARE(disk.value("lastWiFiName").toString(), QString("咖啡馆"));
    }

    void wifiManagerReadsTheMonitor()
    {
        m_monitor->setCurrentWiFiName("Office");
        m_monitor->setScannedWiFiNames({"Office", "", "Office"});
        QCOMPARE(wifi().getCWWiFiName(), QString("Office"));
        const QList<WIFIModel> list = wifi().getCWNetworkWiFiList();
        QCOMPARE(list.size(), 3);
        QCOMPARE(list.at(0).wifiName, QString("Office"));
        QCOMPARE(list.at(1).wifiName, QString());
    }
};

PRELVANE_TEST_CORE_MAIN(TestWiFiReminders)
#include "tst_wifi.moc"
