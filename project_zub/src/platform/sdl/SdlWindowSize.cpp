#include "platform/sdl/SdlWindowSize.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>

namespace platform {
namespace {

// The window system's libraries are loaded by SDL when it needs them; their
// functions are taken from the loaded copies, so the program does not link
// them (nor need them under another window system).
void* loadedLibrary(const char* name) { return dlopen(name, RTLD_LAZY | RTLD_NOLOAD); }

template <class F>
F loadedFunction(const char* library, const char* name) {
    void* handle = loadedLibrary(library);
    F f = handle ? reinterpret_cast<F>(dlsym(handle, name)) : nullptr;
    if (handle) dlclose(handle);  // SDL holds it
    return f;
}

#if defined(SDL_VIDEO_DRIVER_X11)
bool x11Size(SDL_Window* window, int& width, int& height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    using GetAttributes = Status (*)(Display*, Window, XWindowAttributes*);
    static const GetAttributes getAttributes = loadedFunction<GetAttributes>("libX11.so.6", "XGetWindowAttributes");
    XWindowAttributes a{};
    if (!getAttributes || !getAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
    width = a.width;
    height = a.height;
    return true;
}
#else
bool x11Size(SDL_Window*, int&, int&) { return false; }
#endif

// EGL's values, without its header (which brings the window systems' own).
constexpr int kEglDraw = 0x3059;
constexpr int kEglHeight = 0x3056;
constexpr int kEglWidth = 0x3057;

bool eglSize(int& width, int& height) {
    using GetDisplay = void* (*)();
    using GetSurface = void* (*)(int);
    using QuerySurface = unsigned (*)(void*, void*, int, int*);
    static const GetDisplay getDisplay = loadedFunction<GetDisplay>("libEGL.so.1", "eglGetCurrentDisplay");
    static const GetSurface getSurface = loadedFunction<GetSurface>("libEGL.so.1", "eglGetCurrentSurface");
    static const QuerySurface query = loadedFunction<QuerySurface>("libEGL.so.1", "eglQuerySurface");
    if (!getDisplay || !getSurface || !query) return false;
    void* display = getDisplay();
    void* surface = getSurface(kEglDraw);
    int w = 0, h = 0;
    if (!display || !surface || !query(display, surface, kEglWidth, &w) || !query(display, surface, kEglHeight, &h))
        return false;
    width = w;
    height = h;
    return true;
}

}  // namespace

void realDrawableSize(SDL_Window* window, int& width, int& height) {
    width = height = 0;
    if (!window) return;
    if (x11Size(window, width, height) && width > 0 && height > 0) return;
    if (SDL_GL_GetCurrentWindow() == window && eglSize(width, height) && width > 0 && height > 0) return;
    SDL_GL_GetDrawableSize(window, &width, &height);
}

ScreenArea fitWindowInto(const ScreenArea& usable, const FrameBorders& frame, int width, int height) {
    const int roomWidth = std::max(1, usable.width - frame.left - frame.right);
    const int roomHeight = std::max(1, usable.height - frame.top - frame.bottom);
    ScreenArea window;
    window.width = std::clamp(width, 1, roomWidth);
    window.height = std::clamp(height, 1, roomHeight);
    window.x = usable.x + frame.left + (roomWidth - window.width) / 2;
    window.y = usable.y + frame.top + (roomHeight - window.height) / 2;
    return window;
}

}  // namespace platform
