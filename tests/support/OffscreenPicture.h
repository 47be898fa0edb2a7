#pragma once
// Pictures drawn by the real OpenGL device off-screen, for the tests that
// look at what a player sees: SDL's off-screen window with the device in it,
// the frame read back, the generator's art in place of the placeholders, and
// the frame compared with a picture stored beside the test (or written as a
// PNG file to look at).
//
// The environment variables that make these tests write pictures (each test
// names its own at its top):
//
//   ZUB_WRITE_SCREENSHOTS=1         the stored pictures of the screens over
//                                   the intro, the main menu, the options
//                                   pages, the valley map and the editor are
//                                   written anew from what is drawn, and the
//                                   tests skip; look at each before
//                                   committing it.
//   ZUB_WRITE_SCENERY_PNG=1         the same for the scenery's picture.
//   ZUB_FLOW_PICTURES=<folder>      the pause menu and the level statistics
//                                   are written into the folder, to look at.
//   ZUB_WRITE_SCREENSHOTS=<folder>  the overlays' test reads the same
//                                   variable as a folder and writes the
//                                   level, the hint panel and the level map
//                                   there (so with "1" it wants a folder
//                                   named 1 where it runs).
//   ZUB_TOUR_PICTURES=<folder>      the tour of the real program writes
//                                   every screen into <folder>/<size>/
//                                   (without it the tour skips).
//   ZUB_CONTRAST_PICTURES=<folder>  the test of the texts' contrast
//                                   writes the screens it measures there,
//                                   as drawn and without their texts.
//
// Every run of the main menu's picture test also leaves the picture it drew
// as main_menu_drawn.png beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"

class ResourceManager;

namespace picturetest {

// The variables above, by their use.
inline constexpr const char* kRewriteStored = "ZUB_WRITE_SCREENSHOTS";
inline constexpr const char* kRewriteScenery = "ZUB_WRITE_SCENERY_PNG";
inline constexpr const char* kFlowFolder = "ZUB_FLOW_PICTURES";
inline constexpr const char* kOverlaysFolder = "ZUB_WRITE_SCREENSHOTS";
inline constexpr const char* kContrastFolder = "ZUB_CONTRAST_PICTURES";

// A window of SDL's off-screen video driver (sound on the dummy driver) and
// a graphics object on the real OpenGL device in it.
class OffscreenWindow {
public:
    // Opens the window of w x h pixels and the device. When either cannot
    // be made, the running test is skipped with the reason and false is
    // returned.
    bool open(const char* title, int w, int h);
    // The graphics object, then the window.
    void close();

    // Starts a frame: point filtering, the frame begun, the clear (ARGB).
    void beginFrame(uint32_t clearColour);
    // The whole frame, ARGB, rows top-down (a failure is added when the
    // device cannot read it back).
    std::vector<uint32_t> readFrame();

    int width = 0, height = 0;
    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<ZubGraphics> graphics;
};

// A colour channel of an ARGB pixel (16 red, 8 green, 0 blue).
inline int channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
// How far two pixels differ: the largest of their red, green and blue
// differences.
inline int difference(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {16, 8, 0}) d = std::max(d, std::abs(channel(a, shift) - channel(b, shift)));
    return d;
}

// How far a drawn frame may stray from its stored picture: a pixel that
// differs by more than `farDifference` is far off.
struct Tolerance {
    int farDifference = 48;
    // The mean difference over the frame stays below this.
    std::optional<double> meanBelow = 2.0;
    // Fewer far pixels than the frame's pixel count divided by this.
    std::optional<size_t> farBelowOneIn = 200;
    // At most this many far pixels.
    std::optional<size_t> farAtMost;
};
// Rasterisers differ a little at edges: a few pixels may differ much, the
// whole only slightly.
inline constexpr Tolerance kRasteriserEdges{};

// Compares a drawn frame of w x h pixels with the PNG file `stored`, adding
// failures to the running test. With the environment variable `rewrite` set,
// the frame is written to `stored` instead and the test is skipped.
void compareWithStored(const std::vector<uint32_t>& frame, int w, int h, const std::string& stored,
                       const char* rewrite = kRewriteStored, const Tolerance& tolerance = kRasteriserEdges);

// With the environment variable `folder` set, writes the frame there as the
// PNG file `name`, to look at (a failure is added when it cannot).
void keepInFolder(const char* folder, const std::string& name, const std::vector<uint32_t>& frame, int w, int h);

// Textures of the resource manifest painted as the content generator paints
// them, registered under their names in place of the placeholders, and kept
// while this lives.
class PaintedArt {
public:
    // Every texture of the manifest.
    void paintAll(ResourceManager& resources, int textureFlags = 0);
    // The named textures (a failure is added for a name the manifest lacks).
    void paint(ResourceManager& resources, std::initializer_list<const char*> names, int textureFlags = 0);
    void clear() { textures.clear(); }

    std::vector<std::unique_ptr<Texture>> textures;
};

}  // namespace picturetest
