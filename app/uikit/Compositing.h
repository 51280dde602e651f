#pragma once

// Whether something blends translucent windows into the screen: a window with an
// alpha channel only looks right there. Without it (a plain X window manager)
// the transparent pixels reach the screen as black. On X11 this asks whether
// a compositing manager holds the screen's "_NET_WM_CM_S<n>" selection, so it
// answers for the moment of asking; callers ask again when a window shows or
// is exposed. Wayland always composites; the offscreen platform keeps alpha.
bool compositingAvailable();
