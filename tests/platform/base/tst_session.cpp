#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QPointer>

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void init() { Clock::setNow(QDateTime(QDate(2026, 3, 1), QTime(9, 0))); }
    void cleanup() { Clock::reset(); }

    // Everything of one sign-in ends before the wipe; the next one starts clean.
    void signingOutEndsTheSignInsTimersBeforeTheWipe()
    {
        ManualScheduler scheduler;
        Session session;
        QStringList seen;
        connect(&session, &Session::signedIn, this, [&](const QString &id) { seen << "in " + id; });
        connect(&session, &Session::signingOut, this, [&] { seen << "signing out"; });
        connect(&session, &Session::signedOut, this, [&] { seen << "out"; });

        session.signIn("42");
        QVERIFY(session.isSignedIn());
        QCOMPARE(session.userId(), QString("42"));
        const quint64 generation = session.generation();
        int ticks = 0;
        scheduler.schedule(1000, session.scope(), [&] { ++ticks; });
        QPointer<QObject> firstScope = session.scope();
        QObject::connect(&session, &Session::signingOut, firstScope, [&] { seen << "scope still alive"; });

        session.signOut([&] { seen << (firstScope ? "wipe with the scope alive" : "wipe"); });
        QCOMPARE(seen, QStringList({"in 42", "signing out", "scope still alive", "wipe", "out"}));
        QVERIFY(!session.isSignedIn());
        QCOMPARE(session.userId(), QString());
        QCOMPARE(session.generation(), generation + 1);
        scheduler.advance(5000);
        QCOMPARE(ticks, 0);
        QCOMPARE(scheduler.pending(), 0);

        // Signing in again: a fresh scope; timers of the signed-out time do not cross over.
        scheduler.schedule(1000, session.scope(), [&] { ++ticks; });
        seen.clear();
        session.signIn("43");
        scheduler.schedule(1000, session.scope(), [&] { ++ticks; });
        scheduler.advance(1000);
        QCOMPARE(ticks, 1);
        QCOMPARE(seen, QStringList({"in 43"}));

        // Another sign-in while signed in ends this one first, without a wipe.
        seen.clear();
        session.signIn("44");
        QCOMPARE(seen, QStringList({"signing out", "out", "in 44"}));
        QCOMPARE(session.generation(), generation + 2);
    }

    void aSignOutAskedForWhileSigningOutRunsOnce()
    {
        Session session;
        session.signIn("1");
        int signingOut = 0, wipes = 0;
        connect(&session, &Session::signingOut, this, [&] {
            ++signingOut;
            session.signOut([&] { ++wipes; }); // e.g. a reply refused while stopping
        });
        session.signOut([&] { ++wipes; });
        QCOMPARE(signingOut, 1);
        QCOMPARE(wipes, 2);
        QVERIFY(!session.isSignedIn());
    }
};

PRELVANE_TEST_CORE_MAIN(TestSession)
#include "tst_session.moc"
