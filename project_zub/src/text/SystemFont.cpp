#include "text/SystemFont.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "platform/FontRasterizer.h"
#include "sys/Logger.h"

namespace {
SystemFont* activeFont = nullptr;

// The next character of UTF-16 text (a surrogate pair as one; a lone
// surrogate as itself).
char32_t nextChar(std::u16string_view s, size_t& i) {
    const char16_t c = s[i++];
    if (c >= 0xD800 && c < 0xDC00 && i < s.size() && s[i] >= 0xDC00 && s[i] < 0xE000) {
        const char16_t lo = s[i++];
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(lo) - 0xDC00);
    }
    return c;
}
}  // namespace

SystemFont::SystemFont(std::u16string_view fam, std::string memoPath)
    : family(fam), previous(activeFont), memo(std::move(memoPath)) {
    activeFont = this;
}

void SystemFont::lookUp() const {
    bLookedUp = true;
    const std::string narrow = wideToUtf8(family);
    std::string found = platform::findFontFile(narrow, memo);
    if (found.empty()) {
        Logger::get().log(u"%s(): %s", "SystemFont::lookUp", formatString(u"No font found for '%s'.", family));
        return;
    }
    std::string error;
    if (!platform::openFontRasterizer(found, 16, error)) {
        Logger::get().log(
            u"%s(): %s", "SystemFont::lookUp",
            formatString(u"Cannot use '%s' for '%s': %s", escapeForLog(found), family, escapeForLog(error)));
        return;
    }
    file = std::move(found);
    Logger::get().log(u"%s(): %s", "SystemFont::lookUp",
                      formatString(u"'%s' is drawn with %s.", family, escapeForLog(file)));
}

SystemFont::~SystemFont() {
    clear();
    if (activeFont == this) activeFont = previous;
}

SystemFont* SystemFont::active() { return activeFont; }

size_t SystemFont::KeyHash::operator()(const std::pair<WString, int>& k) const {
    return std::hash<std::u16string>()(k.first) ^ (static_cast<size_t>(k.second) * 0x9E3779B97F4A7C15ull);
}

platform::FontRasterizer* SystemFont::face(int lineHeight) {
    if (!isOpen() || lineHeight < 1 || lineHeight > 1024) return nullptr;
    auto it = faces.find(lineHeight);
    if (it != faces.end()) return it->second.get();
    // The largest em size whose line fits the line height.
    std::unique_ptr<platform::FontRasterizer> best;
    int em = std::max(1, static_cast<int>(std::lround(lineHeight * 0.86)));
    for (int tries = 0; tries < 8 && em >= 1; ++tries, --em) {
        std::string error;
        auto f = platform::openFontRasterizer(file, em, error);
        if (!f) break;
        best = std::move(f);
        if (best->metrics().lineHeight <= lineHeight) break;
    }
    platform::FontRasterizer* raw = best.get();
    faces.emplace(lineHeight, std::move(best));
    return raw;
}

int SystemFont::advanceOf(platform::FontRasterizer& f, int lineHeight, char32_t code) {
    const uint64_t key = (static_cast<uint64_t>(lineHeight) << 32) | code;
    auto it = advances.find(key);
    if (it != advances.end()) return it->second;
    platform::GlyphImage g;
    int a = 0;
    if (f.renderGlyph(code, g)) a = g.advance;
    advances.emplace(key, a);
    return a;
}

float SystemFont::measure(std::u16string_view text, int lineHeight) {
    platform::FontRasterizer* f = face(lineHeight);
    if (!f) return 0.0f;
    int pen = 0;
    for (size_t i = 0; i < text.size();) pen += advanceOf(*f, lineHeight, nextChar(text, i));
    return static_cast<float>(pen);
}

namespace {
// Rows from the top of a line image of the line height down to the face's
// baseline: the face's line centred in the height.
int baselineRow(const platform::FontFaceMetrics& m, int lineHeight) {
    return m.ascender + (lineHeight - m.lineHeight) / 2;
}
}  // namespace

int SystemFont::letterBottom(int lineHeight) {
    platform::FontRasterizer* f = face(lineHeight);
    if (!f) return 0;
    auto it = letterBottoms.find(lineHeight);
    if (it != letterBottoms.end()) return it->second;
    int bottom = baselineRow(f->metrics(), lineHeight);
    platform::GlyphImage g;
    if (f->renderGlyph(U'H', g) && g.height > 0) bottom += g.height - g.top;
    letterBottoms.emplace(lineHeight, bottom);
    return bottom;
}

bool SystemFont::hasGlyph(char32_t code) {
    platform::FontRasterizer* f = face(32);
    return f && f->hasGlyph(code);
}

const SystemFont::Image* SystemFont::render(std::u16string_view text, int lineHeight) {
    if (text.empty()) return nullptr;
    platform::FontRasterizer* f = face(lineHeight);
    if (!f) return nullptr;
    auto found = images.find(std::make_pair(WString(text), lineHeight));
    if (found != images.end()) {
        order.splice(order.begin(), order, found->second);
        return &found->second->image;
    }

    // Lay the glyphs out along the baseline, the line centred in the height.
    const int baseline = baselineRow(f->metrics(), lineHeight);
    struct Placed {
        platform::GlyphImage glyph;
        int x = 0;
    };
    std::vector<Placed> placed;
    int pen = 0, right = 0;
    for (size_t i = 0; i < text.size();) {
        Placed p;
        if (!f->renderGlyph(nextChar(text, i), p.glyph)) continue;
        p.x = pen + p.glyph.left;
        right = std::max(right, p.x + p.glyph.width);
        pen += p.glyph.advance;
        placed.push_back(std::move(p));
    }
    const int width = std::clamp(std::max(pen, right), 1, 8192);
    MemoryImageFile image(width, lineHeight);
    for (const Placed& p : placed) {
        const platform::GlyphImage& g = p.glyph;
        for (int y = 0; y < g.height; ++y) {
            const int ty = baseline - g.top + y;
            if (ty < 0 || ty >= lineHeight) continue;
            for (int x = 0; x < g.width; ++x) {
                const int tx = p.x + x;
                if (tx < 0 || tx >= width) continue;
                const uint32_t a =
                    g.coverage[static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)];
                const uint32_t old = image.getPixel(tx, ty) >> 24;
                image.setPixel(tx, ty, (std::max(a, old) << 24) | 0x00FFFFFFu);
            }
        }
    }

    while (images.size() >= CAPACITY && !order.empty()) {
        images.erase(std::make_pair(order.back().text, order.back().lineHeight));
        deleteObject(order.back().image.texture);
        order.pop_back();
    }
    Node node;
    node.text.assign(text);
    node.lineHeight = lineHeight;
    node.image.texture = new Texture(&image, Texture::FLAG_ALPHA);
    const Quad* q = node.image.texture->getSkin(0);
    node.image.width = static_cast<float>(width);
    node.image.height = static_cast<float>(lineHeight);
    node.image.u1 = q ? q->u1 : 1.0f;
    node.image.v1 = q ? q->v1 : 1.0f;
    order.push_front(std::move(node));
    images.emplace(std::make_pair(order.front().text, lineHeight), order.begin());
    return &order.front().image;
}

void SystemFont::clear() {
    for (Node& n : order) deleteObject(n.image.texture);
    order.clear();
    images.clear();
}
