#include "platform/base/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

void (*handlerOf(int signalNumber))(int)
{
    struct sigaction current = {};
    sigaction(signalNumber, nullptr, &current);
    return current.sa_handler;
}

} // namespace

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    // Each signal arrives on the event loop once; a second of the same kind
    // would end the program at once (the default is back), the others are
    // still caught.
    void signalsReachTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsReachTheEventLoop()
    {
        QFETCH(int, signalNumber);
        TerminationSignals signals_;
        QVERIFY(signals_.installed());
        QSignalSpy requested(&signals_, &TerminationSignals::requested);
        QVERIFY(handlerOf(signalNumber) != SIG_DFL);
        QCOMPARE(raise(signalNumber), 0);
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested.at(0).at(0).toInt(), signalNumber);
        QVERIFY(handlerOf(signalNumber) == SIG_DFL);
        for (int other : {SIGTERM, SIGINT, SIGHUP})
            if (other != signalNumber)
                QVERIFY(handlerOf(other) != SIG_DFL);
    }

    // Gone, it leaves the handlers as it found them; a second one at a time
    // installs nothing.
    void restoresThePreviousHandlers()
    {
        signal(SIGHUP, SIG_IGN);
        const auto termBefore = handlerOf(SIGTERM); // the test library's own
        {
            TerminationSignals first;
            QVERIFY(first.installed());
            TerminationSignals second;
            QVERIFY(!second.installed());
            QVERIFY(handlerOf(SIGHUP) != SIG_IGN);
        }
        QVERIFY(handlerOf(SIGHUP) == SIG_IGN);
        QVERIFY(handlerOf(SIGTERM) == termBefore);
        signal(SIGHUP, SIG_DFL);
        TerminationSignals again;
        QVERIFY(again.installed());
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
