// Texts with colour markup from arbitrary bytes (texts come from language
// files and from what players type): switches read, stripped and written
// back; the text measured, cut to a width, laid out, and broken into lines
// by TextBlock in an atlas font. No markup survives stripping or line
// breaking, every switch read stays inside the text, every line fits the
// width unless one character alone (or an indent) is wider, and every object
// made is gone by the end.
//
// Input: byte 0: text flags (bits 0-3 select 4, 8, 0x10, 0x20); two bytes:
// the width limit in design units (0: none); the rest: UTF-16 units
// (little-endian).
//
// Seeds: with ZUB_FUZZ_TEXT_MARKUP_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "sys/Logger.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"
#include "text/TextLayout.h"
#include "text/TextMarkup.h"

namespace {

FontQuad* font = nullptr;

bool hasSwitch(std::u16string_view s) { return s.find(text_markup::SWITCH) != std::u16string_view::npos; }

// A font of one page: codes 32-127 in cells of 1 to 8 pixels wide (a few
// empty slots), 10 high, and the symbol codes 1-31 as a raw page.
void makeFont() {
    constexpr int kCells = 96;
    auto* image = new MemoryImageFile(kCells * 8, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < kCells * 8; ++x)
            if ((x + y) % 3 == 0) image->setPixel(x, y, 0xFFFFFFFFu);
    std::string description = "[sheet]\ncount=96\n";
    for (int i = 0; i < kCells; ++i) {
        const int w = i % 11 == 0 ? 1 : 1 + i % 8;
        const int h = w == 1 ? 1 : 10;
        description += "[skin" + std::to_string(i) + "]\nrect=" + std::to_string(i * 8) + ",0," + std::to_string(w) +
                       "," + std::to_string(h) + "\n";
    }
    auto* page = new Texture(image, Texture::FLAG_ALPHA);
    WString why;
    if (!page->trySkinDescription(description, why)) std::abort();
    font = new FontQuad;
    font->addSourceTexture(page, 32, true);
    font->addSourceTexture(page, 1, true);
    deleteObject(image);
}

void writeSeeds(const std::string& dir) {
    struct Seed {
        const char* name;
        uint8_t flags;
        int width;
        std::u16string text;
    };
    const Seed seeds[] = {
        {"colours.bin", 0x1, 120, u"Press \x1e{ffcc00}SPACE\x1e{000001} to jump|and \x1e{00ff00}UP to carry"},
        {"broken-switches.bin", 0x6, 40, u"\x1e{12345}x \x1e\x1e{abcdeF}long words break between characters\x1e"},
        {"lines.bin", 0x8, 0, u"one\rtwo||   indented \x01\x07 symbols"},
    };
    for (const Seed& s : seeds) {
        std::vector<uint8_t> bytes{s.flags};
        fuzz::putU16(bytes, static_cast<size_t>(s.width));
        for (char16_t c : s.text) fuzz::putU16(bytes, c);
        if (!fuzz::writeFile(dir + "/" + s.name, bytes.data(), bytes.size())) std::exit(1);
    }
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    if (const char* dir = std::getenv("ZUB_FUZZ_TEXT_MARKUP_SEEDS")) writeSeeds(dir);
    makeFont();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) return 0;
    Logger::get().clearHistory();
    const int liveBefore = ZubBase::liveCount();
    fuzz::Input in(data, size);
    const int flags = (in.byte() & 0x0F) << 2;
    const float width = static_cast<float>(in.u16() % 2048);
    const std::string_view rest = in.rest();
    std::u16string text(rest.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] =
            static_cast<char16_t>(static_cast<uint8_t>(rest[2 * i]) | (static_cast<uint8_t>(rest[2 * i + 1]) << 8));

    // Switches.
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t colour = 0;
        bool wellFormed = false;
        const size_t n = text_markup::readSwitch(text, i, colour, wellFormed);
        if (text[i] != text_markup::SWITCH) {
            FUZZ_CHECK(n == 0);
            continue;
        }
        FUZZ_CHECK(n == (wellFormed ? text_markup::SWITCH_LENGTH : 1) && i + n <= text.size());
        if (wellFormed) {
            FUZZ_CHECK(colour == text_markup::DEFAULT_COLOUR || (colour >> 24) == 0xFF);
            uint32_t again = 0;
            bool ok = false;
            FUZZ_CHECK(text_markup::readSwitch(text_markup::switchFor(colour), 0, again, ok) == 9 && ok &&
                       again == colour);
        }
    }
    const WString plain = text_markup::strip(text);
    FUZZ_CHECK(!hasSwitch(plain) && plain.size() <= text.size());

    // Measuring and laying out.
    const FontQuad::TextSize whole = font->measureText(text, flags);
    FUZZ_CHECK(whole.width >= 0 && whole.height >= 0);
    const FontQuad::TextSize cut = font->measureText(text, width, flags);
    FUZZ_CHECK(cut.fit >= 0 && static_cast<size_t>(cut.fit) <= text.size());
    FUZZ_CHECK(font->ellipsize(text, width, flags).size() <= text.size() + 3);
    TextLayout layout;
    font->layoutText(text, flags, layout);
    size_t quads = 0;
    for (const TextLayout::Batch& b : layout.batches) quads += static_cast<size_t>(b.count);
    FUZZ_CHECK(quads == layout.quads.size());

    // Lines.
    {
        TextBlock block(font, width, -1.0f, text);
        size_t units = 0;
        for (int i = 0; i < block.lineCount(); ++i) {
            const TextLine* line = block.getLine(i);
            FUZZ_CHECK(line != nullptr);
            const WString lineText = line->plainText();
            FUZZ_CHECK(!hasSwitch(lineText));
            units += lineText.size();
            // Wider than the limit: one character alone, or the spaces that
            // indent a line after '|'.
            if (width > 0 && line->width > width + 0.001f)
                FUZZ_CHECK(lineText.size() == 1 || lineText.find_first_not_of(u' ') == WString::npos);
            for (int r = 0; r < line->runCount(); ++r) FUZZ_CHECK(line->getRun(r)->width >= 0);
        }
        FUZZ_CHECK(units <= plain.size());
    }
    FUZZ_CHECK(ZubBase::liveCount() == liveBefore);
    return 0;
}
