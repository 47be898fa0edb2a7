// Apart from the back-end: the X headers define names (None, Bool, Status)
// that nothing else should see.
#include "platform/sdl/SdlEventTime.h"

#include <SDL_syswm.h>

namespace platform {

void enableWindowSystemEvents() { SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE); }

uint32_t inputEventTime(const SDL_Event& e) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (e.type != SDL_SYSWMEVENT || !e.syswm.msg || e.syswm.msg->subsystem != SDL_SYSWM_X11) return 0;
    const XEvent& x = e.syswm.msg->msg.x11.event;
    switch (x.type) {
        case KeyPress:
        case KeyRelease:
            return static_cast<uint32_t>(x.xkey.time);
        case ButtonPress:
        case ButtonRelease:
            return static_cast<uint32_t>(x.xbutton.time);
        default:
            return 0;
    }
#else
    (void)e;
    return 0;
#endif
}

}  // namespace platform
