#include "WebEngineViewBackend.h"

#include "WebEngineAuthView.h"

#include <QtGlobal>

#include <unistd.h>

namespace {

// The browser engine's sandbox cannot start for the root user, and the engine
// then ends the whole process. Run as root, the page goes without it (root is
// past any sandbox anyway); set before the engine's first start.
void allowRootOnce()
{
    static const bool done = [] {
        if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

QWidget *WebEngineViewBackend::createView(QWidget *parent, std::function<void()> loaded)
{
    allowRootOnce();
    return new WebEngineAuthView(parent, std::move(loaded));
}

void WebEngineViewBackend::load(QWidget *view, const QUrl &url)
{
    if (auto *web = qobject_cast<WebEngineAuthView *>(view))
        web->load(url);
}
