#include "text/GlyphPageGenerator.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/FontRasterizer.h"
#include "text/CompositeChars.h"
#include "util/Format.h"

namespace glyph_pages {

namespace {

constexpr int GAP = 1;  // transparent pixels between cells

struct Cell {
    int width = 1, height = 1;
    bool empty = true;
    platform::GlyphImage glyph;
    int glyphX = 0, glyphY = 0;  // where the glyph bitmap's top left goes in the cell
    int x = 0, y = 0, page = 0;  // placement
};

uint32_t div255(uint32_t v) { return (v + 127) / 255; }

// Source-over of two premultiplied-free colours with 8-bit alphas.
uint32_t over(uint32_t top, uint32_t topAlpha, uint32_t bottom, uint32_t bottomAlpha) {
    const uint32_t bottomPart = div255(bottomAlpha * (255 - topAlpha));
    const uint32_t a = topAlpha + bottomPart;
    if (a == 0) return 0;
    uint32_t out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t ct = (top >> shift) & 0xFF, cb = (bottom >> shift) & 0xFF;
        const uint32_t c = (ct * topAlpha + cb * bottomPart + a / 2) / a;
        out |= std::min<uint32_t>(c, 255) << shift;
    }
    return out;
}

// The cell's pixels: fill over the outline.
void paintCell(const Cell& cell, const Style& style, std::vector<uint32_t>& page, int pageWidth) {
    const platform::GlyphImage& g = cell.glyph;
    if (g.width <= 0 || g.height <= 0) return;
    const int w = cell.width, h = cell.height;
    std::vector<uint8_t> cov(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < g.height; ++y) {
        const int cy = cell.glyphY + y;
        if (cy < 0 || cy >= h) continue;
        for (int x = 0; x < g.width; ++x) {
            const int cx = cell.glyphX + x;
            if (cx < 0 || cx >= w) continue;
            cov[static_cast<size_t>(cy) * static_cast<size_t>(w) + static_cast<size_t>(cx)] =
                g.coverage[static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)];
        }
    }
    std::vector<uint8_t> border;
    const int r = std::max(0, style.outline);
    if (r > 0) {
        border.assign(cov.size(), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t m = 0;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx) {
                        if (dx * dx + dy * dy > r * r + r) continue;
                        const int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
                        m = std::max(m,
                                     cov[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)]);
                    }
                border[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = m;
            }
    }
    const uint32_t fillAlpha = style.fillColour >> 24, borderAlpha = style.outlineColour >> 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            const uint32_t fa = div255(cov[i] * fillAlpha);
            const uint32_t ba = r > 0 ? div255(border[i] * borderAlpha) : 0;
            const uint32_t px = over(style.fillColour, fa, style.outlineColour, ba);
            page[static_cast<size_t>(cell.y + y) * static_cast<size_t>(pageWidth) + static_cast<size_t>(cell.x + x)] =
                px;
        }
}

bool writeFile(const std::string& path, const std::string& bytes, std::vector<std::string>* written,
               std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string reason;
    if (!AtomicFile::writeAll(path, bytes.data(), bytes.size(), &reason)) {
        error = "cannot write '" + path + "': " + reason;
        return false;
    }
    if (written) written->push_back(path);
    return true;
}

}  // namespace

bool renderPages(platform::FontRasterizer& font, const std::vector<char32_t>& slots, const Style& style,
                 std::vector<Page>& pages, std::string& error) {
    pages.clear();
    if (slots.empty()) {
        error = "no characters";
        return false;
    }
    if (style.pageWidth < 1 || style.maxPageHeight < 1) {
        error = "page size must be positive";
        return false;
    }
    const platform::FontFaceMetrics& m = font.metrics();
    const int edge = std::max(0, style.outline) + std::max(0, style.padding);
    const int cellHeight = m.lineHeight + 2 * edge;

    // Cells.
    std::vector<Cell> cells(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        Cell& c = cells[i];
        const char32_t code = slots[i] & ~BLANK_SLOT;
        if (code == 0 || !font.renderGlyph(code, c.glyph)) continue;
        const platform::GlyphImage& g = c.glyph;
        const int outline = std::max(0, style.outline);
        // The ink with its outline, in pixels from the pen (a blank
        // character: its advance).
        int inkLeft = 0, inkRight = g.advance;
        if (g.width > 0) {
            inkLeft = g.left - outline;
            inkRight = g.left + g.width + outline;
        }
        // The cell from the pen: the advance plus the extra room, the room
        // shared out on both sides of the advance as far as the ink allows;
        // as wide as the ink where the ink needs more.
        const int wanted = g.advance + style.cellExtra;
        int left = inkLeft, right = inkRight;
        if (inkRight - inkLeft <= wanted) {
            const int even = -((wanted - g.advance) / 2);
            left = std::min(inkLeft, std::max(inkRight - wanted, even));
            right = left + wanted;
        }
        if (right - left <= 0) continue;
        c.empty = false;
        c.width = right - left + 2 * std::max(0, style.padding);
        c.height = cellHeight;
        c.glyphX = std::max(0, style.padding) - left + g.left;
        c.glyphY = edge + m.ascender - g.top;
        // A blank keeps the cell and drops the ink.
        if (slots[i] & BLANK_SLOT) c.glyph = platform::GlyphImage{};
    }

    // Packing.
    int page = 0, x = 0, y = 0, rowHeight = 0;
    std::vector<int> pageHeights(1, 0), pageWidths(1, 0);
    for (size_t i = 0; i < cells.size(); ++i) {
        Cell& c = cells[i];
        if (c.width > style.pageWidth || c.height > style.maxPageHeight) {
            error = formatNarrow("a cell of %dx%d pixels does not fit a page of %dx%d", c.width, c.height,
                                 style.pageWidth, style.maxPageHeight);
            return false;
        }
        if (x > 0 && x + c.width > style.pageWidth) {
            x = 0;
            y += rowHeight + GAP;
            rowHeight = 0;
        }
        if (y > 0 && y + c.height > style.maxPageHeight) {
            ++page;
            pageHeights.push_back(0);
            pageWidths.push_back(0);
            x = y = rowHeight = 0;
        }
        c.x = x;
        c.y = y;
        c.page = page;
        x += c.width + GAP;
        rowHeight = std::max(rowHeight, c.height);
        pageHeights[static_cast<size_t>(page)] = std::max(pageHeights[static_cast<size_t>(page)], y + c.height);
        pageWidths[static_cast<size_t>(page)] = std::max(pageWidths[static_cast<size_t>(page)], c.x + c.width);
    }

    // Pages.
    pages.resize(pageHeights.size());
    for (size_t p = 0; p < pages.size(); ++p) {
        Page& pg = pages[p];
        pg.width = std::max(1, pageWidths[p]);
        pg.height = std::max(1, pageHeights[p]);
        pg.pixels.assign(static_cast<size_t>(pg.width) * static_cast<size_t>(pg.height), 0u);
        pg.description = "; Glyph page: one skin per character code, in code order (1 x 1: empty slot).\n[sheet]\n";
    }
    for (const Cell& c : cells) ++pages[static_cast<size_t>(c.page)].cells;
    for (Page& pg : pages) pg.description += formatNarrow("count=%d\n", pg.cells);
    std::vector<int> index(pages.size(), 0);
    for (const Cell& c : cells) {
        Page& pg = pages[static_cast<size_t>(c.page)];
        pg.description += formatNarrow("[skin%d]\nrect=%d,%d,%d,%d\n", index[static_cast<size_t>(c.page)]++, c.x, c.y,
                                       c.width, c.height);
        if (!c.empty) paintCell(c, style, pg.pixels, pg.width);
    }
    return true;
}

std::vector<char32_t> codePageSlots(const CodePointTable& table, std::u16string_view codePage, bool omitComposable,
                                    int first, int last) {
    std::vector<char32_t> slots;
    for (int code = first; code <= last; ++code) slots.push_back(table.map(code));
    if (!omitComposable) return slots;
    auto present = [&](char16_t u) {
        return u != 0 && std::find(slots.begin(), slots.end(), char32_t(u)) != slots.end();
    };
    std::vector<char32_t> result = slots;
    for (const composite_chars::Entry& e : composite_chars::forCodePage(codePage)) {
        if (!present(e.base)) continue;
        bool accent = false;
        for (const char16_t* c = composite_chars::accentCandidates(e.accent); *c && !accent; ++c) accent = present(*c);
        if (!accent) continue;
        std::replace(result.begin(), result.end(), char32_t(e.character), char32_t(0));
    }
    return result;
}

std::vector<char32_t> symbolSlots(const platform::FontRasterizer& font) {
    static const char32_t candidates[11][4] = {
        {0, 0, 0, 0},
        {0x2713, 0x2714, 0x221A, 0},  // check mark
        {0x2717, 0x2718, 0x00D7, 0},  // cross
        {0x2190, 0x25C0, 0x003C, 0},  // arrow left
        {0x2192, 0x25B6, 0x003E, 0},  // arrow right
        {0x2191, 0x25B2, 0x005E, 0},  // arrow up
        {0x2193, 0x25BC, 0x0076, 0},  // arrow down
        {0x25C0, 0x25C4, 0x003C, 0},  // triangle left
        {0x25B6, 0x25BA, 0x003E, 0},  // triangle right
        {0x25C4, 0x2039, 0x003C, 0},  // pointer left
        {0x25BA, 0x203A, 0x003E, 0},  // pointer right
    };
    std::vector<char32_t> slots;
    for (const auto& list : candidates) {
        char32_t chosen = 0;
        for (char32_t c : list)
            if (c && font.hasGlyph(c)) {
                chosen = c;
                break;
            }
        slots.push_back(chosen);
    }
    return slots;
}

std::vector<char32_t> caretSymbolSlots(const platform::FontRasterizer& font) {
    std::vector<char32_t> slots = symbolSlots(font);
    char32_t caret = 0;
    for (char32_t c : {U'|', U'\u2502', U'I'})
        if (font.hasGlyph(c)) {
            caret = c;
            break;
        }
    slots[1] = caret;
    slots[2] = caret ? blankAs(caret) : 0;
    return slots;
}

std::string encodeTga(int width, int height, const std::vector<uint32_t>& argb) {
    std::string s(18, '\0');
    s[2] = 2;  // uncompressed true colour
    s[12] = static_cast<char>(width & 0xFF);
    s[13] = static_cast<char>((width >> 8) & 0xFF);
    s[14] = static_cast<char>(height & 0xFF);
    s[15] = static_cast<char>((height >> 8) & 0xFF);
    s[16] = 32;
    s[17] = 0x28;  // top-left origin, 8 alpha bits
    s.reserve(18 + argb.size() * 4);
    for (uint32_t p : argb) {
        s.push_back(static_cast<char>(p & 0xFF));
        s.push_back(static_cast<char>((p >> 8) & 0xFF));
        s.push_back(static_cast<char>((p >> 16) & 0xFF));
        s.push_back(static_cast<char>(p >> 24));
    }
    return s;
}

bool writePages(const std::string& folder, const std::string& prefix, const std::vector<Page>& pages,
                std::vector<std::string>* written, std::string& error) {
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string stem = folder + "/" + prefix + std::to_string(i + 1);
        if (!writeFile(stem + ".tga", encodeTga(pages[i].width, pages[i].height, pages[i].pixels), written, error))
            return false;
        if (!writeFile(stem + ".ini", pages[i].description, written, error)) return false;
    }
    return true;
}

bool writeFont(const FontJob& job, std::vector<std::string>* written, std::string& error) {
    const std::string file = job.fontFile.empty() ? platform::defaultGlyphFontFile() : job.fontFile;
    if (file.empty()) {
        error = "no font file (DejaVu Sans is not installed)";
        return false;
    }
    std::unique_ptr<platform::FontRasterizer> font = platform::openFontRasterizer(file, job.style.pixelSize, error);
    if (!font) return false;
    const WString codePage = narrowToWide(job.codePage);
    const CodePointTable table = CodePointTable::builtIn(codePage);
    const std::string separator = job.root.empty() || job.root.back() == '/' ? "" : "/";
    const std::string folder = job.root + separator + "gfx/font/" + job.codePage;

    std::vector<Page> pages;
    if (!renderPages(*font, codePageSlots(table, codePage, job.omitComposable), job.style, pages, error)) return false;
    if (!writePages(folder, job.stem + "-", pages, written, error)) return false;
    if (job.extraSymbols) {
        if (!renderPages(*font, symbolSlots(*font), job.style, pages, error)) return false;
        if (!writePages(folder, "extra-" + job.stem + "-", pages, written, error)) return false;
    }
    if (job.writeTable &&
        !writeFile(folder + "/" + job.codePage + ".codepointLUT.bin", table.toBytes(), written, error))
        return false;
    return true;
}

bool writeSymbolSheet(const std::string& pathStem, platform::FontRasterizer& font, const std::vector<char32_t>& slots,
                      const Style& style, std::string& error) {
    std::vector<Page> pages;
    if (!renderPages(font, slots, style, pages, error)) return false;
    if (pages.size() != 1) {
        error = "the symbols do not fit one sheet";
        return false;
    }
    if (!writeFile(pathStem + ".tga", encodeTga(pages[0].width, pages[0].height, pages[0].pixels), nullptr, error))
        return false;
    return writeFile(pathStem + ".ini", pages[0].description, nullptr, error);
}

}  // namespace glyph_pages
