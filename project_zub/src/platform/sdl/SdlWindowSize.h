#pragma once
// The size an SDL window's drawing surface really has.
//
// SDL reports the size it asked the window system for, which is not always
// the size the window got: without a window manager an X window asked to go
// full screen keeps its size while SDL reports the display mode's, and the
// surface of SDL's off-screen driver never changes its size. Drawing and the
// pointer must follow the real size, so it is asked of the window system:
// the X window's size under X11, else the size of the current EGL drawing
// surface, else SDL's drawable size.
struct SDL_Window;

namespace platform {

// The window's drawable size in pixels (0 x 0 for no window). Under EGL the
// window's OpenGL context must be current on the calling thread.
void realDrawableSize(SDL_Window* window, int& width, int& height);

// A rectangle of the desktop, in pixels.
struct ScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ScreenArea&) const = default;
};

// What the window manager's frame (title bar and edges) adds on each side of
// a window's drawing area.
struct FrameBorders {
    int top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const FrameBorders&) const = default;
};

// Where a window whose drawing area should be width x height goes so that it
// lies, with its frame, inside `usable` (the desktop less its panels): the
// size that fits (at least 1 x 1), the framed window in the middle of the
// area. The result is the drawing area's place and size.
ScreenArea fitWindowInto(const ScreenArea& usable, const FrameBorders& frame, int width, int height);

}  // namespace platform
