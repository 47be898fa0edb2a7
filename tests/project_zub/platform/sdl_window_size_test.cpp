// Where a window goes on the desktop when it is not full screen.
#include <gtest/gtest.h>

#include "platform/sdl/SdlWindowSize.h"

using platform::fitWindowInto;
using platform::FrameBorders;
using platform::ScreenArea;

namespace {

TEST(WindowFit, AWindowTooLargeForTheDesktopIsCutToWhatFitsWithItsFrame) {
    // 1280 x 800 full screen left on a 1280 x 800 desktop whose window
    // manager adds a 20-pixel title bar, 1-pixel sides and a 5-pixel bottom.
    const ScreenArea desktop{0, 0, 1280, 800};
    const FrameBorders frame{20, 1, 5, 1};
    EXPECT_EQ(fitWindowInto(desktop, frame, 1280, 800), (ScreenArea{1, 20, 1278, 775}));
    // Only the side that does not fit is cut.
    EXPECT_EQ(fitWindowInto(desktop, frame, 1024, 790), (ScreenArea{128, 20, 1024, 775}));
    EXPECT_EQ(fitWindowInto(desktop, frame, 1600, 600), (ScreenArea{1, 107, 1278, 600}));
    // A panel takes the top 30 and the right 64 pixels of a 1920 x 1080
    // desktop: the window keeps out of it.
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 30, 1856, 1050}, FrameBorders{30, 4, 4, 4}, 1920, 1080),
              (ScreenArea{4, 60, 1848, 1016}));
    // The usable area of a second screen right of the first.
    EXPECT_EQ(fitWindowInto(ScreenArea{1920, 0, 1280, 800}, frame, 1280, 800), (ScreenArea{1921, 20, 1278, 775}));
}

TEST(WindowFit, AWindowThatFitsKeepsItsSizeInTheMiddleOfTheDesktop) {
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 0, 1280, 800}, FrameBorders{20, 1, 5, 1}, 1024, 768),
              (ScreenArea{128, 23, 1024, 768}));
    // Without a window manager there is no frame.
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 0, 1280, 800}, FrameBorders{}, 800, 600), (ScreenArea{240, 100, 800, 600}));
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 0, 1024, 768}, FrameBorders{}, 1024, 768), (ScreenArea{0, 0, 1024, 768}));
}

TEST(WindowFit, ADesktopSmallerThanTheFrameStillGetsAOnePixelWindow) {
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 0, 10, 10}, FrameBorders{20, 6, 5, 6}, 800, 600), (ScreenArea{6, 20, 1, 1}));
    EXPECT_EQ(fitWindowInto(ScreenArea{0, 0, 1280, 800}, FrameBorders{}, 0, -5), (ScreenArea{639, 399, 1, 1}));
}

}  // namespace
