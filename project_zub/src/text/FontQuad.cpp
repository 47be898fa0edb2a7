#include "text/FontQuad.h"

#include <algorithm>
#include <cmath>

#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Renderable.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "text/CompositeChars.h"
#include "text/SystemFont.h"
#include "text/TextCache.h"
#include "text/TextMarkup.h"

ZUB_IMPLEMENT_NAMED_CLASS(FontQuad, ZubBase, u"FontQuad")

bool FontQuad::bAllowResolutionScaling = true;

namespace {

WString& codePageSetting() {
    static WString cp = u"1252";
    return cp;
}

constexpr char16_t LINE_BREAK = u'\r';
constexpr int LAYOUT_FLAGS = FontQuad::TEXT_CENTRE | FontQuad::TEXT_RIGHT | FontQuad::TEXT_HALF_LINE_UP |
                             FontQuad::TEXT_LINE_UP | FontQuad::TEXT_SYSTEM_FONT;

// A pixel rectangle of a texture.
struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The part of a skin's rectangle whose pixels are not fully transparent;
// the whole rectangle when the pixels are not at hand; w = 0 when it is empty.
PixelRect inkBox(const Quad* q) {
    PixelRect r{q->rectLeft, q->rectTop, q->rectRight - q->rectLeft, q->rectBottom - q->rectTop};
    const Texture* t = q->texture;
    if (!t) return r;
    const uint32_t* px = nullptr;
    int stride = 0, limitW = 0, limitH = 0;
    if (const MemoryImageFile* src = t->getSourceImage()) {
        px = src->pixels();
        stride = limitW = src->getWidth();
        limitH = src->getHeight();
    } else if (!t->canvasPixels().empty() && t->halvings == 0) {
        px = t->canvasPixels().data();
        stride = t->realWidth;
        limitW = t->width;
        limitH = t->height;
    }
    if (!px) return r;
    const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
    const int x1 = std::min(limitW, r.x + r.w), y1 = std::min(limitH, r.y + r.h);
    int minX = x1, minY = y1, maxX = x0 - 1, maxY = y0 - 1;
    for (int y = y0; y < y1; ++y) {
        const uint32_t* row = px + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = x0; x < x1; ++x) {
            if ((row[x] >> 24) == 0) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < minX) return PixelRect{r.x, r.y, 0, 0};
    return PixelRect{minX, minY, maxX - minX + 1, maxY - minY + 1};
}

bool isEmptySlot(const Quad* q) { return q->rectRight - q->rectLeft <= 1 && q->rectBottom - q->rectTop <= 1; }

float hq2xOf(const Quad* q) { return static_cast<float>(q->texture && q->texture->hq2x > 0 ? q->texture->hq2x : 1); }

}  // namespace

FontQuad::FontQuad() : blocks(256) {}

FontQuad::~FontQuad() {
    for (Quad* q : ownedQuads) deleteObject(q);
}

// ---------------------------------------------------------------------------
// Code page

void FontQuad::setCodePage(std::u16string_view codePage) { codePageSetting().assign(codePage); }

CodePointTable FontQuad::currentCodePointTable() {
    const WString& cp = codePageSetting();
    if (ResourceManager* rm = ResourceManager::active()) {
        ZubBase* r = rm->find(cp + u".codepointLUT", false);
        if (const FileData* file = zub_cast<FileData>(r)) {
            CodePointTable table;
            if (!CodePointTable::parse(file->data(), file->size(), table))
                ZUB_ERROR(u"Bad code-point table '%s': %d bytes, %d expected", file->getFileName(),
                          static_cast<int>(file->size()), static_cast<int>(CodePointTable::FILE_BYTES));
            return table;
        }
    }
    return CodePointTable::builtIn(cp);
}

// ---------------------------------------------------------------------------
// Glyphs

const FontQuad::Glyph* FontQuad::findGlyph(char16_t code) const {
    const Slot* block = blocks[code >> 8].get();
    if (!block) return nullptr;
    const Slot& s = block[code & 0xFF];
    return s.used ? &s.glyph : nullptr;
}

FontQuad::Slot& FontQuad::slotFor(char16_t code) {
    std::unique_ptr<Slot[]>& block = blocks[code >> 8];
    if (!block) block = std::make_unique<Slot[]>(256);
    return block[code & 0xFF];
}

FontQuad::Glyph FontQuad::getGlyph(char16_t code) const {
    const Glyph* g = findGlyph(code);
    if (!g) return Glyph();
    Glyph out = *g;
    out.spacing = advanceOf(code);
    return out;
}

float FontQuad::advanceOf(char16_t code) const {
    const Glyph* g = findGlyph(code);
    if (g && g->quad) return g->quad->width + static_cast<float>(letterSpacing);
    return static_cast<float>(defaultCharWidth);
}

// ---------------------------------------------------------------------------
// Loading

void FontQuad::addSourceTexture(Texture* texture, uint16_t firstCode, bool rawCodes) {
    ZUB_ASSERT(texture != nullptr);
    const int first = firstCode == CONTINUE ? lastCode + 1 : static_cast<int>(firstCode);
    const CodePointTable table = rawCodes ? CodePointTable() : currentCodePointTable();
    const int count = texture->getSkinCount();
    for (int i = 0; i < count; ++i) {
        const int code = first + i;
        Quad* q = texture->getSkin(i);
        if (!q || isEmptySlot(q)) continue;
        const char16_t unit =
            rawCodes ? (code >= 0 && code <= 0xFFFF ? static_cast<char16_t>(code) : char16_t(0)) : table.map(code);
        if (unit == 0) continue;
        Slot& s = slotFor(unit);
        if (!s.used) ++glyphTotal;
        s.used = true;
        s.glyph = Glyph();
        s.glyph.quad = q;
        float& tallest = rawCodes ? rawHeight : codePageHeight;
        tallest = std::max(tallest, q->height);
    }
    if (count > 0) lastCode = first + count - 1;
    pages.push_back(texture);
    if (name.empty()) {
        WString stem = texture->fileName;
        const size_t slash = stem.find_last_of(u"/\\");
        if (slash != WString::npos) stem.erase(0, slash + 1);
        const size_t dot = stem.find_last_of(u'.');
        if (dot != WString::npos) stem.resize(dot);
        name = stem;
    }
    updateMetrics();
    if (cache) cache->clear();
}

void FontQuad::addSourceTextures(std::u16string_view prefix) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) return;
    if (name.empty()) name.assign(prefix);
    auto textureAt = [&](const WString& resourceName) -> Texture* {
        return zub_cast<Texture>(rm->find(resourceName, false));
    };
    for (int n = 1;; ++n) {
        Texture* t = textureAt(formatString(u"%s%d", prefix, n));
        if (!t) break;
        addSourceTexture(t, n == 1 ? FIRST_PAGE_CODE : CONTINUE, false);
    }
    for (int n = 1;; ++n) {
        Texture* t = textureAt(formatString(u"%sExtra%d", prefix, n));
        if (!t) break;
        addSourceTexture(t, n == 1 ? FIRST_EXTRA_CODE : CONTINUE, true);
    }
}

int FontQuad::buildCompositeChars(std::u16string_view compositeFlag, std::u16string_view codePage) {
    if (compositeFlag != u"Yes") return 0;
    int made = 0;
    for (const composite_chars::Entry& e : composite_chars::forCodePage(codePage)) {
        if (findGlyph(e.character)) continue;
        const Glyph* base = findGlyph(e.base);
        if (!base || !base->quad) continue;
        const Quad* accentSource = nullptr;
        for (const char16_t* c = composite_chars::accentCandidates(e.accent); *c; ++c) {
            const Glyph* a = findGlyph(*c);
            if (a && a->quad) {
                accentSource = a->quad;
                break;
            }
        }
        if (!accentSource) continue;
        const PixelRect ai = inkBox(accentSource);
        if (ai.w <= 0 || ai.h <= 0) continue;

        // The base letter's cell and ink, design units from the cell's top left (y down).
        const Quad* bq = base->quad;
        const float fb = hq2xOf(bq), fa = hq2xOf(accentSource);
        const PixelRect bi = inkBox(bq);
        const float cellW = bq->width, cellH = bq->height;
        float inkL = 0, inkT = 0, inkR = cellW, inkB = cellH;
        if (bi.w > 0) {
            inkL = static_cast<float>(bi.x - bq->rectLeft) / fb;
            inkT = static_cast<float>(bi.y - bq->rectTop) / fb;
            inkR = inkL + static_cast<float>(bi.w) / fb;
            inkB = inkT + static_cast<float>(bi.h) / fb;
        }
        const float aw = static_cast<float>(ai.w) / fa, ah = static_cast<float>(ai.h) / fa;
        float left, top;
        if (composite_chars::isBelow(e.accent)) {
            left = e.accent == composite_chars::Accent::Ogonek ? inkR - aw : (inkL + inkR - aw) * 0.5f;
            top = inkB;
        } else {
            const bool small = (e.base >= u'a' && e.base <= u'z') || e.base == 0x7F;
            const float drop = static_cast<float>(small ? accentDropSmall : accentDropCapital);
            const float bottom = bi.w > 0 ? std::min(drop, inkT - 1.0f) : drop;
            left = (inkL + inkR - aw) * 0.5f;
            top = bottom - ah;
        }
        left = std::round(left);
        top = std::round(top);

        Quad* accent = new Quad(accentSource->texture, ai.x, ai.y, ai.w, ai.h);
        ownedQuads.push_back(accent);
        Slot& s = slotFor(e.character);
        if (!s.used) ++glyphTotal;
        s.used = true;
        s.glyph = Glyph();
        s.glyph.quad = base->quad;
        s.glyph.accent = accent;
        s.glyph.accentX = left + aw * 0.5f - cellW * 0.5f;
        s.glyph.accentY = cellH * 0.5f - (top + ah * 0.5f);
        ++made;
    }
    if (cache && made > 0) cache->clear();
    return made;
}

void FontQuad::finishLoading() {
    letterBottom = -1.0f;
    const Glyph* h = findGlyph(u'H');
    if (!h || !h->quad) return;
    const Quad* q = h->quad;
    const PixelRect ink = inkBox(q);
    // The whole cell back: its pixels are not at hand.
    if (ink.w <= 0 || (ink.y == q->rectTop && ink.h == q->rectBottom - q->rectTop)) return;
    letterBottom = static_cast<float>(ink.y + ink.h - q->rectTop) / hq2xOf(q);
    letterCellHeight = q->height;
}

void FontQuad::enableResolutionScaling() {
    bScaleWithResolution = bAllowResolutionScaling ? 1 : 0;
    onPresentationChange();
}

void FontQuad::attachFontCache() {
    updateMetrics();
    cache = std::make_unique<TextCache>(formatString(u"%s%dpx", name, pixelHeight), bCacheFlag != 0);
}

void FontQuad::updateMetrics() {
    const float tallest = codePageHeight > 0 ? codePageHeight : rawHeight;
    baseHeight = static_cast<int32_t>(std::lround(tallest));
    resolutionScale = currentScale();
    height = static_cast<int32_t>(std::lround(static_cast<float>(baseHeight) * resolutionScale));
    const ZubGraphics* g = ZubGraphics::active();
    const float factor = g ? g->pixelToDesign() : 1.0f;
    lastFactor = factor;
    pixelHeight = static_cast<int32_t>(std::lround(static_cast<float>(height) / (factor > 0 ? factor : 1.0f)));
}

void FontQuad::onPresentationChange() {
    const float oldScale = resolutionScale;
    const int32_t oldPixels = pixelHeight;
    updateMetrics();
    if (cache) {
        if (oldScale != resolutionScale) cache->clear();
        if (oldPixels != pixelHeight) cache->name = formatString(u"%s%dpx", name, pixelHeight);
    }
}

void FontQuad::presentationChanged() {
    ZubBase::forEachLive([](ZubBase* o) {
        if (FontQuad* f = zub_cast<FontQuad>(o)) f->onPresentationChange();
    });
}

void FontQuad::refreshScale() {
    const ZubGraphics* g = ZubGraphics::active();
    const float factor = g ? g->pixelToDesign() : 1.0f;
    if (factor != lastFactor) onPresentationChange();
}

float FontQuad::currentScale() const {
    if (!bScaleWithResolution) return 1.0f;
    const ZubGraphics* g = ZubGraphics::active();
    if (!g) return 1.0f;
    return std::max(1.0f, g->pixelToDesign());
}

// ---------------------------------------------------------------------------
// Measuring

bool FontQuad::usesSystemFont(int flags) const {
    if (!(flags & TEXT_SYSTEM_FONT)) return false;
    const SystemFont* s = SystemFont::active();
    return s && s->isOpen();
}

bool FontQuad::canDraw(char32_t code, int flags) const {
    if (usesSystemFont(flags)) return SystemFont::active()->hasGlyph(code);
    return code <= 0xFFFF && hasGlyph(static_cast<char16_t>(code));
}

float FontQuad::lineWidth(std::u16string_view line, int flags, float scale) const {
    if (usesSystemFont(flags)) {
        const int lineHeight = std::max(1, height);
        return SystemFont::active()->measure(text_markup::strip(line), lineHeight);
    }
    float w = 0;
    for (size_t i = 0; i < line.size();) {
        if (line[i] == text_markup::SWITCH) {
            uint32_t c = 0;
            bool ok = false;
            i += text_markup::readSwitch(line, i, c, ok);
            continue;
        }
        if (line[i] != LINE_BREAK) w += advanceOf(line[i]);
        ++i;
    }
    return w * scale;
}

FontQuad::TextSize FontQuad::measureText(std::u16string_view text, int flags) const {
    TextSize size;
    const float scale = currentScale();
    int lines = 0;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(LINE_BREAK, start);
        const std::u16string_view line = text.substr(start, end == std::u16string_view::npos ? end : end - start);
        size.width = std::max(size.width, lineWidth(line, flags, scale));
        ++lines;
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    size.height = static_cast<float>(lines) * static_cast<float>(std::lround(static_cast<float>(baseHeight) * scale));
    size.fit = static_cast<int>(text.size());
    return size;
}

FontQuad::TextSize FontQuad::measureText(std::u16string_view text, float widthLimit, int flags) const {
    TextSize size = measureText(text, flags);
    const float scale = currentScale();
    const bool system = usesSystemFont(flags);
    float w = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == text_markup::SWITCH) {
            uint32_t c = 0;
            bool ok = false;
            i += text_markup::readSwitch(text, i, c, ok);
            continue;
        }
        float a = 0;
        if (text[i] != LINE_BREAK)
            a = system ? SystemFont::active()->measure(text.substr(i, 1), std::max(1, height))
                       : advanceOf(text[i]) * scale;
        if (w + a > widthLimit) break;
        w += a;
        ++i;
    }
    size.fit = static_cast<int>(i);
    return size;
}

float FontQuad::measureLine(std::u16string_view text, int flags) const {
    return lineWidth(text, flags, currentScale());
}

WString FontQuad::ellipsize(std::u16string_view text, float widthLimit, int flags) const {
    const float scale = currentScale();
    if (lineWidth(text, flags, scale) <= widthLimit) return WString(text);
    const float dots = lineWidth(u"...", flags, scale);
    size_t cut = 0;
    for (size_t i = 0; i < text.size();) {
        size_t next = i + 1;
        if (text[i] == text_markup::SWITCH) {
            uint32_t c = 0;
            bool ok = false;
            next = i + text_markup::readSwitch(text, i, c, ok);
        } else if (text[i] >= 0xD800 && text[i] < 0xDC00 && next < text.size() && text[next] >= 0xDC00 &&
                   text[next] < 0xE000) {
            ++next;  // keep a surrogate pair whole
        }
        if (lineWidth(text.substr(0, next), flags, scale) + dots > widthLimit) break;
        i = next;
        cut = next;
    }
    WString out(text.substr(0, cut));
    out += u"...";
    return out;
}

// ---------------------------------------------------------------------------
// Layout and drawing

void FontQuad::layoutText(std::u16string_view text, int flags, TextLayout& out) const {
    out = TextLayout();
    const float scale = currentScale();
    const float lineH = static_cast<float>(std::lround(static_cast<float>(baseHeight) * scale));
    float dy = 0;
    if (flags & TEXT_HALF_LINE_UP) dy += std::trunc(lineH * 0.5f);
    if (flags & TEXT_LINE_UP) dy += lineH;
    SystemFont* system = usesSystemFont(flags) ? SystemFont::active() : nullptr;
    uint32_t colour = text_markup::DEFAULT_COLOUR;
    int lines = 0;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(LINE_BREAK, start);
        const std::u16string_view line = text.substr(start, end == std::u16string_view::npos ? end : end - start);
        const float w = lineWidth(line, flags, scale);
        out.width = std::max(out.width, w);
        float pen = 0;
        if (flags & TEXT_CENTRE) pen = std::trunc(-w * 0.5f);
        else if (flags & TEXT_RIGHT) pen = -w;
        const float top = dy - static_cast<float>(lines) * lineH;

        if (system) {
            // One rectangle per run of one colour, its letters standing
            // where the glyphs' do (a glyph's cell is centred in the line).
            const int lineHeight = std::max(1, height);
            float drop = 0;
            if (letterBottom >= 0)
                drop = std::round(std::floor((lineH - letterCellHeight * scale) * 0.5f) + letterBottom * scale -
                                  static_cast<float>(system->letterBottom(lineHeight)));
            size_t i = 0;
            while (i <= line.size()) {
                size_t j = i;
                while (j < line.size() && line[j] != text_markup::SWITCH) ++j;
                if (j > i) {
                    const std::u16string_view run = line.substr(i, j - i);
                    if (const SystemFont::Image* img = system->render(run, lineHeight)) {
                        TextQuad q;
                        q.texture = img->texture;
                        q.left = pen;
                        q.top = top - drop;
                        q.right = pen + img->width;
                        q.bottom = q.top - img->height;
                        q.u0 = 0;
                        q.v0 = 0;
                        q.u1 = img->u1;
                        q.v1 = img->v1;
                        q.colour = colour;
                        out.quads.push_back(q);
                    }
                    pen += system->measure(run, lineHeight);
                }
                if (j >= line.size()) break;
                uint32_t c = colour;
                bool ok = false;
                j += text_markup::readSwitch(line, j, c, ok);
                if (ok) colour = c;
                i = j;
            }
        } else {
            for (size_t i = 0; i < line.size();) {
                const char16_t u = line[i];
                if (u == text_markup::SWITCH) {
                    uint32_t c = colour;
                    bool ok = false;
                    i += text_markup::readSwitch(line, i, c, ok);
                    if (ok) colour = c;
                    continue;
                }
                ++i;
                const Glyph* g = findGlyph(u);
                if (g && g->quad) {
                    const Quad* gq = g->quad;
                    const float gw = gq->width * scale, gh = gq->height * scale;
                    const float gTop = top - std::floor((lineH - gh) * 0.5f);
                    TextQuad q;
                    q.texture = gq->texture;
                    q.left = pen;
                    q.top = gTop;
                    q.right = pen + gw;
                    q.bottom = gTop - gh;
                    q.u0 = gq->u0;
                    q.v0 = gq->v0;
                    q.u1 = gq->u1;
                    q.v1 = gq->v1;
                    q.colour = colour;
                    out.quads.push_back(q);
                    if (const Quad* aq = g->accent) {
                        const float cx = pen + gw * 0.5f + g->accentX * scale;
                        const float cy = gTop - gh * 0.5f + g->accentY * scale;
                        const float aw = aq->width * scale, ah = aq->height * scale;
                        TextQuad a = q;
                        a.texture = aq->texture;
                        a.left = cx - aw * 0.5f;
                        a.right = cx + aw * 0.5f;
                        a.top = cy + ah * 0.5f;
                        a.bottom = cy - ah * 0.5f;
                        a.u0 = aq->u0;
                        a.v0 = aq->v0;
                        a.u1 = aq->u1;
                        a.v1 = aq->v1;
                        out.quads.push_back(a);
                    }
                    pen += (gq->width + static_cast<float>(letterSpacing)) * scale;
                } else {
                    pen += static_cast<float>(defaultCharWidth) * scale;
                }
            }
        }
        ++lines;
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    out.height = static_cast<float>(lines) * lineH;
    out.buildBatches();
}

void FontQuad::drawBatches(const TextLayout& layout, VertexBuffer& vb, const M44& world) {
    ZubGraphics* g = ZubGraphics::active();
    platform::RenderDevice* d = g ? g->device() : nullptr;
    if (!d) return;
    d->setTransform(platform::TransformSlot::World, world);
    d->setModulateColor(0xFFFFFFFF);
    for (const TextLayout::Batch& b : layout.batches)
        vb.draw(b.texture, VertexBuffer::TRIANGLE_LIST, b.first * 6, b.count * 6);
}

void FontQuad::drawCore(const M44& world, uint32_t colour, int flags, std::u16string_view text, bool shadowed,
                        const V3& shadowOffset, uint32_t shadowColour) {
    ZubGraphics* g = ZubGraphics::active();
    if (!g || !g->device() || text.empty() || (colour >> 24) == 0) return;
    refreshScale();
    const bool system = usesSystemFont(flags);
    // Texts of the system font are not kept: their textures live in its own cache.
    TextCache::Entry* entry = nullptr;
    TextLayout local;
    const TextLayout* layout = &local;
    if (cache && bAllowTextCache && TextCache::bEnabled && !system) {
        const int key = flags & LAYOUT_FLAGS;
        const float scale = currentScale();
        entry = cache->find(text, key, scale);
        if (!entry) {
            layoutText(text, flags, local);
            entry = cache->insert(text, key, scale, std::move(local));
        }
        layout = &entry->layout;
    } else {
        layoutText(text, flags, local);
    }
    if (layout->quads.empty()) return;

    auto pass = [&](int index, uint32_t c, bool shadowPass, const M44& m) {
        VertexBuffer& vb = entry ? entry->buffers[index] : scratch;
        if (!entry || !entry->baked[index] || entry->bakedColour[index] != c) {
            layout->fillVertices(vb, c, shadowPass, c);
            vb.upload();
            if (entry) {
                entry->baked[index] = true;
                entry->bakedColour[index] = c;
            }
        }
        drawBatches(*layout, vb, m);
    };
    if (shadowed && g->bTextShadow) {
        const uint32_t alpha = ((shadowColour >> 24) * (colour >> 24) + 127) / 255;
        if (alpha > 0) {
            const uint32_t c = (alpha << 24) | (shadowColour & 0x00FFFFFFu);
            pass(1, c, true, world * M44::translation(shadowOffset));
        }
    }
    pass(0, colour, false, world);
}

void FontQuad::renderText(Renderable* carrier, int flags, std::u16string_view text) {
    renderText(carrier, flags, text, V3());
}

void FontQuad::renderText(Renderable* carrier, int flags, std::u16string_view text, const V3& localOffset) {
    const M44 base = carrier ? carrier->worldMatrix : M44::identity();
    const uint32_t colour = carrier ? carrier->color : 0xFFFFFFFFu;
    const M44 world = localOffset == V3() ? base : M44::translation(localOffset) * base;
    drawCore(world, colour, flags, text, false, V3(), 0);
}

void FontQuad::drawText(float x, float y, float z, uint32_t colour, int flags, std::u16string_view text) {
    drawCore(M44::translation(x, y, z), colour, flags, text, false, V3(), 0);
}

void FontQuad::drawText(const V3& p, uint32_t colour, int flags, std::u16string_view text) {
    drawText(p.x, p.y, p.z, colour, flags, text);
}

void FontQuad::drawTextShadowed(Renderable* carrier, int flags, std::u16string_view text, const V3& shadowOffset,
                                uint32_t shadowColour) {
    drawTextShadowed(carrier, flags, text, shadowOffset, shadowColour, V3());
}

void FontQuad::drawTextShadowed(Renderable* carrier, int flags, std::u16string_view text, const V3& shadowOffset,
                                uint32_t shadowColour, const V3& localOffset) {
    const M44 base = carrier ? carrier->worldMatrix : M44::identity();
    const uint32_t colour = carrier ? carrier->color : 0xFFFFFFFFu;
    const M44 world = localOffset == V3() ? base : M44::translation(localOffset) * base;
    drawCore(world, colour, flags, text, true, shadowOffset, shadowColour);
}

void FontQuad::drawTextShadowedAt(float x, float y, float z, uint32_t colour, const V3& shadowOffset,
                                  uint32_t shadowColour, std::u16string_view text) {
    drawCore(M44::translation(x, y, z), colour, TEXT_CENTRE | TEXT_LINE_UP, text, true, shadowOffset, shadowColour);
}

void FontQuad::drawTextEllipsis(Renderable* carrier, int flags, std::u16string_view text, float widthLimit) {
    renderText(carrier, flags, ellipsize(text, widthLimit, flags));
}
