#include "platform/base/Clock.h"

#include <QMutex>

namespace {
QMutex clockMutex;
bool fixedSet = false;
qint64 fixedMSecs = 0;
qint64 offsetMSecs = 0;
} // namespace

Clock::Clock(QObject *parent) : QObject(parent) {}

Clock *Clock::instance()
{
    static Clock *clock = new Clock;
    return clock;
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
    emit instance()->jumped();
}

void Clock::advance(qint64 msecs)
{
    {
        QMutexLocker lock(&clockMutex);
        if (fixedSet)
            fixedMSecs += msecs;
        else
            offsetMSecs += msecs;
    }
    emit instance()->jumped();
}

void Clock::reset()
{
    {
        QMutexLocker lock(&clockMutex);
        fixedSet = false;
        offsetMSecs = 0;
    }
    emit instance()->jumped();
}

bool Clock::isFixed()
{
    QMutexLocker lock(&clockMutex);
    return fixedSet;
}
