#include "platform/base/UrlOpener.h"

UrlOpener::~UrlOpener() = default;
