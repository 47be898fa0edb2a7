#include "LevelPicture.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelEnvironment.h"
#include "OutputFile.h"
#include "TextFile.h"
#include "flow/GameController.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace levelbuild {

bool captureLevelFrame(LevelEnvironment& environment, const KeyScript& script, int frame, std::vector<uint32_t>& pixels,
                       std::string& error, int number, const std::function<void(GameController&)>& draw) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::unique_ptr<platform::Backend> backend = platform::createSdlBackend();
    if (!backend->openWindow({.title = "Level picture",
                              .width = kPictureWidth,
                              .height = kPictureHeight,
                              .vsync = false,
                              .assumeFocused = true},
                             error))
        return false;
    // Every frame played is drawn, as the game draws each frame it plays:
    // drawing tells each object whether it is in view, and some turn, pose
    // or write only while they are (a compass's needle, an animal's legs, a
    // speech bubble's text). The frames before the picture's are drawn on
    // the null device, which does the drawing's own work without the
    // rasterising; the picture's frame on OpenGL.
    ZubGraphics graphics;
    if (!graphics.setDevice(std::make_unique<platform::NullRenderDevice>(), error)) return false;
    graphics.onWindowSize(kPictureWidth, kPictureHeight);

    // The level goes before the device it drew on.
    struct EndLevel {
        LevelEnvironment& e;
        ~EndLevel() { e.manager.reset(); }
    } endLevel{environment};
    GameController& gc = environment.play(number);
    while (!environment.manager->done) {
        if (frame >= 0 ? environment.frames >= frame : gc.state == GameController::PLAYING) break;
        environment.frame(script.keysAt(environment.frames));
        graphics.beginFrame();
        environment.manager->renderContext();
    }
    if (!graphics.setDevice(platform::createGLRenderDevice(), error)) return false;
    graphics.beginFrame();
    graphics.clear(0xFF000000u);
    if (draw) draw(gc);
    else environment.manager->renderContext();
    if (!graphics.device()->readPixels(0, 0, kPictureWidth, kPictureHeight, pixels)) {
        error = "the frame could not be read back";
        return false;
    }
    return true;
}

bool writeLevelPicture(const std::vector<uint32_t>& pixels, const std::string& png, std::string& error) {
    if (pixels.size() != static_cast<size_t>(kPictureWidth) * kPictureHeight) {
        error = printable(png) + ": the frame is not " + std::to_string(kPictureWidth) + " x " +
                std::to_string(kPictureHeight);
        return false;
    }
    std::vector<uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint32_t p : pixels)
        for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(p >> shift));
    // Encoded in memory, then written as every output of the builder is.
    std::vector<uint8_t> encoded;
    const auto append = [](void* to, void* data, int size) {
        auto& out = *static_cast<std::vector<uint8_t>*>(to);
        const auto* bytes = static_cast<const uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (!stbi_write_png_to_func(append, &encoded, kPictureWidth, kPictureHeight, 3, rgb.data(), kPictureWidth * 3)) {
        error = printable(png) + ": the picture could not be encoded";
        return false;
    }
    return writeOutputFile(png, encoded.data(), encoded.size(), error);
}

bool drawLevelPicture(LevelEnvironment& environment, const KeyScript& script, int frame, const std::string& png,
                      std::string& error, int number) {
    std::vector<uint32_t> pixels;
    return captureLevelFrame(environment, script, frame, pixels, error, number) &&
           writeLevelPicture(pixels, png, error);
}

}  // namespace levelbuild
