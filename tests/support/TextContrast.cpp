#include "TextContrast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "gfx/Camera.h"
#include "gfx/Renderable.h"
#include "gfx/Skin.h"
#include "text/FontQuad.h"
#include "text/TextLayout.h"

namespace contrasttest {

namespace {

double linear(int channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

int channelOf(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFFu); }

}  // namespace

double luminance(uint32_t c) {
    return 0.2126 * linear(channelOf(c, 16)) + 0.7152 * linear(channelOf(c, 8)) + 0.0722 * linear(channelOf(c, 0));
}

double contrastRatio(uint32_t a, uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t over(uint32_t colour, uint32_t behind) {
    const int alpha = channelOf(colour, 24);
    uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const int c = (channelOf(colour, shift) * alpha + channelOf(behind, shift) * (255 - alpha) + 127) / 255;
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

namespace {

// The pixel box of a world rectangle (left, top, right, bottom; y up).
Box pixelBox(float left, float top, float right, float bottom, float z, const Camera& camera, int w, int h) {
    // World to reference-screen points (y up from the bottom), then to
    // pixels (rows down from the top).
    const V3 a = camera.worldToScreen(V3(left, top, z));
    const V3 b = camera.worldToScreen(V3(right, bottom, z));
    const float sx = static_cast<float>(w) / REFERENCE_WIDTH, sy = static_cast<float>(h) / REFERENCE_HEIGHT;
    Box box;
    box.left = static_cast<int>(std::floor(a.x * sx));
    box.right = static_cast<int>(std::ceil(b.x * sx));
    box.top = static_cast<int>(std::floor((REFERENCE_HEIGHT - a.y) * sy));
    box.bottom = static_cast<int>(std::ceil((REFERENCE_HEIGHT - b.y) * sy));
    return box;
}

}  // namespace

Box skinBox(const Renderable& r, const Camera& camera, int w, int h) {
    if (!r.pSkin) return {};
    const float hw = r.pSkin->width * std::fabs(r.scale.x) * 0.5f, hh = r.pSkin->height * std::fabs(r.scale.y) * 0.5f;
    const V3 c = r.boundingCentre;
    return pixelBox(c.x - hw, c.y + hh, c.x + hw, c.y - hh, c.z, camera, w, h);
}

bool overlap(const Box& a, const Box& b) {
    return !a.empty() && !b.empty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Box textBox(const FontQuad& font, std::u16string_view text, int flags, const V3& at, const Camera& camera, int w, int h,
            float scaleX) {
    TextLayout layout;
    font.layoutText(text, flags, layout);
    if (layout.quads.empty()) return {};
    float left = std::numeric_limits<float>::max(), right = -left, top = -left, bottom = left;
    for (const TextQuad& q : layout.quads) {
        left = std::min(left, q.left);
        right = std::max(right, q.right);
        top = std::max(top, q.top);
        bottom = std::min(bottom, q.bottom);
    }
    return pixelBox(at.x + left * scaleX, at.y + top, at.x + right * scaleX, at.y + bottom, at.z, camera, w, h);
}

uint32_t medianColour(const std::vector<uint32_t>& frame, int w, int h, const Box& box) {
    std::array<std::vector<int>, 3> channels;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, h); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, w); ++x) {
            const uint32_t p = frame[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
            for (int c = 0; c < 3; ++c) channels[c].push_back(channelOf(p, 16 - 8 * c));
        }
    if (channels[0].empty()) return 0xFF000000u;
    uint32_t out = 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
        std::vector<int>& v = channels[c];
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        out |= static_cast<uint32_t>(v[v.size() / 2]) << (16 - 8 * c);
    }
    return out;
}

int pixelsThatDiffer(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int w, int h, const Box& box,
                     int threshold) {
    int n = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, h); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, w); ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            int d = 0;
            for (int shift : {16, 8, 0}) d = std::max(d, std::abs(channelOf(a[i], shift) - channelOf(b[i], shift)));
            n += d > threshold ? 1 : 0;
        }
    return n;
}

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    char line[160];
    std::snprintf(line, sizeof line, "%.2f:1 (text #%08X on #%06X)", r.ratio, r.colour, r.behind & 0xFFFFFFu);
    return out << "\"" << r.what << "\" " << line << " in " << r.box;
}

const Reading& Readings::add(std::string what, uint32_t colour, const Box& box, const std::vector<uint32_t>& with,
                             const std::vector<uint32_t>& without, int w, int h) {
    EXPECT_FALSE(box.empty()) << name << ": \"" << what << "\" has no box";
    EXPECT_TRUE(box.within(w, h)) << name << ": \"" << what << "\" at " << box << " leaves the frame";
    // The box holds the text: the capture with it differs there.
    const int area = (box.right - box.left) * (box.bottom - box.top);
    EXPECT_GE(pixelsThatDiffer(with, without, w, h, box), std::max(4, area / 40))
        << name << ": \"" << what << "\" is not drawn in its box " << box;
    Reading r;
    r.what = std::move(what);
    r.colour = colour;
    r.box = box;
    r.behind = medianColour(without, w, h, box);
    r.ratio = contrastRatio(over(colour, r.behind), r.behind);
    readings.push_back(r);
    return readings.back();
}

const Reading* Readings::lowest() const {
    const Reading* low = nullptr;
    for (const Reading& r : readings)
        if (!low || r.ratio < low->ratio) low = &r;
    return low;
}

void Readings::expectAtLeast(double least) const {
    ASSERT_FALSE(readings.empty()) << name << ": nothing measured";
    for (const Reading& r : readings) EXPECT_GE(r.ratio, least) << name << ": " << r;
    std::printf("%s: %zu texts, lowest %s\n", name.c_str(), readings.size(),
                ::testing::PrintToString(*lowest()).c_str());
}

}  // namespace contrasttest
