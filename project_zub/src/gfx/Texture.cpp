#include "gfx/Texture.h"

#include <algorithm>

#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/ZubGraphics.h"
#include "object/FileData.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/MemoryIniFile.h"

ZUB_IMPLEMENT_NAMED_CLASS(Texture, ZubBase, u"Texture")

namespace {

// A part made of an optional minus and up to nine digits (what descriptions
// hold) as parseDouble reads it ("-0" is -0.0); false for anything else.
bool parsePlainWhole(std::u16string_view part, double& v) {
    const bool negative = !part.empty() && part[0] == u'-';
    if (negative) part.remove_prefix(1);
    if (part.empty() || part.size() > 9) return false;
    int64_t n = 0;
    for (char16_t c : part) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c - u'0');
    }
    v = negative ? -static_cast<double>(n) : static_cast<double>(n);
    return true;
}

// "skin" and the index in decimal, as formatString(u"skin%d", i) writes it.
void setSkinSection(WString& section, int i) {
    char16_t digits[12];
    int n = 0;
    unsigned v = static_cast<unsigned>(i);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    section.assign(u"skin");
    while (n > 0) section.push_back(digits[--n]);
}

// Comma-separated numbers; false when any part is not a number or the count
// is outside [minCount, maxCount].
bool parseNumbers(std::u16string_view text, std::vector<double>& out, size_t minCount, size_t maxCount) {
    out.clear();
    size_t start = 0;
    while (true) {
        size_t comma = text.find(u',', start);
        std::u16string_view part =
            text.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
        double v = 0;
        if (!parsePlainWhole(part, v) && !property_text::parseDouble(part, v)) return false;
        out.push_back(v);
        if (out.size() > maxCount) return false;
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    return out.size() >= minCount;
}

// The range is checked before the conversion: a number beyond what int64_t
// holds (or NaN) must not reach it.
bool isWhole(double v) { return v > -1e9 && v < 1e9 && v == static_cast<double>(static_cast<int64_t>(v)); }

// The average of 2 x 2 blocks; odd sizes keep their last row or column.
void halve(Texture::Canvas& px, int& w, int& h) {
    const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
    Texture::Canvas out(static_cast<size_t>(nw) * static_cast<size_t>(nh));
    for (int y = 0; y < nh; ++y) {
        for (int x = 0; x < nw; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            int n = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const int sx = std::min(2 * x + dx, w - 1), sy = std::min(2 * y + dy, h - 1);
                    const uint32_t p = px[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)];
                    for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
                    ++n;
                }
            }
            uint32_t q = 0;
            for (int c = 0; c < 4; ++c)
                q |= ((sum[c] + static_cast<uint32_t>(n / 2)) / static_cast<uint32_t>(n)) << (8 * c);
            out[static_cast<size_t>(y) * static_cast<size_t>(nw) + static_cast<size_t>(x)] = q;
        }
    }
    px.swap(out);
    w = nw;
    h = nh;
}

}  // namespace

namespace {
uint64_t fileDecodes = 0;
}  // namespace

texture_detail::AlphaFlag::operator bool() const {
    if (owner) owner->makePendingCanvas();
    return value;
}

uint64_t Texture::fileDecodeCount() { return fileDecodes; }

int Texture::nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

Texture::Texture() = default;

Texture::Texture(int f, std::u16string_view name) : flags(f), fileName(name) {
    FileManager* files = FileManager::active();
    if (!files) ZUB_ERROR(u"No file manager to read '%s'.", fileName);
    hq2x = files->hq2x > 0 ? files->hq2x : 1;
    if (!files->loadStoredFile(fileName, pendingFile)) ZUB_ERROR(u"Could not read file '%s'.", fileName);
    int w = 0, h = 0;
    readSizeFromHead(w, h);
    setSizes(w, h);
    // The source image decodes the bytes on first use of its pixels.
    if (flags & FLAG_KEEP_SOURCE) sourceImage = new MemoryImageFile(fileName, std::move(pendingFile));
    bCanvasPending = true;
    loadDescription();
}

Texture::Texture(const MemoryImageFile* image, int f) : flags(f) {
    ZUB_ASSERT(image != nullptr);
    setImage(image->pixels(), image->getWidth(), image->getHeight(), image->hasAlpha());
    if (flags & FLAG_KEEP_SOURCE) {
        DecodedImage copy;
        copy.width = image->getWidth();
        copy.height = image->getHeight();
        copy.pixels.assign(image->pixels(),
                           image->pixels() + static_cast<size_t>(copy.width) * static_cast<size_t>(copy.height));
        copy.alphaUsed = image->hasAlpha();
        sourceImage = new MemoryImageFile(std::move(copy));
    }
    setWholeImageSkin();
}

Texture::~Texture() {
    release();
    clearSkins();
    if (sourceImage) deleteObject(sourceImage);
}

void Texture::setSizes(int w, int h) {
    ZUB_ASSERT(w > 0 && h > 0);
    width = w;
    height = h;
    realWidth = nextPowerOfTwo(w);
    realHeight = nextPowerOfTwo(h);
    deviceWidth = realWidth;
    deviceHeight = realHeight;
    halvings = 0;
}

uint32_t* Texture::prepareCanvas(int w, int h) {
    setSizes(w, h);
    const size_t stride = static_cast<size_t>(realWidth);
    canvas.clear();
    canvas.resize(stride * static_cast<size_t>(realHeight));
    // Transparent black beside and below the image.
    if (realWidth > w)
        for (int y = 0; y < h; ++y)
            std::fill_n(canvas.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(w), realWidth - w, 0u);
    std::fill(canvas.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(h) * stride), canvas.end(), 0u);
    return canvas.data();
}

void Texture::finishCanvas(bool alphaUsed, bool alreadyOpaque) {
    const bool keepAlpha = (flags & FLAG_ALPHA) != 0 || alphaUsed;
    bHasAlpha = keepAlpha;
    if (keepAlpha || alreadyOpaque) return;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = canvas.data() + static_cast<size_t>(y) * static_cast<size_t>(realWidth);
        for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
    }
}

void Texture::setImage(const uint32_t* pixels, int w, int h, bool alphaUsed) {
    uint32_t* rows = prepareCanvas(w, h);
    for (int y = 0; y < h; ++y)
        std::copy_n(pixels + static_cast<size_t>(y) * static_cast<size_t>(w), w,
                    rows + static_cast<size_t>(y) * static_cast<size_t>(realWidth));
    finishCanvas(alphaUsed);
}

// The canvas as the decoder's target.
class Texture::CanvasTarget final : public image_codec::ImageTarget {
public:
    explicit CanvasTarget(Texture& t) : texture(t) {}
    uint32_t* rows(int w, int h, size_t& stride) override {
        uint32_t* first = texture.prepareCanvas(w, h);
        stride = static_cast<size_t>(texture.realWidth);
        return first;
    }

private:
    Texture& texture;
};

void Texture::decodeCanvas(const uint8_t* data, size_t size) {
    CanvasTarget target(*this);
    image_codec::Alpha alpha = image_codec::Alpha::Opaque;
    image_codec::decodeInto(data, size, fileName, target, alpha);
    finishCanvas(alpha == image_codec::Alpha::Used, alpha == image_codec::Alpha::Opaque);
    ++fileDecodes;
}

void Texture::loadCanvas() {
    const FileData file(0, fileName);
    decodeCanvas(file.data(), file.size());
}

void Texture::readSizeFromHead(int& w, int& h) {
    // A file still packed in its archive is unpacked only as far as its
    // header goes: most textures are not drawn soon after they are loaded,
    // and some never are. A loose file is checked whole, as it is at hand.
    if (pendingFile.isPacked()) {
        // TGA and PNG headers take their first 33 bytes; a JPEG's header
        // runs to its first scan, past its tables.
        for (size_t count = 64; count < pendingFile.size(); count *= 16) {
            const std::string_view head = pendingFile.head(count);
            std::string reason;
            if (image_codec::tryReadSizeFromHead(reinterpret_cast<const uint8_t*>(head.data()), head.size(),
                                                 pendingFile.size(), w, h, reason))
                return;
        }
        pendingFile = StoredBytes(pendingFile.take());
    }
    const std::string_view whole = pendingFile.head(pendingFile.size());
    image_codec::readSize(reinterpret_cast<const uint8_t*>(whole.data()), whole.size(), fileName, w, h);
}

void Texture::makeCanvas() {
    bCanvasPending = false;
    if (sourceImage) {
        reloadCanvas();
        return;
    }
    const ByteBuffer bytes = pendingFile.take();
    decodeCanvas(bytes.data, bytes.size);
}

bool Texture::reloadCanvas() {
    if (sourceImage) {
        const MemoryImageFile& source = *sourceImage;
        setImage(source.pixels(), source.getWidth(), source.getHeight(), source.hasAlpha());
        return true;
    }
    if (fileName.empty()) return false;
    loadCanvas();
    return true;
}

void Texture::clearSkins() {
    for (Quad* q : skins) deleteObject(q);
    skins.clear();
}

Quad* Texture::getSkin(int n) const {
    if (n < 0 || n >= getSkinCount()) return nullptr;
    return skins[static_cast<size_t>(n)];
}

void Texture::setWholeImageSkin() {
    clearSkins();
    Quad* q = new Quad(this, 0, 0, width, height);
    q->sheetIndex = 0;
    skins.push_back(q);
}

void Texture::loadDescription() {
    FileManager* fm = FileManager::active();
    if (fileName.empty() || !fm) {
        setWholeImageSkin();
        return;
    }
    WString stem = fileName;
    size_t dot = stem.find_last_of(u'.');
    size_t slash = stem.find_last_of(u"/\\");
    if (dot != WString::npos && (slash == WString::npos || dot > slash)) stem.resize(dot);
    for (const char16_t* ending : {u".ini", u".preload"}) {
        WString name = stem + ending;
        if (!fm->fileExists(name)) continue;
        FileData file(0, name);
        applySkinDescription(file.view(), name);
        return;
    }
    setWholeImageSkin();
}

void Texture::applySkinDescription(std::string_view text, std::u16string_view name) {
    WString why;
    if (!trySkinDescription(text, why)) ZUB_ERROR(u"Bad skin description '%s': %s", name, why);
}

bool Texture::trySkinDescription(std::string_view text, WString& why) {
    MemoryIniFile ini(text);
    auto fail = [&](const WString& reason) {
        why = reason;
        return false;
    };
    std::vector<double> nums;

    // The grid.
    int gridCols = 0, gridRows = 0, cellW = 0, cellH = 0, gridCount = 0;
    if (ini.hasKey(u"sheet", u"grid")) {
        if (!parseNumbers(ini.getString(u"sheet", u"grid"), nums, 4, 5))
            return fail(u"grid needs cols,rows,cellW,cellH[,count]");
        for (double v : nums)
            if (!isWhole(v) || v < 1) return fail(u"grid values must be whole numbers of at least 1");
        gridCols = static_cast<int>(nums[0]);
        gridRows = static_cast<int>(nums[1]);
        cellW = static_cast<int>(nums[2]);
        cellH = static_cast<int>(nums[3]);
        if (static_cast<int64_t>(gridCols) * cellW > width || static_cast<int64_t>(gridRows) * cellH > height)
            return fail(u"the grid is larger than the image");
        const int64_t cells = static_cast<int64_t>(gridCols) * gridRows;
        gridCount = static_cast<int>(std::min<int64_t>(cells, MAX_SKINS + 1));
        if (nums.size() == 5) {
            if (nums[4] > static_cast<double>(cells)) return fail(u"the grid's count exceeds its cells");
            gridCount = static_cast<int>(nums[4]);
        }
    }

    // The number of skins.
    int count = gridCount;
    for (const WString& section : ini.getSectionNames()) {
        if (section.size() < 5) continue;
        WString lower = section;
        for (char16_t& c : lower)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (lower.compare(0, 4, u"skin") != 0) continue;
        int64_t k = 0;
        if (!property_text::parseInt(std::u16string_view(lower).substr(4), k) || k < 0 || k >= MAX_SKINS)
            return fail(u"a section names no valid skin index: " + section);
        count = std::max(count, static_cast<int>(k) + 1);
    }
    if (ini.hasKey(u"sheet", u"count")) {
        double v = 0;
        if (!property_text::parseDouble(ini.getString(u"sheet", u"count"), v) || !isWhole(v))
            return fail(u"count must be a whole number");
        if (v < 1 || v > MAX_SKINS) return fail(u"count out of range");
        count = static_cast<int>(v);
    }
    if (count < 1 || count > MAX_SKINS) return fail(u"no skins (or too many)");

    // Anchors and origins: false when the section's value is malformed.
    auto readAnchor = [&](std::u16string_view section, int& anchor) {
        if (!ini.hasKey(section, u"anchor")) return true;
        double v = 0;
        if (!property_text::parseDouble(ini.getString(section, u"anchor"), v) || !isWhole(v) || v < 0 || v > 9)
            return fail(u"anchor must be 0-9");
        anchor = static_cast<int>(v);
        return true;
    };
    auto readOrigin = [&](std::u16string_view section, V3& origin) {
        if (!ini.hasKey(section, u"origin")) return true;
        if (!parseNumbers(ini.getString(section, u"origin"), nums, 2, 2)) return fail(u"origin needs ox,oy");
        origin = V3(static_cast<float>(nums[0]), static_cast<float>(nums[1]), 0.0f);
        return true;
    };
    int defaultAnchor = 5;
    V3 defaultOrigin;
    if (!readAnchor(u"sheet", defaultAnchor) || !readOrigin(u"sheet", defaultOrigin)) return false;
    const float f = static_cast<float>(hq2x > 0 ? hq2x : 1);

    struct Frame {
        int x, y, w, h, anchor;
        V3 adjust;
    };
    std::vector<Frame> frames;
    frames.reserve(static_cast<size_t>(count));
    WString section;
    for (int i = 0; i < count; ++i) {
        setSkinSection(section, i);
        Frame fr{};
        if (ini.hasKey(section, u"rect")) {
            if (!parseNumbers(ini.getString(section, u"rect"), nums, 4, 4))
                return fail(section + u": rect needs x,y,w,h");
            for (double v : nums)
                if (!isWhole(v)) return fail(section + u": rect values must be whole numbers");
            fr.x = static_cast<int>(nums[0]);
            fr.y = static_cast<int>(nums[1]);
            fr.w = static_cast<int>(nums[2]);
            fr.h = static_cast<int>(nums[3]);
        } else if (i < gridCount) {
            fr.x = (i % gridCols) * cellW;
            fr.y = (i / gridCols) * cellH;
            fr.w = cellW;
            fr.h = cellH;
        } else {
            return fail(section + u": no rectangle");
        }
        if (fr.x < 0 || fr.y < 0 || fr.w < 1 || fr.h < 1 || static_cast<int64_t>(fr.x) + fr.w > width ||
            static_cast<int64_t>(fr.y) + fr.h > height)
            return fail(section + u": the rectangle lies outside the image");
        fr.anchor = defaultAnchor;
        fr.adjust = defaultOrigin;
        if (!readAnchor(section, fr.anchor) || !readOrigin(section, fr.adjust)) return false;
        frames.push_back(fr);
    }
    // Every frame is good: the skins are made.
    clearSkins();
    for (int i = 0; i < count; ++i) {
        const Frame& fr = frames[static_cast<size_t>(i)];
        Quad* q = new Quad(this, fr.x, fr.y, fr.w, fr.h);
        q->sheetIndex = i;
        q->originAdjust = V3(fr.adjust.x / f, fr.adjust.y / f, 0.0f);
        q->getAnchorPoint(fr.anchor);
        skins.push_back(q);
    }
    return true;
}

void Texture::registerSkins(ResourceManager& resources, std::u16string_view name) {
    resources.addResource(name, this);
    for (int i = 0; i < getSkinCount(); ++i)
        resources.addResource(formatString(u"%s:%d", name, i), skins[static_cast<size_t>(i)]);
}

platform::TextureHandle Texture::getHandle() {
    ZubGraphics* g = ZubGraphics::active();
    platform::RenderDevice* d = g ? g->device() : nullptr;
    if (!d) return 0;
    if (handle && deviceSerial == d->serial()) return handle;
    handle = 0;
    makePendingCanvas();
    if (canvas.empty() && !reloadCanvas()) return 0;
    int limit = d->maxTextureSize();
    if (g->bSmallTextures) limit = std::min(limit, ((flags & FLAG_ALLOW_512) ? 512 : 256) * std::max(hq2x, 1));
    if (limit < 1) limit = 1;
    if (deviceWidth > limit || deviceHeight > limit) {
        while (deviceWidth > limit || deviceHeight > limit) {
            halve(canvas, deviceWidth, deviceHeight);
            ++halvings;
        }
        if (!(flags & FLAG_HALVE))
            Logger::get().log(u"%s(): %s", "Texture::getHandle",
                              formatString(u"'%s' (%dx%d) is larger than the device allows; halved %d times", fileName,
                                           realWidth, realHeight, halvings));
    }
    handle = d->createTexture(deviceWidth, deviceHeight, canvas.data());
    deviceSerial = d->serial();
    // A texture loaded from a file can read it again; a copied image keeps its pixels.
    if (handle && !fileName.empty() && !(flags & FLAG_KEEP_SOURCE)) {
        canvas.clear();
        canvas.shrink_to_fit();
    }
    return handle;
}

void Texture::release() {
    if (!handle) return;
    ZubGraphics* g = ZubGraphics::active();
    platform::RenderDevice* d = g ? g->device() : nullptr;
    if (d && d->serial() == deviceSerial) d->destroyTexture(handle);
    handle = 0;
}
