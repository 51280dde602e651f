#include "platform/base/TimerScheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <limits>

void TimerScheduler::schedule(qint64 msecs, QObject *context, Task task)
{
    // A Qt timer takes an int: longer waits are taken in steps.
    constexpr qint64 maxStep = std::numeric_limits<int>::max();
    const qint64 wait = std::max<qint64>(msecs, 0);
    QObject *receiver = context ? context : QCoreApplication::instance();
    if (wait > maxStep) {
        QTimer::singleShot(int(maxStep), Qt::PreciseTimer, receiver,
                           [this, rest = wait - maxStep, context, task = std::move(task)]() mutable {
                               schedule(rest, context, std::move(task));
                           });
        return;
    }
    QTimer::singleShot(int(wait), Qt::PreciseTimer, receiver, std::move(task));
}
