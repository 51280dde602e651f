#pragma once

#include <functional>

class QObject;

// The one-second countdown behind the verification-code button.
class DisPatchManager
{
public:
    // Calls `runningBlock` `count` times one second apart, the first at once,
    // with count - 1 down to 0, then `completeBlock` once a second after the
    // last. Everything runs on the main thread. It stops silently, with no
    // further call, as soon as `owner` is destroyed (a null owner: never).
    static void countDownWithTime(QObject *owner, unsigned count, std::function<void(int)> runningBlock,
                                  std::function<void()> completeBlock);

    static constexpr int TickMsecs = 1000;
};
