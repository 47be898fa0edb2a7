// fontgen: glyph pages for the atlas fonts, rendered from an outline font.
//
//   fontgen --out DIR --codepage 1252 --stem font-small --size 16
//           [--outline N] [--padding N] [--cell-extra N] [--page-width N]
//           [--page-height N] [--font FILE] [--extra] [--omit-composable] [--no-table]
//       DIR/gfx/font/<cp>/<stem>-<n>.tga + .ini, with --extra also
//       extra-<stem>-<n>.tga + .ini (symbol codes 0-10), and <cp>.codepointLUT.bin
//
//   fontgen --sheet PATHSTEM --size 16 [--codes 0,2713,2717,...] [--font FILE] [...]
//       PATHSTEM.tga + .ini: one skin per code (hexadecimal; 0 an empty
//       slot); without --codes the symbol codes 0-10
//
// --cell-extra makes every cell N pixels wider than its character's advance
// (negative: narrower) where the ink leaves room: a font that is drawn with
// letter spacing s and made with --cell-extra E - s moves on by about its
// characters' advances plus E.
//
// The font defaults to DejaVu Sans. The same arguments give the same bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/FontRasterizer.h"
#include "text/GlyphPageGenerator.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: fontgen --out DIR --codepage CP --stem STEM --size PX [--outline N] [--padding N]\n"
                 "               [--cell-extra N] [--page-width N] [--page-height N] [--font FILE] [--extra]\n"
                 "               [--omit-composable] [--no-table]\n"
                 "       fontgen --sheet PATHSTEM --size PX [--codes HEX,HEX,...] [--font FILE] [--outline N]\n"
                 "               [--padding N] [--cell-extra N]\n");
    return 2;
}

bool toInt(const char* s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!end || *end || v < 0 || v > 65536) return false;
    out = static_cast<int>(v);
    return true;
}

// A small signed number of pixels.
bool toSignedInt(const char* s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!end || *end || v < -256 || v > 256) return false;
    out = static_cast<int>(v);
    return true;
}

bool parseCodes(const std::string& list, std::vector<char32_t>& out) {
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        const std::string part = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        char* end = nullptr;
        const unsigned long v = std::strtoul(part.c_str(), &end, 16);
        if (part.empty() || !end || *end || v > 0x10FFFF) return false;
        out.push_back(static_cast<char32_t>(v));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !out.empty();
}

}  // namespace

int main(int argc, char** argv) {
    glyph_pages::FontJob job;
    std::string sheet, codes;
    bool haveOut = false, haveSize = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (a == "--extra") {
            job.extraSymbols = true;
        } else if (a == "--omit-composable") {
            job.omitComposable = true;
        } else if (a == "--no-table") {
            job.writeTable = false;
        } else if (!(v = value())) {
            return usage();
        } else if (a == "--out") {
            job.root = v;
            haveOut = true;
        } else if (a == "--codepage") {
            job.codePage = v;
        } else if (a == "--stem") {
            job.stem = v;
        } else if (a == "--font") {
            job.fontFile = v;
        } else if (a == "--sheet") {
            sheet = v;
        } else if (a == "--codes") {
            codes = v;
        } else if (a == "--size") {
            if (!toInt(v, job.style.pixelSize) || job.style.pixelSize < 1) return usage();
            haveSize = true;
        } else if (a == "--outline") {
            if (!toInt(v, job.style.outline)) return usage();
        } else if (a == "--padding") {
            if (!toInt(v, job.style.padding)) return usage();
        } else if (a == "--cell-extra") {
            if (!toSignedInt(v, job.style.cellExtra)) return usage();
        } else if (a == "--page-width") {
            if (!toInt(v, job.style.pageWidth)) return usage();
        } else if (a == "--page-height") {
            if (!toInt(v, job.style.maxPageHeight)) return usage();
        } else {
            return usage();
        }
    }
    if (!haveSize || (sheet.empty() && !haveOut)) return usage();

    std::string error;
    if (!sheet.empty()) {
        const std::string file = job.fontFile.empty() ? platform::defaultGlyphFontFile() : job.fontFile;
        if (file.empty()) {
            std::fprintf(stderr, "fontgen: no font file (DejaVu Sans is not installed)\n");
            return 1;
        }
        std::unique_ptr<platform::FontRasterizer> font = platform::openFontRasterizer(file, job.style.pixelSize, error);
        if (!font) {
            std::fprintf(stderr, "fontgen: %s\n", error.c_str());
            return 1;
        }
        std::vector<char32_t> slots;
        if (codes.empty()) slots = glyph_pages::symbolSlots(*font);
        else if (!parseCodes(codes, slots)) return usage();
        if (!glyph_pages::writeSymbolSheet(sheet, *font, slots, job.style, error)) {
            std::fprintf(stderr, "fontgen: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s.tga\n%s.ini\n", sheet.c_str(), sheet.c_str());
        return 0;
    }

    std::vector<std::string> written;
    if (!glyph_pages::writeFont(job, &written, error)) {
        std::fprintf(stderr, "fontgen: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& w : written) std::printf("%s\n", w.c_str());
    return 0;
}
