#include "core/operations/NoteId.h"

#include "platform/base/Clock.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QRandomGenerator>
#include <QThread>

#include <bitset>

namespace {

constexpr int firstNumber = 1000;
constexpr int numbers = 8999; // 1000 .. 9998

QMutex idMutex;
qint64 lastSecond = -1;
std::bitset<numbers> used;
int usedCount = 0;

// The second to count in: the clock's, but never one before the largest seen.
qint64 currentSecond()
{
    return qMax(Clock::nowSecs(), lastSecond);
}

void enterSecond(qint64 second)
{
    if (second != lastSecond) {
        lastSecond = second;
        used.reset();
        usedCount = 0;
    }
}

} // namespace

QString NoteId::getId()
{
    QMutexLocker lock(&idMutex);
    enterSecond(currentSecond());

    if (usedCount >= numbers) {
        // Every number of this second is taken: wait for the clock's next second,
        // or move on to it when the clock stands still.
        QElapsedTimer waited;
        waited.start();
        while (Clock::nowSecs() <= lastSecond && waited.elapsed() < 1100)
            QThread::msleep(5);
        enterSecond(qMax(Clock::nowSecs(), lastSecond + 1));
    }

    QRandomGenerator *random = QRandomGenerator::global();
    int r = int(random->bounded(quint32(numbers)));
    if (used.test(size_t(r))) {
        // Drawing again gets slow as the second fills up: take the k-th free number.
        int k = int(random->bounded(quint32(numbers - usedCount)));
        for (r = 0; r < numbers; ++r)
            if (!used.test(size_t(r)) && k-- == 0)
                break;
    }
    used.set(size_t(r));
    ++usedCount;
    return QString::asprintf("%lld", lastSecond * 10000 + firstNumber + r);
}

QString NoteId::getClientId()
{
    return QStringLiteral("c") + getId();
}
