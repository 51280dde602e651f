#include "app/services/DesktopUrlOpener.h"

#include "platform/base/UserFeedback.h"

#include <QDesktopServices>

bool DesktopUrlOpener::openUrl(const QUrl &url)
{
    if (url.isValid() && QDesktopServices::openUrl(url))
        return true;
    if (m_feedback)
        m_feedback->showDefaultMessageAlertWithDetailText(notOpenedText(url));
    return false;
}

QString DesktopUrlOpener::notOpenedText(const QUrl &url)
{
    return QStringLiteral("无法打开链接，请复制到浏览器中打开：\n%1").arg(url.toString());
}
