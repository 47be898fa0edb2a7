#pragma once
// The graphics object: the drawing device, the window's presentation
// settings and the reference (design) screen.
//
// World and screen maths use the reference screen of referenceWidth x
// referenceHeight design units, never window pixels. The reference screen is
// shown in a viewport of the window: with letterboxing it keeps its 4:3 shape
// (bars on the sides or at the top and bottom), without it fills the window
// and is stretched. aspectRatio is that stretch (the window viewport's width
// to height divided by the reference screen's): 1 when letterboxed; a
// renderable with scale mode 1 multiplies its y scale by it so that it keeps
// its shape.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine-platform/Platform.h"
#include "engine-platform/RenderDevice.h"
#include "util/WString.h"

struct VideoMode {
    int32_t width = 0;
    int32_t height = 0;
};

class ZubGraphics {
public:
    ZubGraphics();
    ~ZubGraphics();
    ZubGraphics(const ZubGraphics&) = delete;
    ZubGraphics& operator=(const ZubGraphics&) = delete;

    // The graphics object of the running engine (the most recently constructed
    // one), or null.
    static ZubGraphics* active();

    // Takes the device and prepares it (init); false with the reason when the
    // device cannot serve. Textures and vertex buffers are made on it from
    // then on.
    bool setDevice(std::unique_ptr<platform::RenderDevice> device, std::string& error);
    platform::RenderDevice* device() const { return device_.get(); }

    // The window layer: presents frames, changes the window for a restart and
    // lists the display modes (read into videoModes here).
    void setBackend(platform::Backend* backend);
    platform::Backend* backend() const { return backend_; }

    // The window's drawable size changed (or became known): the current
    // size, the back buffer, the reference screen's viewport and the aspect
    // ratio follow.
    void onWindowSize(int pixelWidth, int pixelHeight);

    // Frame: clears the letterbox bars (when there are any) to black, sets
    // the viewport, the filter and alpha blending (on) for the frame's drawing.
    void beginFrame();
    // Ends the frame's drawing and shows it through the window layer.
    void present();

    // Clears the viewport: the colour (ARGB), depth 1.0 and stencil 0.
    void clear(uint32_t argb);
    // Alpha blending of the following draws.
    void setAlphaBlend(bool on);

    // A negative width or height keeps the current one. Stores every value;
    // when the size, full screen, letterboxing or vertical sync changed, logs
    // "Restarting to apply configuration." and restarts the device with the new
    // parameters. A change of the filter alone applies without a restart. The
    // window is asked for the size and full screen only when they changed; the
    // size it then has (which the window system may not have changed as asked)
    // becomes the current size.
    void changePresentationParameters(int width, int height, bool fullScreen, bool allowLetterbox, bool bilinearFilter,
                                      bool useVSync);

    // "%dx%d (%d:%d)": width, height and the reduced aspect ratio.
    static WString describeVideoMode(const VideoMode& mode);

    // Design units per window pixel (reference width / viewport width).
    float pixelToDesign() const;

    // Saves the drawn frame as a JPEG file (quality 0-100), created anew (a
    // link under the name is replaced, not written through). False (logged)
    // when the device cannot read back, the JPEG is larger than maxBytes or
    // the file cannot be written.
    bool saveScreenshot(const std::string& path, int quality = 90, uint64_t maxBytes = UINT64_MAX);
    // Makes the fatal-error path save a screenshot to `path` (through the
    // error manager's hook), within the crash screenshot's size limit.
    static void setCrashScreenshotPath(const std::string& path);

    // Reference (design) screen, centred on the origin, y up.
    int32_t referenceWidth = 1024;
    int32_t referenceHeight = 768;
    float aspectRatio = 1.0f;

    // Presentation. The current size (window or mode) is the size asked for
    // until the window tells the size it got, then that one: what the window
    // really shows, which layout, the pointer and the video-mode choice follow.
    int32_t width = 1024, height = 768;
    int32_t backBufferWidth = 1024, backBufferHeight = 768;
    bool bFullScreen = false;
    bool bLetterbox = true;
    bool bBilinearFilter = true;
    bool bVSync = true;
    platform::DeviceViewport viewport{0, 0, 1024, 768};

    // Detail switch and text shadows (the game sets both from its detail level).
    uint8_t bDetail = 1;
    uint8_t bTextShadow = 1;
    // Simulates hardware limited to 256-pixel textures (512 with texture flag 4).
    bool bSmallTextures = false;

    // Display modes offered, ordered by width, then height.
    std::vector<VideoMode> videoModes;

    // Device restarts so far, and what a restart does beyond the window's
    // size, full screen and vertical sync.
    int restarts = 0;
    void (*onRestart)(ZubGraphics& graphics) = nullptr;

private:
    void restartDevice(bool windowChanged);
    void updateViewport();

    std::unique_ptr<platform::RenderDevice> device_;
    platform::Backend* backend_ = nullptr;
    ZubGraphics* previous_;
};
