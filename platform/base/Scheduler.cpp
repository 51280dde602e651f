#include "platform/base/Scheduler.h"

Scheduler::~Scheduler() = default;
