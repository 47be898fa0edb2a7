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

}  // namespace platform
