#include "tests/support/RecordingUrlOpener.h"

bool RecordingUrlOpener::openUrl(const QUrl &url)
{
    opened << url;
    return true;
}
