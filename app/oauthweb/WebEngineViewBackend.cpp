#include "WebEngineViewBackend.h"

#include "WebEngineAuthView.h"

QWidget *WebEngineViewBackend::createView(QWidget *parent, std::function<void()> loaded)
{
    return new WebEngineAuthView(parent, std::move(loaded));
}

void WebEngineViewBackend::load(QWidget *view, const QUrl &url)
{
    if (auto *web = qobject_cast<WebEngineAuthView *>(view))
        web->load(url);
}
