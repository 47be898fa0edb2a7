// Glyph pages and code-point tables from arbitrary bytes, loaded the way the
// game loads a font: the table file as the code page's resource, the page
// image and its skin description as a texture that keeps its source image,
// the page's skins as glyphs through the table (and once more as a page of
// raw codes), composed accented letters read from the page's ink; then a
// text measured, laid out and cut to a width. A table is either refused
// (wrong size) or reads back to the same bytes; every laid-out glyph lies
// within the text's box; every object made is gone by the end.
//
// Input: byte 0: bit 0 a table follows, bit 1 code page 1250 (else 1252),
// bit 2 the page is also added as raw codes, bit 3 accented letters are
// composed, bits 4-7 text flags; then 512 bytes of table (when bit 0); two
// bytes of description length and the description; two bytes of text length
// in UTF-16 units and the units (little-endian); the rest is the page image.
//
// Seeds: with ZUB_FUZZ_GLYPH_PAGES_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "text/CodePointTable.h"
#include "text/FontQuad.h"
#include "text/TextLayout.h"

namespace {

FileManager* files = nullptr;
ResourceManager* resources = nullptr;

// The table's own properties: it reads back to its bytes, and find() gives
// the first code of each unit.
void checkTable(const CodePointTable& table, std::string_view bytes) {
    FUZZ_CHECK(table.toBytes() == bytes);
    for (int c = 0; c < CodePointTable::SIZE; ++c) {
        const char16_t unit = table.map(c);
        if (unit == 0) continue;
        const int found = table.find(unit);
        FUZZ_CHECK(found >= 0 && found <= c && table.map(found) == unit);
    }
}

void measure(FontQuad& font, const std::u16string& text, int flags) {
    const FontQuad::TextSize size = font.measureText(text, flags);
    FUZZ_CHECK(size.width >= 0 && size.height >= 0);
    const float limit = size.width / 2;
    const FontQuad::TextSize cut = font.measureText(text, limit, flags);
    FUZZ_CHECK(cut.fit >= 0 && static_cast<size_t>(cut.fit) <= text.size());
    const WString shown = font.ellipsize(text, limit, flags);
    FUZZ_CHECK(shown.size() <= text.size() + 3);
    TextLayout layout;
    font.layoutText(text, flags, layout);
    size_t inBatches = 0;
    for (const TextLayout::Batch& b : layout.batches) {
        FUZZ_CHECK(b.first >= 0 && b.count >= 0 && static_cast<size_t>(b.first + b.count) <= layout.quads.size());
        inBatches += static_cast<size_t>(b.count);
    }
    FUZZ_CHECK(inBatches == layout.quads.size());
    for (const TextQuad& q : layout.quads) FUZZ_CHECK(q.texture != nullptr && q.left <= q.right);
}

// --- seeds ------------------------------------------------------------------

// A page of 160 cells of 3 x 4 pixels, codes 33 to 192: each glyph a few
// pixels of ink, so that letters and accents have ink boxes to compose.
std::vector<uint32_t> pagePixels() {
    std::vector<uint32_t> px(48 * 40, 0);
    for (int cell = 0; cell < 160; ++cell) {
        const int x0 = (cell % 16) * 3, y0 = (cell / 16) * 4;
        for (int k = 0; k <= cell % 5; ++k)
            px[static_cast<size_t>((y0 + (k * 7 + cell) % 4) * 48 + x0 + (k + cell) % 3)] = 0xFFFFFFFFu;
    }
    return px;
}

void writeSeeds(const std::string& dir) {
    const std::string grid = "[sheet]\ngrid=16,10,3,4\nanchor=7\n";
    const std::vector<uint32_t> px = pagePixels();
    const std::string table1250 = CodePointTable::builtIn(u"1250").toBytes();
    struct Seed {
        const char* name;
        uint8_t mode;
        std::string table;
        std::vector<uint8_t> image;
        std::u16string text;
    };
    const Seed seeds[] = {
        {"page-1252.bin", 0x08 | 0x40, "", fuzz::png(48, 40, px),
         u"Caf\u00e9 na\u00efve|\u00c5land \x1e{ff8000}orange\rline"},
        {"page-1250-table.bin", 0x01 | 0x02 | 0x04 | 0x08, table1250, fuzz::tga(48, 40, px, true),
         u"\u017elu\u0165ou\u010dk\u00fd k\u016f\u0148 \x1e{000001}!"},
    };
    for (const Seed& s : seeds) {
        std::vector<uint8_t> bytes{s.mode};
        bytes.insert(bytes.end(), s.table.begin(), s.table.end());
        fuzz::putChunk(bytes, grid);
        fuzz::putText(bytes, s.text);
        bytes.insert(bytes.end(), s.image.begin(), s.image.end());
        if (!fuzz::writeFile(dir + "/" + s.name, bytes.data(), bytes.size())) std::exit(1);
    }
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    if (const char* dir = std::getenv("ZUB_FUZZ_GLYPH_PAGES_SEEDS")) writeSeeds(dir);
    files = new FileManager;
    files->baseFolder = fuzz::scratchFolder();
    resources = new ResourceManager;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    Logger::get().clearHistory();
    const int liveBefore = ZubBase::liveCount();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const std::u16string codePage = (mode & 2) ? u"1250" : u"1252";
    FontQuad::setCodePage(codePage);

    // The code page's table.
    FileData* tableFile = nullptr;
    if (mode & 1) {
        const std::string_view bytes = in.bytes(CodePointTable::FILE_BYTES);
        CodePointTable table;
        if (CodePointTable::parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), table)) {
            checkTable(table, bytes);
            if (!fuzz::writeFile(fuzz::scratchFolder() + "table.bin", bytes.data(), bytes.size())) std::abort();
            tableFile = new FileData(0, u"table.bin");
            resources->addResource(codePage + u".codepointLUT", tableFile);
            FUZZ_CHECK(FontQuad::currentCodePointTable() == table);
        } else {
            FUZZ_CHECK(bytes.size() != CodePointTable::FILE_BYTES);
        }
    }
    const std::string_view description = in.chunk();
    const std::u16string text = in.text();
    const std::string_view file = in.rest();

    DecodedImage decoded;
    std::string why;
    if (image_codec::tryDecode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), decoded, why)) {
        MemoryImageFile image(std::move(decoded));
        Texture page(&image, Texture::FLAG_ALPHA | Texture::FLAG_KEEP_SOURCE);
        WString reason;
        page.trySkinDescription(description, reason);
        {
            FontQuad font;
            font.addSourceTexture(&page, FontQuad::FIRST_PAGE_CODE);
            if (mode & 4) font.addSourceTexture(&page, FontQuad::FIRST_EXTRA_CODE, true);
            FUZZ_CHECK(font.glyphCount() <= 2 * page.getSkinCount() + 256);
            const int composed = font.buildCompositeChars((mode & 8) ? u"Yes" : u"No", codePage);
            FUZZ_CHECK(composed >= 0 && ((mode & 8) || composed == 0));
            measure(font, text, (mode >> 4) << 2);
        }
    }
    resources->clear();
    if (tableFile) deleteObject(tableFile);
    FUZZ_CHECK(ZubBase::liveCount() == liveBefore);
    return 0;
}
