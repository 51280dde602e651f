#include "platform/base/Clock.h"

#include <QList>
#include <QMutex>
#include <QPointer>

namespace {
QMutex clockMutex;
bool fixedSet = false;
qint64 fixedMSecs = 0;
qint64 offsetMSecs = 0;

// The clocks alive, told of every move (main thread). Never destroyed: a
// clock in an object torn down at exit still leaves it.
QList<Clock *> &listeners()
{
    static auto *clocks = new QList<Clock *>;
    return *clocks;
}
} // namespace

Clock::Clock(QObject *parent) : QObject(parent)
{
    listeners().append(this);
}

Clock::~Clock()
{
    listeners().removeOne(this);
}

qint64 Clock::nowMSecs()
{
    QMutexLocker lock(&clockMutex);
    if (fixedSet)
        return fixedMSecs;
    return QDateTime::currentMSecsSinceEpoch() + offsetMSecs;
}

QDateTime Clock::now()
{
    return QDateTime::fromMSecsSinceEpoch(nowMSecs());
}

qint64 Clock::nowSecs()
{
    return nowMSecs() / 1000;
}

void Clock::setNow(const QDateTime &fixed)
{
    {
        QMutexLocker lock(&clockMutex);
        fixedSet = true;
        fixedMSecs = fixed.toMSecsSinceEpoch();
    }
    tellJumped();
}

void Clock::advance(qint64 msecs)
{
    advanceUnheard(msecs);
    tellJumped();
}

void Clock::advanceUnheard(qint64 msecs)
{
    QMutexLocker lock(&clockMutex);
    if (fixedSet)
        fixedMSecs += msecs;
    else
        offsetMSecs += msecs;
}

void Clock::reset()
{
    {
        QMutexLocker lock(&clockMutex);
        fixedSet = false;
        offsetMSecs = 0;
    }
    tellJumped();
}

bool Clock::isFixed()
{
    QMutexLocker lock(&clockMutex);
    return fixedSet;
}

void Clock::tellJumped()
{
    // A listener may make or destroy clocks while it hears the jump: each one
    // alive when the move was made hears it once, if it still lives.
    QList<QPointer<Clock>> told;
    for (Clock *c : listeners())
        told.append(c);
    for (const QPointer<Clock> &c : told)
        if (c)
            emit c->jumped();
}
