#include "app/uikit/Compositing.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace {

#if QT_CONFIG(xcb)
struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};

// The X screen of the display Qt opened (its monitors all share it): the
// number after the dot in the display's name, 0 without one.
int x11ScreenNumber()
{
    char *host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        screen = 0;
    std::free(host);
    return screen;
}

bool x11CompositingManagerRuns()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x11ScreenNumber());
    // Only if it exists: no atom means no manager ever claimed the selection.
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, FreeReply> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_NONE;
}
#endif

} // namespace

bool compositingAvailable()
{
    const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
    if (platform == QLatin1String("xcb"))
        return x11CompositingManagerRuns();
#endif
    return platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("offscreen");
}
