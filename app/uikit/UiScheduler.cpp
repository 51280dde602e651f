#include "app/uikit/UiScheduler.h"

#include <QTimer>

namespace {

class TimerScheduler final : public UiScheduler
{
public:
    void schedule(int msecs, QObject *context, Task task) override
    {
        QTimer::singleShot(msecs, Qt::PreciseTimer, context, std::move(task));
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
