#pragma once
// Helpers of the text tests: glyph pages rendered from DejaVu Sans into a
// fresh folder once per test program, loaded the way the game's loader
// loads them (page textures with flags 14 and extra pages with flags 10,
// registered by name only, and the code page's table as a FileData).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Texture.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "platform/FontRasterizer.h"
#include "project_zub/gfx/gfx_test_support.h"
#include "sys/FileManager.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"
#include "util/Format.h"

namespace texttest {

// The fonts rendered for the tests, in one folder that lives as long as the
// test program.
class Fixtures {
public:
    static Fixtures& get() {
        static Fixtures f;
        return f;
    }
    bool ready() const { return ok; }
    const std::string& why() const { return error; }
    const std::string& root() const { return rootPath; }

    // Stems (in gfx/font/<cp>/):
    //   "font-test"     16 px, code pages 1252 and 1250, extra symbol page
    //   "font-bare"     16 px, accented letters left to composition, both code pages
    //   "font-paged"    16 px, 1252, pages of at most 128 x 64 pixels
    //   "font-outline"  16 px, 1252, outline 1
private:
    Fixtures() {
        rootPath = folder.path();
        if (platform::defaultGlyphFontFile().empty()) {
            error = "DejaVu Sans is not installed";
            return;
        }
        ok = make("1252", "font-test", false, true, 512, 0) && make("1250", "font-test", false, true, 512, 0) &&
             make("1252", "font-bare", true, false, 512, 0) && make("1250", "font-bare", true, false, 512, 0) &&
             make("1252", "font-paged", false, false, 64, 0, 128) && make("1252", "font-outline", false, false, 512, 1);
    }
    bool make(const char* cp, const char* stem, bool omit, bool extra, int pageHeight, int outline,
              int pageWidth = 512) {
        glyph_pages::FontJob job;
        job.root = folder.path();
        job.codePage = cp;
        job.stem = stem;
        job.style.pixelSize = 16;
        job.style.maxPageHeight = pageHeight;
        job.style.pageWidth = pageWidth;
        job.style.outline = outline;
        job.omitComposable = omit;
        job.extraSymbols = extra;
        return glyph_pages::writeFont(job, nullptr, error);
    }

    gfxtest::TempFolder folder;
    std::string rootPath;
    std::string error;
    bool ok = false;
};

// A file manager on the fixtures, a resource manager, and fonts loaded from
// them like the game's loader does.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fixtures& f = Fixtures::get();
        if (!f.ready()) GTEST_SKIP() << "no fixtures: " << f.why();
        files.baseFolder = f.root();
        FontQuad::setCodePage(u"1252");
    }
    void TearDown() override {
        resources.clear();
        for (auto it = owned.rbegin(); it != owned.rend(); ++it) deleteObject(*it);
        owned.clear();
        FontQuad::setCodePage(u"1252");
    }

    // Registers the pages, extra pages and table of a font stem in a code
    // page under prefix + n and prefix + "Extra" + n; the pages with the
    // texture flags given (the loader's keep their source images).
    void loadPages(const std::u16string& codePage, const std::u16string& stem, const std::u16string& prefix,
                   int pageFlags = 14) {
        const std::u16string folder = u"gfx/font/" + codePage + u"/";
        for (int n = 1;; ++n) {
            const std::u16string file = folder + stem + u"-" + formatString(u"%d", n) + u".tga";
            if (!files.fileExists(file)) break;
            auto* t = new Texture(pageFlags, file);
            owned.push_back(t);
            resources.addResource(formatString(u"%s%d", prefix, n), t);
        }
        for (int n = 1;; ++n) {
            const std::u16string file = folder + u"extra-" + stem + u"-" + formatString(u"%d", n) + u".tga";
            if (!files.fileExists(file)) break;
            auto* t = new Texture(10, file);
            owned.push_back(t);
            resources.addResource(formatString(u"%sExtra%d", prefix, n), t);
        }
        const std::u16string table = codePage + u".codepointLUT";
        if (!resources.find(table, false)) {
            auto* data = new FileData(0, folder + codePage + u".codepointLUT.bin");
            owned.push_back(data);
            resources.addResource(table, data);
        }
    }

    // A font from a stem, built like the game builds its fonts.
    FontQuad* makeFont(const std::u16string& codePage = u"1252", const std::u16string& stem = u"font-test") {
        FontQuad::setCodePage(codePage);
        const std::u16string prefix = u"tex-" + stem + u"-" + codePage;
        loadPages(codePage, stem, prefix);
        auto* font = new FontQuad();
        owned.push_back(font);
        font->addSourceTextures(prefix);
        font->finishLoading();
        return font;
    }

    gfxtest::TempFolder scratch;
    FileManager files;
    ResourceManager resources;
    std::vector<ZubBase*> owned;
};

// Widths of texts in a font, added up glyph by glyph.
inline float sumAdvances(const FontQuad& font, std::u16string_view text) {
    float w = 0;
    for (char16_t c : text) w += font.advanceOf(c);
    return w;
}

}  // namespace texttest
