#include "app/services/DesktopUrlOpener.h"

#include <QDesktopServices>

bool DesktopUrlOpener::openUrl(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}
