#include "platform/Platform.h"

#include "platform/RenderDevice.h"

namespace platform {

bool NullBackend::openWindow(const WindowSettings& s, std::string&) {
    open = true;
    fullScreen = s.fullScreen;
    window.width = s.width;
    window.height = s.height;
    window.focused = true;
    vsync = s.vsync;
    return true;
}

void NullBackend::poll(InputSnapshot& input, WindowState& w) {
    input = next;
    // Accumulating parts are handed out once.
    next.typed.clear();
    next.wheel = 0;
    next.mouseMoved = false;
    next.mouseRelocated = false;
    for (bool& pressed : next.mousePressed) pressed = false;
    for (bool& released : next.mouseReleased) released = false;
    w = window;
    window.closeRequested = false;
}

std::unique_ptr<RenderDevice> NullBackend::createRenderDevice() { return std::make_unique<NullRenderDevice>(); }

}  // namespace platform
