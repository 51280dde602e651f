#include "core/operations/NoteId.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <vector>

namespace {

const QRegularExpression clientIdForm(QStringLiteral("^c[0-9]+$"));

qint64 secondOf(const QString &id)
{
    return id.toLongLong() / 10000;
}

int randomOf(const QString &id)
{
    return int(id.toLongLong() % 10000);
}

} // namespace

// The id generator keeps its state for the whole process, so each test uses
// a later second than the one before.
class TestNoteId : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::reset(); }

    void formOfAnId()
    {
        const QDateTime t(QDate(2030, 1, 1), QTime(0, 0));
        Clock::setNow(t);
        for (int i = 0; i < 200; ++i) {
            const QString c = NoteId::getClientId();
            QVERIFY2(clientIdForm.match(c).hasMatch(), qPrintable(c));
            const QString id = c.mid(1);
            QCOMPARE(secondOf(id), t.toSecsSinceEpoch());
            QVERIFY(randomOf(id) >= 1000 && randomOf(id) <= 9998);
        }
    }

    void uniqueAcrossThreads()
    {
        Clock::reset(); // the real clock: the threads cross second boundaries
        constexpr int threads = 8;
        constexpr int perThread = 1500;
        QMutex mutex;
        QStringList all;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back(QThread::create([&] {
                QStringList mine;
                for (int i = 0; i < perThread; ++i)
                    mine << NoteId::getClientId();
                QMutexLocker lock(&mutex);
                all << mine;
            }));
            workers.back()->start();
        }
        for (auto &w : workers)
            QVERIFY(w->wait(60000));
        QCOMPARE(all.size(), threads * perThread);
        const QSet<QString> distinct(all.begin(), all.end());
        QCOMPARE(distinct.size(), all.size());
        for (const QString &c : all)
            QVERIFY2(clientIdForm.match(c).hasMatch(), qPrintable(c));
    }

    // Threads draw ids while the clock is stepped back and forth under them:
    // no id is handed out twice.
    void uniqueWhileTheClockSteps()
    {
        const QDateTime t(QDate(2033, 1, 1), QTime(0, 0));
        Clock::setNow(t);
        // Seen once before the clock steps back: no later id may count in an earlier second, whenever
        // the threads get to draw theirs.
        const QString first = NoteId::getClientId();
        constexpr int threads = 6;
        constexpr int perThread = 3000;
        QMutex mutex;
        QStringList all;
        QAtomicInt running = threads;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int i = 0; i < threads; ++i) {
            workers.emplace_back(QThread::create([&] {
                QStringList mine;
                for (int k = 0; k < perThread; ++k)
                    mine << NoteId::getClientId();
                QMutexLocker lock(&mutex);
                all << mine;
                running.deref();
            }));
            workers.back()->start();
        }
        const QList<int> steps = {1, -1, 2, -3600, 3, 0, -2, 4};
        for (int k = 0; running.loadRelaxed() > 0; ++k) {
            Clock::setNow(t.addSecs(steps.at(k % steps.size())));
            QThread::usleep(200);
        }
        for (auto &w : workers)
            QVERIFY(w->wait(60000));
        QCOMPARE(all.size(), threads * perThread);
        const QSet<QString> distinct(all.begin(), all.end());
        QCOMPARE(distinct.size(), all.size());
        QVERIFY(!distinct.contains(first));
        for (const QString &c : all) {
            QVERIFY2(clientIdForm.match(c).hasMatch(), qPrintable(c));
            QVERIFY(secondOf(c.mid(1)) >= t.toSecsSinceEpoch());
        }
    }

    void aFullSecondMovesOn()
    {
        // A clock that stands still: every number of the second is used, then
        // the generator goes on in the next second instead of looping.
        const QDateTime t(QDate(2034, 1, 1), QTime(0, 0));
        Clock::setNow(t);
        QSet<QString> seen;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 8999; ++i) {
            const QString id = NoteId::getId();
            QCOMPARE(secondOf(id), t.toSecsSinceEpoch());
            seen.insert(id);
        }
        QCOMPARE(seen.size(), 8999);
        const QString next = NoteId::getId();
        QCOMPARE(secondOf(next), t.toSecsSinceEpoch() + 1);
        QVERIFY(timer.elapsed() < 10000);
        // The clock catches up with that second: its numbers stay unique.
        Clock::setNow(t.addSecs(1));
        for (int i = 0; i < 500; ++i)
            seen.insert(NoteId::getId());
        seen.insert(next);
        QCOMPARE(seen.size(), 8999 + 501);
    }

    void clockSteppingBackKeepsTheLargestSecond()
    {
        const QDateTime t(QDate(2035, 1, 1), QTime(0, 0));
        Clock::setNow(t);
        QSet<QString> seen{NoteId::getId()};
        Clock::setNow(t.addSecs(-3600));
        for (int i = 0; i < 100; ++i) {
            const QString id = NoteId::getId();
            QCOMPARE(secondOf(id), t.toSecsSinceEpoch());
            seen.insert(id);
        }
        QCOMPARE(seen.size(), 101);
        Clock::setNow(t.addSecs(5));
        QCOMPARE(secondOf(NoteId::getId()), t.toSecsSinceEpoch() + 5);
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteId)
#include "tst_noteid.moc"
