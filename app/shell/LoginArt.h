#pragma once

#include <QPixmap>

// The login window's images, drawn at the screen's scale.
namespace LoginArt {
// "login_logo": the application's mark in a circle.
QPixmap logo(int size, qreal dpr);
// "user_default_head": a neutral head in a grey circle.
QPixmap defaultHead(int size, qreal dpr);
} // namespace LoginArt
