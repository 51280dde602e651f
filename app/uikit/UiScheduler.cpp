#include "app/uikit/UiScheduler.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

class TimerScheduler final : public UiScheduler
{
public:
    void schedule(int msecs, QObject *context, Task task) override
    {
        QTimer::singleShot(msecs, Qt::PreciseTimer, context ? context : QCoreApplication::instance(),
                           std::move(task));
    }
};

TimerScheduler timerScheduler;
UiScheduler *installed = nullptr;

} // namespace

UiScheduler::~UiScheduler() = default;

UiScheduler *UiScheduler::current()
{
    return installed ? installed : &timerScheduler;
}

void UiScheduler::install(UiScheduler *scheduler)
{
    installed = scheduler;
}
