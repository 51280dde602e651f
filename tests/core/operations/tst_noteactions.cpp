#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/operations/NoteActionManager.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Clock.h"
#include "platform/calendar/Calendar.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QRegularExpression>

#include <functional>
#include <memory>

namespace {

const QString limitAlert = QStringLiteral("添加提醒失败,请确保当前存在的提醒不超过100条");

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

QDateTime at(const QString &text)
{
    return DateManager::getDateFromString(text);
}

// A reminder as a completion test starts from it.
struct Remind
{
    bool present = true;
    int actionType = 2; // remindActionType
    int cycle = 0;
    QString real;
    QString end;
    QString wifi;
    int wifiStatus = 0;
};

} // namespace

Q_DECLARE_METATYPE(Remind)

class TestNoteActions : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<RecordingFeedback> m_feedback;
    std::unique_ptr<TestGraph> m_graph;
    Classify *m_category = nullptr;

    NoteActionManager &actions() const { return *m_graph->services().noteActions; }

    Context *ctx() { return m_fx.ctx(); }
    FakeUserNotificationCenter *center() const { return m_fx.center(); }
    UserSet *settings() { return m_fx.settings(); }

    // Notes "a" -> "b" -> ... in m_category as a pull leaves them (pushed, sort 1..n).
    QList<NoteDetail *> chain(const QStringList &ids)
    {
        QList<NoteDetail *> notes;
        for (qsizetype i = 0; i < ids.size(); ++i) {
            NoteDetail *n = m_fx.note(ids[i], m_category);
            n->setSort(qint16(i + 1));
            n->setNextId(i + 1 < ids.size() ? ids[i + 1] : "-1");
            n->setIsSync(true);
            notes << n;
        }
        return notes;
    }

    NoteDetail *noteWith(const Remind &r)
    {
        NoteDetail *n = chain({"n"}).first();
        if (!r.present)
            return n;
        DateRemind *remind = m_fx.remind(n, r.actionType);
        remind->setRemindCycleType(qint16(r.cycle));
        remind->setRemindCycleInterval(1);
        remind->setRemindDateTime(r.real);
        remind->setRemindRealDateTime(r.real);
        remind->setRemindEndTime(r.end);
        remind->setConnectWifiIds(r.wifi);
        remind->setRemindWifiStatus(qint16(r.wifiStatus));
        return n;
    }

    QStringList order() const
    {
        QStringList out;
        QList<NoteDetail *> live;
        for (NoteDetail *n : m_category->notes())
            if (n->actionType() != 3)
                live << n;
        std::sort(live.begin(), live.end(), [](auto *a, auto *b) { return a->sort() < b->sort(); });
        for (NoteDetail *n : live)
            out << n->cId() + ">" + n->nextId();
        return out;
    }

    // Reads the row back from the file through a fresh connection.
    QString storedDelay(const QString &cId)
    {
        std::unique_ptr<Context> reader = m_fx.store()->newContext();
        NoteDetail *n = reader->findFirstByAttribute<NoteDetail>("cId", cId);
        return n && n->remind() ? n->remind()->remindDelayTime() : QString("(none)");
    }

    // Completes a repeating reminder shortly after each of its occurrences for `years` years. Every
    // step must land on the engine's occurrence counted from the start (never from the stored one),
    // leave the note open and leave the notification due exactly then. Returns the occurrences.
    QList<QDateTime> completionChain(const QString &zone, int dateType, const QString &start, int cycle,
                                     int interval, const QString &specify, int years)
    {
        TestEnv::setTimeZone(zone.toUtf8());
        QList<QDateTime> steps;
        NoteDetail *n = chain({"n"}).first();
        DateRemind *r = m_fx.remind(n);
        r->setRemindDateType(qint16(dateType));
        r->setRemindDateTime(start);
        r->setRemindRealDateTime(start);
        r->setRemindCycleType(qint16(cycle));
        r->setRemindCycleInterval(qint16(interval));
        r->setRemindCycleSpecific(specify);
        const CalendarIdentifier cal = NoteDateManager::getCalendarIdentifierWithDateType(dateType);
        const QDateTime first = at(start);
        const QDateTime last = first.addYears(years);
        QDateTime current = first;
        while (current < last) {
            const QString where = zone + " after " + r->remindRealDateTime();
            Clock::setNow(current.addSecs(300));
            const QDateTime engine =
                NoteDateManager::nextRealDateWithCalendarIdentifier(cal, first, cycle, interval, specify);
            if (actions().completeActionWithNote(n) != 0 || n->isCompleted()) {
                qWarning("%s: completed", qPrintable(where));
                return {};
            }
            const QDateTime next = at(r->remindRealDateTime());
            const auto pending = center()->scheduledNotification("n");
            if (next != engine || !pending ||
                LocalNotificationManager::nextDeliveryOf(pending->deliveryDate, pending->repeatInterval) !=
                    next) {
                qWarning(
                    "%s: stored %s, engine %s, notification %s", qPrintable(where),
                    qPrintable(r->remindRealDateTime()), qPrintable(DateManager::getStringFromDate(engine)),
                    pending ? qPrintable(DateManager::getStringFromDate(pending->deliveryDate)) : "none");
                return {};
            }
            steps << next;
            current = next;
        }
        return steps;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(now()));
        m_feedback = std::make_unique<RecordingFeedback>();
        m_graph = std::make_unique<TestGraph>(m_fx, ProgramServices::Parts().use(m_feedback.get()));
        m_category = m_fx.category("k1", "工作");
    }

    void cleanup()
    {
        m_graph.reset();
        m_feedback.reset();
        m_fx.close();
        TestEnv::setTimeZone("Asia/Shanghai");
    }

    void addAtTopOrBottom()
    {
        // An empty category: top gives sort 0, bottom sort 1, both the last note.
        NoteDetail *first = actions().addActionNoteWithClassify(m_category);
        QVERIFY(QRegularExpression("^c[0-9]+$").match(first->cId()).hasMatch());
        QCOMPARE(first->classId(), QString("k1"));
        QCOMPARE(first->sort(), qint16(1));
        QCOMPARE(first->nextId(), QString("-1"));
        QCOMPARE(first->isSync(), false);
        QVERIFY(ctx()->hasChanges()); // not saved

        settings()->setNoteAddPositionType(1);
        Classify *other = ctx()->create<Classify>();
        other->setClassId("k2");
        QCOMPARE(actions().addActionNoteWithClassify(other)->sort(), qint16(0));

        settings()->setNoteAddPositionType(1);
        NoteDetail *top = actions().addActionNoteWithClassify(m_category);
        QCOMPARE(top->nextId(), first->cId());
        NoteDetail *top2 = actions().addActionNoteWithClassify(m_category);
        QCOMPARE(order(), (QStringList{top2->cId() + ">" + top->cId(), top->cId() + ">" + first->cId(),
                                       first->cId() + ">-1"}));
        settings()->setNoteAddPositionType(2);
        NoteDetail *bottom = actions().addActionNoteWithClassify(m_category);
        QCOMPARE(first->nextId(), bottom->cId());
        QCOMPARE(bottom->nextId(), QString("-1"));
    }

    void unlinkTopAndBottom()
    {
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        actions().configOldLastNote(n[0]);
        QCOMPARE(n[1]->nextId(), QString("c"));
        QCOMPARE(n[1]->isSync(), true); // nothing pointed to the top note
        QCOMPARE(n[2]->isSync(), true);

        actions().configOldLastNote(n[2]);
        QCOMPARE(n[1]->nextId(), QString("-1"));
        QCOMPARE(n[1]->isSync(), false);
        QCOMPARE(n[1]->actionType(), qint16(2));
    }

    void neighbourFlags_data()
    {
        QTest::addColumn<int>("actionType");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<int>("expected");
        QTest::newRow("open and unchanged becomes changed") << 0 << false << 2;
        QTest::newRow("completed and unchanged stays") << 0 << true << 0;
        QTest::newRow("completion waiting for the push stays") << 2 << true << 2;
        QTest::newRow("addition waiting for the push stays") << 1 << false << 1;
    }

    void neighbourFlags()
    {
        QFETCH(int, actionType);
        QFETCH(bool, completed);
        QFETCH(int, expected);
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        n[0]->setActionType(qint16(actionType));
        n[0]->setIsCompleted(completed);
        actions().configOldLastNote(n[1]);
        QCOMPARE(n[0]->nextId(), QString("c"));
        QCOMPARE(n[0]->isSync(), false);
        QCOMPARE(n[0]->actionType(), qint16(expected));
    }

    void tiedTopNotesNeverPointToThemselves()
    {
        // Two notes added at the top by an older client, both at sort 0: b -> a -> c.
        QList<NoteDetail *> n = chain({"b", "a", "c"});
        n[0]->setSort(0);
        n[1]->setSort(0);
        actions().configOldLastNote(n[0]);
        QCOMPARE(n[1]->nextId(), QString("c"));
        QCOMPARE(n[2]->nextId(), QString("-1"));

        // nextId "-1" never looks for a successor by sort; a stale nextId does (in a
        // category of its own: b above still stands unlinked in this one).
        m_category = m_fx.category("k3", "其他");
        QList<NoteDetail *> m = chain({"x", "y"});
        m[0]->setNextId("gone");
        actions().configOldLastNote(m[1]); // y: predecessor by sort is x
        QCOMPARE(m[0]->nextId(), QString("-1"));
    }

    void moveToAnotherCategory()
    {
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        auto *other = ctx()->create<Classify>();
        other->setClassId("k2");
        auto *there = ctx()->create<NoteDetail>();
        there->setCId("z");
        there->setClassify(other);
        there->setClassId("k2");
        there->setSort(4);
        there->setNextId("-1");
        actions().moveNoteToClassify(other, n[1]);
        QCOMPARE(n[0]->nextId(), QString("c"));
        QCOMPARE(n[1]->classId(), QString("k2"));
        QCOMPARE(n[1]->classify(), other);
        QCOMPARE(there->nextId(), QString("b"));
        QCOMPARE(n[1]->nextId(), QString("-1"));
        QCOMPARE(n[1]->sort(), qint16(5));
    }

    void complete_data()
    {
        QTest::addColumn<Remind>("remind");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("returned");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<int>("remindAfter"); // remindActionType afterwards, -1 without reminder
        QTest::addColumn<QString>("realAfter");
        QTest::addColumn<bool>("pending"); // a notification for the note afterwards

        auto remind = [](int cycle, const QString &real, const QString &end = {}) {
            Remind r;
            r.cycle = cycle;
            r.real = real;
            r.end = end;
            return r;
        };
        const QString threeDaysAgo = "2026/3/3 9:00:00";
        Remind wifiFired;
        wifiFired.wifi = "12";
        wifiFired.wifiStatus = 1;
        Remind wifiCleared = wifiFired;
        wifiCleared.actionType = 3;
        Remind clearedDaily = remind(1, threeDaysAgo);
        clearedDaily.actionType = 3;
        Remind none;
        none.present = false;

        QTest::newRow("Wi-Fi reminder re-arms, note stays open")
            << wifiFired << 1 << 0 << false << 2 << QString() << false;
        QTest::newRow("cleared Wi-Fi reminder completes")
            << wifiCleared << 1 << 1 << true << 3 << QString() << false;
        QTest::newRow("daily three days back moves to the next one after now")
            << remind(1, threeDaysAgo) << 1 << 0 << false << 2 << "2026/3/7 9:00:00" << true;
        QTest::newRow("end date before that occurrence completes")
            << remind(1, threeDaysAgo, "2026/3/7 8:59:00") << 0 << 0 << true << 3 << threeDaysAgo << false;
        QTest::newRow("end date on that occurrence still advances")
            << remind(1, threeDaysAgo, "2026/3/7 9:00:00") << 0 << 0 << false << 2 << "2026/3/7 9:00:00"
            << true;
        QTest::newRow("cleared daily reminder completes, stays cleared")
            << clearedDaily << 2 << 2 << true << 3 << threeDaysAgo << false;
        QTest::newRow("one-time reminder completes")
            << remind(0, "2026/3/7 9:00:00") << 0 << 0 << true << 3 << "2026/3/7 9:00:00" << false;
        QTest::newRow("no reminder completes") << none << 3 << 3 << true << -1 << QString() << false;
        QTest::newRow("unknown setting completes in place")
            << none << 7 << 0 << true << -1 << QString() << false;
    }

    void complete()
    {
        QFETCH(Remind, remind);
        QFETCH(int, setting);
        QFETCH(int, returned);
        QFETCH(bool, completed);
        QFETCH(int, remindAfter);
        QFETCH(QString, realAfter);
        QFETCH(bool, pending);

        settings()->setNoteCompleteActionType(qint16(setting));
        NoteDetail *n = noteWith(remind);
        QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(
            now().addSecs(60), {}, "x", "n"));
        bool saved = false;
        QCOMPARE(actions().completeActionWithNote(n, &saved), returned);
        QVERIFY(saved);
        QVERIFY(!ctx()->hasChanges());
        QCOMPARE(n->isCompleted(), completed);
        QCOMPARE(n->isSync(), false);
        QCOMPARE(n->actionType(), qint16(setting == 3 && completed ? 3 : 2));
        if (completed)
            QCOMPARE(n->completedTime(), QString("2026/3/6 10:00:00"));
        if (remindAfter >= 0) {
            QCOMPARE(n->remind()->remindActionType(), qint16(remindAfter));
            QCOMPARE(n->remind()->remindRealDateTime(), realAfter);
            if (!remind.wifi.isEmpty())
                QCOMPARE(n->remind()->remindWifiStatus(), qint16(remind.actionType == 3 ? 1 : 0));
        }
        if (remind.wifi.isEmpty())
            QCOMPARE(bool(center()->scheduledNotification("n")), pending);
        if (pending)
            QCOMPARE(center()->scheduledNotification("n")->deliveryDate, at(realAfter));
    }

    void completionSettingsMoveTheNote_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0 stays") << 0 << QStringList{"a>b", "b>c", "c>-1"};
        QTest::newRow("1 to the top") << 1 << QStringList{"b>a", "a>c", "c>-1"};
        QTest::newRow("2 to the bottom") << 2 << QStringList{"a>c", "c>b", "b>-1"};
        QTest::newRow("3 deletes and unlinks") << 3 << QStringList{"a>c", "c>-1"};
    }

    void completionSettingsMoveTheNote()
    {
        QFETCH(int, setting);
        QFETCH(QStringList, expected);
        settings()->setNoteCompleteActionType(qint16(setting));
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        QCOMPARE(actions().completeActionWithNote(n[1]), setting);
        QCOMPARE(order(), expected);
        QCOMPARE(n[1]->actionType(), qint16(setting == 3 ? 3 : 2));
    }

    void deleteUnlinksAndWithdraws()
    {
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(
            now().addSecs(60), {}, "x", "b"));
        QVERIFY(actions().deleteActionWithNote(n[1]));
        QCOMPARE(n[1]->actionType(), qint16(3));
        QCOMPARE(n[1]->isSync(), false);
        QCOMPARE(order(), (QStringList{"a>c", "c>-1"}));
        QVERIFY(!center()->scheduledNotification("b"));
        QVERIFY(!ctx()->hasChanges());
    }

    void deletedNoteIsNeverRevived_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *a :
             {"complete", "clear", "snooze", "clearStar", "clearDelay", "move", "delete", "link", "unlink"})
            QTest::newRow(a) << QString(a);
    }

    void deletedNoteIsNeverRevived()
    {
        QFETCH(QString, action);
        settings()->setNoteCompleteActionType(1);
        QList<NoteDetail *> n = chain({"a", "b", "c"});
        Remind r;
        r.cycle = 1;
        r.real = "2026/3/3 9:00:00";
        auto *remind = ctx()->create<DateRemind>();
        remind->setRemindActionType(2);
        remind->setRemindCycleType(1);
        remind->setRemindRealDateTime(r.real);
        remind->setRemindRType(1);
        n[1]->setRemind(remind);
        QVERIFY(actions().deleteActionWithNote(n[1]));
        const QStringList before = order();
        const QString nextBefore = n[1]->nextId();

        if (action == "complete")
            QCOMPARE(actions().completeActionWithNote(n[1]), 0);
        else if (action == "clear")
            QVERIFY(actions().clearRemindWithNote(n[1]));
        else if (action == "snooze")
            QVERIFY(actions().addDelayRemindWithNote(n[1], 2001));
        else if (action == "clearStar")
            QVERIFY(actions().clearStarRemindWithNote(n[1]));
        else if (action == "clearDelay")
            QVERIFY(actions().clearDelayRemindWithNote(n[1]));
        else if (action == "move")
            actions().moveNoteToClassify(m_category, n[1]);
        else if (action == "delete")
            QVERIFY(actions().deleteActionWithNote(n[1]));
        else if (action == "link")
            actions().configNewLastNote(n[1], NotePosition::Top);
        else
            actions().configOldLastNote(n[1]);

        QCOMPARE(n[1]->actionType(), qint16(3));
        QCOMPARE(n[1]->isCompleted(), false);
        QCOMPARE(n[1]->nextId(), nextBefore);
        QCOMPARE(remind->remindRealDateTime(), r.real);
        QCOMPARE(remind->remindRType(), qint16(1));
        QCOMPARE(remind->remindDelayTime(), QString());
        QCOMPARE(order(), before);
        QVERIFY(center()->scheduledNotifications().isEmpty());
    }

    void snooze_data()
    {
        QTest::addColumn<QString>("nowText");
        QTest::addColumn<QString>("occurrence");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("until");
        // 2 March 2026 is a Monday, 25 February a Wednesday.
        QTest::newRow("2001 half an hour") << "2026/3/2 10:00:00"
                                           << "2026/2/25 8:15:30" << 2001 << "2026/3/2 10:30:00";
        QTest::newRow("2002 an hour") << "2026/3/2 10:00:00"
                                      << "2026/2/25 8:15:30" << 2002 << "2026/3/2 11:00:00";
        QTest::newRow("2003 tomorrow at the occurrence's time")
            << "2026/3/2 10:00:07"
            << "2026/2/25 8:15:30" << 2003 << "2026/3/3 8:15:07";
        QTest::newRow("2003 without occurrence: tomorrow now") << "2026/3/2 10:00:00"
                                                               << "" << 2003 << "2026/3/3 10:00:00";
        QTest::newRow("2004 Monday for a Monday: next week")
            << "2026/3/2 10:00:00"
            << "2026/2/23 8:00:00" << 2004 << "2026/3/9 10:00:00";
        QTest::newRow("2004 Monday for a Wednesday: this Wednesday")
            << "2026/3/2 10:00:00"
            << "2026/2/25 8:00:00" << 2004 << "2026/3/4 10:00:00";
        QTest::newRow("2004 Friday for a Wednesday: next Wednesday")
            << "2026/3/6 10:00:00"
            << "2026/2/25 8:00:00" << 2004 << "2026/3/11 10:00:00";
        QTest::newRow("2004 without occurrence: a week") << "2026/3/6 10:00:00"
                                                         << "" << 2004 << "2026/3/13 10:00:00";
    }

    void snooze()
    {
        QFETCH(QString, nowText);
        QFETCH(QString, occurrence);
        QFETCH(int, kind);
        QFETCH(QString, until);
        Clock::setNow(at(nowText));
        Remind r;
        r.real = occurrence;
        NoteDetail *n = noteWith(r);
        QVERIFY(actions().addDelayRemindWithNote(n, kind));
        QCOMPARE(n->remind()->remindDelayTime(), until);
        QCOMPARE(storedDelay("n"), until);
        QCOMPARE(n->actionType(), qint16(2));
        QCOMPARE(n->isSync(), false);
        QCOMPARE(center()->scheduledNotification("n")->deliveryDate, at(until));
        QVERIFY(m_feedback->messages().isEmpty());
    }

    void snoozeAtTheLimit()
    {
        for (int i = 1; i <= 100; ++i)
            QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(
                now().addSecs(3600 * i), {}, "x", QString("p%1").arg(i)));
        Remind r;
        r.real = "2026/3/6 9:00:00";
        NoteDetail *n = noteWith(r);
        // A week ahead: farther than all 100, refused and told; the snooze stays stored.
        QVERIFY(actions().addDelayRemindWithNote(n, 2004));
        QCOMPARE(m_feedback->messages(), QStringList{limitAlert});
        QVERIFY(!center()->scheduledNotification("n"));
        QCOMPARE(storedDelay("n"), QString("2026/3/13 10:00:00"));
        // Half an hour: among the nearest 100, so it is taken.
        m_feedback->clear();
        QVERIFY(actions().addDelayRemindWithNote(n, 2001));
        QVERIFY(m_feedback->messages().isEmpty());
        QVERIFY(center()->scheduledNotification("n"));
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        // A Wi-Fi reminder is still shown.
        QVERIFY(m_graph->services().localNotifications->addWiFiUserNotificationWithDeliveryDate(now(), "wifi",
                                                                                                "w"));
        QTRY_COMPARE(center()->presented().size(), 1);
    }

    // What an operation tells the user goes to the feedback it was made with (a second window's,
    // say), never to whichever one the process has installed.
    void refusalGoesToTheOperationsOwnFeedback()
    {
        for (int i = 1; i <= 100; ++i)
            QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(
                now().addSecs(3600 * i), {}, "x", QString("p%1").arg(i)));
        Remind r;
        r.real = "2026/3/6 9:00:00";
        NoteDetail *n = noteWith(r);
        RecordingFeedback own;
        NoteActionManager other(*ctx(), own, *m_graph->services().localNotifications,
                                *m_graph->services().noteReminds);
        QVERIFY(other.addDelayRemindWithNote(n, 2004));
        QCOMPARE(own.messages(), QStringList{limitAlert});
        QVERIFY(m_feedback->messages().isEmpty());
        QCOMPARE(storedDelay("n"), QString("2026/3/13 10:00:00"));
    }

    // Only a running date reminder of an open note can be snoozed: a completed
    // note, a cleared reminder or a Wi-Fi reminder gets no notification from it.
    void snoozeNeedsARunningDateReminder_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::addColumn<int>("remindActionType");
        QTest::addColumn<QString>("wifi");
        QTest::newRow("completed note") << true << 2 << "";
        QTest::newRow("cleared reminder") << false << 3 << "";
        QTest::newRow("Wi-Fi reminder") << false << 2 << "0";
    }

    void snoozeNeedsARunningDateReminder()
    {
        QFETCH(bool, completed);
        QFETCH(int, remindActionType);
        QFETCH(QString, wifi);
        Remind r;
        r.real = "2026/3/6 9:00:00";
        r.actionType = remindActionType;
        r.wifi = wifi;
        NoteDetail *n = noteWith(r);
        n->setIsCompleted(completed);
        QVERIFY(ctx()->saveAndWait().ok);
        QVERIFY(actions().addDelayRemindWithNote(n, 2001));
        QVERIFY(center()->scheduleLog().isEmpty());
        QCOMPARE(n->remind()->remindDelayTime(), QString());
        QCOMPARE(n->actionType(), qint16(0));
        QVERIFY(m_feedback->messages().isEmpty());
    }

    // A note the service left without a category, and a reminder whose dates
    // cannot be read: every action still does something sensible.
    void noteWithoutCategoryOrReadableDates_data()
    {
        QTest::addColumn<int>("setting");
        for (int setting : {0, 1, 2, 3})
            QTest::newRow(qPrintable(QString("completion setting %1").arg(setting))) << setting;
    }

    void noteWithoutCategoryOrReadableDates()
    {
        QFETCH(int, setting);
        settings()->setNoteCompleteActionType(qint16(setting));
        NoteDetail *n = m_fx.note("n");
        n->setNextId("-1");
        DateRemind *r = m_fx.remind(n);
        r->setRemindCycleType(1);
        r->setRemindCycleInterval(1);
        r->setRemindRealDateTime("2026/13/45 25:61:00");
        r->setRemindEndTime("later");
        QVERIFY(!NoteActionManager::getCompleteDateWithNote(n).isValid());
        // Tomorrow at now's time, as without an occurrence.
        QVERIFY(actions().addDelayRemindWithNote(n, 2003));
        QCOMPARE(r->remindDelayTime(), QString("2026/3/7 10:00:00"));
        QVERIFY(actions().clearDelayRemindWithNote(n));
        // An unreadable occurrence has no next one: the note completes.
        QCOMPARE(actions().completeActionWithNote(n), setting);
        QVERIFY(n->isCompleted());
        QCOMPARE(n->nextId(), QString("-1"));
        QVERIFY(!center()->scheduledNotification("n"));
        // Into a category: linked at its bottom.
        chain({"a"});
        actions().moveNoteToClassify(m_category, n);
        if (setting == 3) { // deleted by its completion: stays out
            QCOMPARE(n->classify(), nullptr);
            QCOMPARE(order(), QStringList{"a>-1"});
        } else {
            QCOMPARE(order(), (QStringList{"a>n", "n>-1"}));
        }
        QVERIFY(actions().deleteActionWithNote(n));
        QCOMPARE(order(), QStringList{"a>-1"});
        QCOMPARE(actions().addActionNoteWithClassify(nullptr), nullptr);
    }

    void snoozeWithoutReminderDoesNothing()
    {
        NoteDetail *n = chain({"a"}).first();
        QVERIFY(actions().addDelayRemindWithNote(n, 2003));
        QCOMPARE(n->actionType(), qint16(0));
        QVERIFY(center()->scheduleLog().isEmpty());
        // The other operations take it as well.
        QVERIFY(actions().clearRemindWithNote(n));
        QVERIFY(actions().clearStarRemindWithNote(n));
        QVERIFY(actions().clearDelayRemindWithNote(n));
        QVERIFY(!NoteActionManager::getCompleteDateWithNote(n).isValid());
    }

    void clearRemind()
    {
        Remind r;
        r.cycle = 1;
        r.real = "2026/3/7 9:00:00";
        NoteDetail *n = noteWith(r);
        QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(at(r.real), {},
                                                                                             "x", "n"));
        QVERIFY(actions().clearRemindWithNote(n));
        QCOMPARE(n->remind()->remindActionType(), qint16(3));
        QCOMPARE(n->actionType(), qint16(2));
        QVERIFY(!center()->scheduledNotification("n"));
        // Cleared stays cleared: clearing the important mode does not bring it back.
        QVERIFY(actions().clearStarRemindWithNote(n));
        QCOMPARE(n->remind()->remindActionType(), qint16(3));
        QVERIFY(!center()->scheduledNotification("n"));
    }

    void clearImportantAndSnoozeReschedule()
    {
        settings()->setImportantRemindInterval(10);
        Remind r;
        r.cycle = 1;
        r.real = "2026/3/7 9:00:00";
        NoteDetail *n = noteWith(r);
        n->remind()->setRemindRType(1);
        QVERIFY(m_graph->services().localNotifications->addLocalNotificationWithDeliveryDate(
            at(r.real), UserNotificationRepeat::minutes(10), "x", "n"));

        QVERIFY(actions().clearStarRemindWithNote(n));
        QCOMPARE(n->remind()->remindRType(), qint16(0));
        QCOMPARE(n->remind()->remindActionType(), qint16(2));
        // The minute repetition is gone: the daily reminder is pending instead.
        QCOMPARE(center()->scheduledNotification("n")->repeatInterval, UserNotificationRepeat::days(1));

        QVERIFY(actions().addDelayRemindWithNote(n, 2001));
        QCOMPARE(center()->scheduledNotification("n")->deliveryDate, at("2026/3/6 10:30:00"));
        QVERIFY(actions().clearDelayRemindWithNote(n));
        QCOMPARE(n->remind()->remindDelayTime(), QString());
        QCOMPARE(center()->scheduledNotification("n")->deliveryDate, at(r.real));
        QVERIFY(!ctx()->hasChanges());
    }

    void completionChains_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<QStringList>("first"); // the first occurrences after the start

        struct Row
        {
            const char *name;
            const char *start;
            int cycle;
            int interval;
            const char *specify;
            QStringList first;
        };
        const Row rows[] = {
            {"monthly from 31 January",
             "2026/1/31 9:00:00",
             3,
             1,
             "",
             {"2026/2/28", "2026/3/31", "2026/4/30", "2026/5/31", "2026/6/30", "2026/7/31"}},
            {"monthly on 31",
             "2026/1/10 9:00:00",
             3,
             1,
             "31",
             {"2026/1/31", "2026/2/28", "2026/3/31", "2026/4/30", "2026/5/31", "2026/6/30", "2026/7/31"}},
            {"monthly on 31 begun in April",
             "2026/4/10 9:00:00",
             3,
             1,
             "31",
             {"2026/5/1", "2026/5/31", "2026/6/30", "2026/7/31"}},
            {"monthly on 29,30,31",
             "2026/1/5 9:00:00",
             3,
             1,
             "29,30,31",
             {"2026/1/29", "2026/1/30", "2026/1/31", "2026/2/28", "2026/3/29", "2026/3/30", "2026/3/31",
              "2026/4/29", "2026/4/30", "2026/5/29"}},
            {"quarterly from 29 February",
             "2024/2/29 9:00:00",
             4,
             1,
             "",
             {"2024/5/29", "2024/8/29", "2024/11/29", "2025/2/28", "2025/5/29"}},
            {"yearly from 29 February",
             "2024/2/29 9:00:00",
             5,
             1,
             "",
             {"2025/2/28", "2026/2/28", "2027/2/28", "2028/2/29"}},
            {"every 2 weeks on Tuesday and Thursday",
             "2026/3/2 9:00:00",
             2,
             2,
             "2,4",
             {"2026/3/3", "2026/3/5", "2026/3/17", "2026/3/19", "2026/3/31", "2026/4/2"}},
            {"every 2 weeks on Monday from a Friday",
             "2026/3/13 9:00:00",
             2,
             2,
             "1",
             {"2026/3/23", "2026/4/6", "2026/4/20"}},
        };
        for (const char *zone : {"Asia/Shanghai", "Europe/Berlin"})
            for (const Row &r : rows)
                QTest::addRow("%s, %s", r.name, zone)
                    << zone << r.start << r.cycle << r.interval << r.specify << r.first;
    }

    void completionChains()
    {
        QFETCH(QString, zone);
        QFETCH(QString, start);
        QFETCH(int, cycle);
        QFETCH(int, interval);
        QFETCH(QString, specify);
        QFETCH(QStringList, first);
        const QList<QDateTime> steps = completionChain(zone, 0, start, cycle, interval, specify, 4);
        QVERIFY(steps.size() >= first.size());
        for (qsizetype i = 0; i < first.size(); ++i) {
            QCOMPARE(steps[i].date(), QDate::fromString(first[i], "yyyy/M/d"));
            QCOMPARE(steps[i].time(), QTime(9, 0));
        }
    }

    // The wall-clock time is kept across the changes of a zone with daylight saving; on the day the
    // clocks skip it, the occurrence is moved on by the gap (and that day's notification with it).
    void completionChainThroughTheSpringChange()
    {
        const QList<QDateTime> steps =
            completionChain("Europe/Berlin", 0, "2026/3/27 2:30:00", 1, 1, QString(), 1);
        QVERIFY(steps.size() > 300);
        QStringList texts;
        for (qsizetype i = 0; i < 4; ++i)
            texts << DateManager::getStringFromDate(steps[i]);
        QCOMPARE(texts, (QStringList{"2026/3/28 2:30:00", "2026/3/29 3:30:00", "2026/3/30 2:30:00",
                                     "2026/3/31 2:30:00"}));
    }

    void lunarCompletionChains_data()
    {
        QTest::addColumn<QString>("zone");
        for (const char *zone : {"Asia/Shanghai", "America/New_York"})
            QTest::newRow(zone) << zone;
    }

    void lunarCompletionChains()
    {
        QFETCH(QString, zone);
        const auto lunar = [](const QDateTime &d) {
            return Calendar::dateOfDay(CalendarIdentifier::Chinese, d.date().toJulianDay());
        };
        // Monthly on 30 from the first day of a lunar year: the 30th of every month, or the 29th of a
        // short one, and never a day of the month after it.
        const QList<QDateTime> monthly = completionChain(zone, 1, "2026/2/17 9:00:00", 3, 1, "30", 2);
        QVERIFY(monthly.size() >= 24);
        // Each step is its month's last day and begins the month right after the previous step's
        // (the first lies in the start's own month, whose first day is the start).
        qint64 monthStart = at("2026/2/17 9:00:00").date().toJulianDay();
        for (const QDateTime &d : monthly) {
            const CalendarDate l = lunar(d);
            QCOMPARE(l.day, Calendar::daysInMonth(CalendarIdentifier::Chinese, l.year, l.month, l.leap));
            QCOMPARE(d.date().toJulianDay() - l.day + 1, monthStart);
            monthStart = d.date().toJulianDay() + 1;
        }

        // Yearly from the 10th of the leap sixth month of 2025 (3 August): the ordinary sixth month in
        // the years without a leap sixth, the leap one again in 2036.
        m_graph.reset();
        m_fx.close();
        QVERIFY(m_fx.open(now()));
        m_graph = std::make_unique<TestGraph>(m_fx, ProgramServices::Parts().use(m_feedback.get()));
        m_category = m_fx.category("k1", "工作");
        const QDateTime start = at("2025/8/3 9:00:00");
        QVERIFY(lunar(start).leap);
        const QList<QDateTime> yearly = completionChain(zone, 1, "2025/8/3 9:00:00", 5, 1, QString(), 12);
        QVERIFY(yearly.size() >= 11);
        for (qsizetype i = 0; i < 11; ++i) {
            const CalendarDate l = lunar(yearly[i]);
            QCOMPARE(l.year, 2026 + int(i));
            QCOMPARE(l.month, 6);
            QCOMPARE(l.day, 10);
            QCOMPARE(l.leap, l.year == 2036);
        }
    }

    void completeDateRespectsTheEnd()
    {
        Remind r;
        r.cycle = 2;
        r.real = "2026/3/2 9:00:00";
        r.end = "2026/3/9 9:00:00";
        NoteDetail *n = noteWith(r);
        QCOMPARE(NoteActionManager::getCompleteDateWithNote(n), at("2026/3/9 9:00:00"));
        n->remind()->setRemindEndTime("2026/3/9 8:59:59");
        QVERIFY(!NoteActionManager::getCompleteDateWithNote(n).isValid());
        n->remind()->setRemindEndTime("not a date");
        QCOMPARE(NoteActionManager::getCompleteDateWithNote(n), at("2026/3/9 9:00:00"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteActions)
#include "tst_noteactions.moc"
