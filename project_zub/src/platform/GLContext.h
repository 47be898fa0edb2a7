#pragma once
// What the graphics layer needs from the window's OpenGL context. The context
// is created by the SDL back-end's openWindow and is current on the thread
// that opened the window.

namespace platform {

// The address of an OpenGL function (core or extension); null when no GL
// library is loaded. Like the window system's own lookup it may return an entry
// point for a name the driver does not implement: check the context's version
// or extension list before using what it returns.
void* glProcAddress(const char* name);

struct GLContextInfo {
    int major = 0, minor = 0;  // 0.0 when no context exists
    bool core = false;         // a core profile (no fixed-function pipeline)
};

// The context that the open window got: a core profile of version 3.3 or
// later when the driver offers one, else a compatibility context of version
// 2.1 or later. The version is the one the driver reports.
GLContextInfo glContextInfo();

}  // namespace platform
