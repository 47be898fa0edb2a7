#include "gfx/ZubGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "gfx/ImageCodec.h"
#include "platform/AtomicFile.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {
ZubGraphics* activeGraphics = nullptr;
std::string crashScreenshotPath;

void saveCrashScreenshot() {
    if (activeGraphics && !crashScreenshotPath.empty())
        activeGraphics->saveScreenshot(crashScreenshotPath, 90, CrashFiles::kMaxScreenshotBytes);
}
}  // namespace

ZubGraphics::ZubGraphics() : previous_(activeGraphics) { activeGraphics = this; }

ZubGraphics::~ZubGraphics() {
    if (activeGraphics == this) activeGraphics = previous_;
    device_.reset();
}

ZubGraphics* ZubGraphics::active() { return activeGraphics; }

bool ZubGraphics::setDevice(std::unique_ptr<platform::RenderDevice> device, std::string& error) {
    device_.reset();
    if (!device) {
        error = "no device";
        return false;
    }
    if (!device->init(error)) return false;
    device_ = std::move(device);
    Logger::get().log(u"%s(): %s", "ZubGraphics::setDevice",
                      formatString(u"%s device, textures up to %d pixels", device_->name(), device_->maxTextureSize()));
    updateViewport();
    return true;
}

void ZubGraphics::setBackend(platform::Backend* backend) {
    backend_ = backend;
    videoModes.clear();
    if (!backend) return;
    for (const platform::Backend::DisplayMode& m : backend->displayModes()) {
        if (m.width <= 0 || m.height <= 0) continue;
        const bool known = std::any_of(videoModes.begin(), videoModes.end(),
                                       [&](const VideoMode& v) { return v.width == m.width && v.height == m.height; });
        if (!known) videoModes.push_back(VideoMode{m.width, m.height});
    }
    std::sort(videoModes.begin(), videoModes.end(), [](const VideoMode& a, const VideoMode& b) {
        return a.width != b.width ? a.width < b.width : a.height < b.height;
    });
}

void ZubGraphics::onWindowSize(int pixelWidth, int pixelHeight) {
    if (pixelWidth <= 0 || pixelHeight <= 0) return;
    width = pixelWidth;
    height = pixelHeight;
    backBufferWidth = pixelWidth;
    backBufferHeight = pixelHeight;
    updateViewport();
}

void ZubGraphics::updateViewport() {
    const int bw = backBufferWidth, bh = backBufferHeight;
    if (bw <= 0 || bh <= 0) return;
    platform::DeviceViewport v{0, 0, bw, bh};
    const double reference = static_cast<double>(referenceWidth) / referenceHeight;
    const double window = static_cast<double>(bw) / bh;
    if (bLetterbox) {
        if (window > reference) {
            v.width = static_cast<int>(std::lround(bh * reference));
            v.x = (bw - v.width) / 2;
        } else {
            v.height = static_cast<int>(std::lround(bw / reference));
            v.y = (bh - v.height) / 2;
        }
        aspectRatio = 1.0f;
    } else {
        aspectRatio = static_cast<float>(window / reference);
    }
    viewport = v;
    if (device_) {
        device_->setTargetSize(bw, bh);
        device_->setViewport(viewport);
    }
}

void ZubGraphics::beginFrame() {
    if (!device_) return;
    if (viewport.x > 0 || viewport.y > 0 || viewport.width < backBufferWidth || viewport.height < backBufferHeight) {
        // The letterbox bars are black whatever the screens clear to.
        device_->setViewport(platform::DeviceViewport{0, 0, backBufferWidth, backBufferHeight});
        device_->clear(0xFF000000u, 1.0f, 0);
    }
    device_->setViewport(viewport);
    device_->setBilinearFilter(bBilinearFilter);
    device_->setAlphaBlend(true);
    device_->setModulateColor(0xFFFFFFFF);
}

void ZubGraphics::present() {
    if (device_) device_->flush();
    if (backend_) backend_->present();
}

void ZubGraphics::clear(uint32_t argb) {
    if (device_) device_->clear(argb, 1.0f, 0);
}

void ZubGraphics::setAlphaBlend(bool on) {
    if (device_) device_->setAlphaBlend(on);
}

void ZubGraphics::changePresentationParameters(int w, int h, bool fullScreen, bool allowLetterbox, bool bilinear,
                                               bool vsync) {
    if (w < 0) w = width;
    if (h < 0) h = height;
    const bool windowChanged = w != width || h != height || fullScreen != bFullScreen;
    const bool restart = windowChanged || allowLetterbox != bLetterbox || vsync != bVSync;
    width = w;
    height = h;
    bFullScreen = fullScreen;
    bLetterbox = allowLetterbox;
    bBilinearFilter = bilinear;
    bVSync = vsync;
    if (device_) device_->setBilinearFilter(bilinear);
    if (!restart) return;
    Logger::get().log(u"%s(): %s", "ZubGraphics::changePresentationParameters", u"Restarting to apply configuration.");
    restartDevice(windowChanged);
}

void ZubGraphics::restartDevice(bool windowChanged) {
    ++restarts;
    if (backend_) {
        if (windowChanged) backend_->setFullScreen(bFullScreen, width, height);
        backend_->setVSync(bVSync);
    }
    if (onRestart) onRestart(*this);
    if (backend_) {
        // What the window got, not what it was asked for.
        int w = 0, h = 0;
        backend_->windowSize(w, h);
        onWindowSize(w, h);
    } else {
        backBufferWidth = width;
        backBufferHeight = height;
    }
    updateViewport();
}

WString ZubGraphics::describeVideoMode(const VideoMode& mode) {
    int a = mode.width, b = mode.height;
    const int g = std::gcd(a, b);
    if (g > 0) {
        a /= g;
        b /= g;
    }
    return formatString(u"%dx%d (%d:%d)", mode.width, mode.height, a, b);
}

float ZubGraphics::pixelToDesign() const {
    return viewport.width > 0 ? static_cast<float>(referenceWidth) / static_cast<float>(viewport.width) : 1.0f;
}

bool ZubGraphics::saveScreenshot(const std::string& path, int quality, uint64_t maxBytes) {
    std::vector<uint32_t> pixels;
    const int w = backBufferWidth, h = backBufferHeight;
    if (!device_ || !device_->readPixels(0, 0, w, h, pixels)) {
        Logger::get().log(u"%s(): %s", "ZubGraphics::saveScreenshot", u"the device cannot read the frame back");
        return false;
    }
    std::vector<uint8_t> jpeg;
    if (!image_codec::encodeJpeg(pixels.data(), w, h, quality, jpeg)) return false;
    if (jpeg.size() > maxBytes) {
        Logger::get().log(
            u"%s(): %s", "ZubGraphics::saveScreenshot",
            formatString(u"not saving '%s': %llu bytes, more than %llu", path,
                         static_cast<unsigned long long>(jpeg.size()), static_cast<unsigned long long>(maxBytes)));
        return false;
    }
    // A new file under the name: a link left there is replaced, not followed.
    std::string reason;
    if (!AtomicFile::writeAll(path, jpeg.data(), jpeg.size(), &reason)) {
        Logger::get().log(u"%s(): %s", "ZubGraphics::saveScreenshot",
                          formatString(u"cannot write '%s': %s", path, reason));
        return false;
    }
    Logger::get().log(u"%s(): %s", "ZubGraphics::saveScreenshot", formatString(u"saved '%s'", path));
    return true;
}

void ZubGraphics::setCrashScreenshotPath(const std::string& path) {
    crashScreenshotPath = path;
    ErrorManager::hooks.saveScreenshot = path.empty() ? nullptr : &saveCrashScreenshot;
}
