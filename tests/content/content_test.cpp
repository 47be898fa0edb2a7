// The generated content against the resource manifest: every entry exists,
// decodes through the engine's own classes with the frames the manifest
// names, the archives hold every file byte for byte, generation is
// deterministic, the pictures carry no writing (the logos their titles), and
// a contact sheet of every texture is drawn by the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Generator.h"
#include "Manifest.h"
#include "Painter.h"
#include "PngWriter.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/VorbisDecoder.h"
#include "gfx/Context.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Renderable.h"
#include "gfx/Skin.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "platform/FontRasterizer.h"
#include "platform/Platform.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ArchiveReader.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "text/FontQuad.h"
#include "util/Format.h"
#include "util/WString.h"

namespace fs = std::filesystem;
using content::Entry;
using content::Kind;

namespace {

const std::string kContent = ZUB_CONTENT_DIR;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

WString wide(const std::string& s) { return narrowToWide(s); }

// A file manager reading the generated game folder as loose files.
class ContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        files.baseFolder = kContent + "/";
    }
    void TearDown() override {
        resources.clear();
        for (auto it = owned.rbegin(); it != owned.rend(); ++it) deleteObject(*it);
        owned.clear();
        FontQuad::setCodePage(u"1252");
    }
    template <class T>
    T* keep(T* object) {
        owned.push_back(object);
        return object;
    }

    FileManager files;
    ResourceManager resources;
    std::vector<ZubBase*> owned;
};

// ---- The manifest ------------------------------------------------------------

TEST(Manifest, NamesAreUniqueAndFilesAreRelative) {
    std::set<std::string> names;
    for (const Entry& e : content::manifest()) {
        EXPECT_TRUE(names.insert(e.name).second) << e.name;
        EXPECT_FALSE(e.file.empty()) << e.name;
        EXPECT_NE(e.file[0], '/') << e.name;
        EXPECT_FALSE(e.usedBy.empty()) << e.name << " names no user";
        EXPECT_EQ(content::findEntry(e.name), &e);
        if (e.kind == Kind::Texture || e.kind == Kind::Image) {
            EXPECT_FALSE(e.frames.empty()) << e.name;
        }
        for (const content::Frame& f : e.frames) {
            EXPECT_GT(f.w, 0) << e.name;
            EXPECT_GT(f.h, 0) << e.name;
            EXPECT_TRUE(f.anchor >= 1 && f.anchor <= 9) << e.name;
        }
    }
}

// The loader's list: 6 music streams, 2 jingles, 109 textures, 6 minimap
// images and 63 sound samples, each at its own step.
TEST(Manifest, CoversTheLoadersList) {
    int music = 0, jingles = 0, textures = 0, images = 0, samples = 0;
    std::set<int> steps;
    for (const Entry& e : content::manifest()) {
        if (e.step <= 0) continue;
        EXPECT_TRUE(steps.insert(e.step).second) << "step " << e.step << " twice";
        switch (e.kind) {
            case Kind::Music:
                ++music;
                break;
            case Kind::Sound:
                (e.step <= 11 ? jingles : samples)++;
                break;
            case Kind::Texture:
            case Kind::GlyphSheet:
                ++textures;
                break;
            case Kind::Image:
                ++images;
                break;
        }
    }
    EXPECT_EQ(music, 6);
    EXPECT_EQ(jingles, 2);
    EXPECT_EQ(textures, 109);
    EXPECT_EQ(images, 6);
    EXPECT_EQ(samples, 63);
}

// Every "sheet:index" that the game's code names.
TEST(Manifest, EveryNamedSkinExists) {
    const char* skins[] = {
        "basketA:1",
        "basketB:1",
        "basketC:1",
        "basketD:1",
        "chefHat:0",
        "compass:5",
        "deco-grass:0",
        "details1:6",
        "drawbridge:1",
        "editor_areas:1",
        "editor_arrow:0",
        "editor_circle:0",
        "editor_icons:3",
        "editor_symbols:5",
        "fence:5",
        "geyser:0",
        "ground-grass:0",
        "gui-game-hud:2",
        "gui-game-speechBubble:2",
        "gui-game-square-opaque:0",
        "gui-game-square:0",
        "hillsA-autumn:0",
        "hillsA-spring:0",
        "hillsA-summer:0",
        "hillsA-winter:0",
        "hillsB-autumn:0",
        "hillsB-spring:0",
        "hillsB-summer:0",
        "hillsB-winter:0",
        "horizontalRuler:0",
        "horse-body:0",
        "horse-head:2",
        "horse-lick:0",
        "house-roofsnow:0",
        "house:2",
        "hud-touchscreen:7",
        "intro-blurred:0",
        "intro:0",
        "logo:0",
        "minimapBackground:0",
        "minimapIcons:5",
        "pig-body:2",
        "piglets:3",
        "sky-autumn:0",
        "sky-spring:0",
        "sky-summer:0",
        "sky-winter:0",
        "springboard:1",
        "statsStar:2",
        "statsTrophy:2",
        "telescope:1",
        "terrain-grassy:0",
        "umbrella:0",
        "valley:0",
        "valleyArrow:0",
        "valleyIcons:4",
        "velmorastudios:0",
        "wingedhat:0",
        "woodsign:4",
        "apple:7",
        "switch:3",
        "frog:8",
        "bear:5",
        "hedgy:2",
        "rabbit:3",
        "languageFlags:14",
        "gui-game-progressBar:1",
        "mousePointer:1",
        "tutorial-iPad:5",
        "tutorial-iPhone:5",
        "gui-invisible:2",
        "gui-minimal-generic:2",
        "gui-standard-generic:2",
        "gui-standard-thickframe:2",
        "gui-standard-thinframe:2",
        "gui-standard-groove:2",
        "gui-standard-panel-bevelinner:2",
        "gui-standard-editbox:2",
        "gui-standard-button:2",
        "gui-standard-button-nogroove:2",
        "gui-standard-tab:2",
        "gui-standard-tab-selected:2",
        "gui-game-editbox:1",
        "gui-game-button:1",
        "valleyDot:1",
        "rainDrop:0",
        "snowFlake:0",
        "autumnLeaf:0",
        "splash:1",
        "fishA:1",
        "fishB:1",
        "bee:2",
        "butterfly:1",
        "worm:1",
        "snail:0",
        "smoke:0",
        "explosion:0",
        "spark:0",
        "glint:0",
        "flareBig:0",
        "splashCircular:0",
        "pig-tail:1",
        "pig-eyes:1",
        "pig-blink:1",
        "pig-mouth:1",
    };
    for (const char* s : skins) {
        const std::string name(s);
        const size_t colon = name.rfind(':');
        const Entry* e = content::findEntry(name.substr(0, colon));
        ASSERT_NE(e, nullptr) << name;
        EXPECT_GT(static_cast<int>(e->frames.size()), std::stoi(name.substr(colon + 1))) << name;
    }
    // Exact counts: the sweets' type is the frame (a 17th would make type 16
    // fatal), the switch has its four states.
    EXPECT_EQ(content::findEntry("sweets")->frames.size(), 16u);
    EXPECT_EQ(content::findEntry("switch")->frames.size(), 4u);
}

TEST(Manifest, MinimapsAreLevelSizedAndCoverEveryLevelWithAMap) {
    for (int n = 0; n <= 30; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "minimap%02d", n);
        const Entry* e = content::findEntry(name);
        if (n % 4 == 3 || n == 3) {
            EXPECT_EQ(e, nullptr) << name << ": bonus levels have no map";
            continue;
        }
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->kind, Kind::Image);
        EXPECT_EQ(e->wad, content::Wad::Levels);
        EXPECT_EQ(e->frames[0].w, 256);
        EXPECT_EQ(e->frames[0].h, 192);
    }
}

// Files that do not follow their kind's rule keep the names the loader asks for.
TEST(Manifest, FileNames) {
    const std::pair<const char*, const char*> files[] = {
        {"flareBig", "gfx/flarebig.tga"},
        {"chefHat", "gfx/chefhat.tga"},
        {"rainDrop", "gfx/raindrop.tga"},
        {"snowFlake", "gfx/snowflake3d.tga"},
        {"sky-spring", "gfx/sky4.jpg"},
        {"intro-blurred", "gfx/intro-blurred.jpg"},
        {"flowers-cattail", "gfx/cattail.tga"},
        {"rockPebbles", "gfx/pebbles.tga"},
        {"trees-bendable-07", "gfx/trees-bendable-7.tga"},
        {"trees-bendable-10", "gfx/trees-bendable-10.tga"},
        {"horizontalRuler", "gfx/gui/game/horizontalRuler.tga"},
        {"valleyDashedLine", "gfx/gui/game/dashedline.tga"},
        {"gui-invisible", "gfx/gui/standard/invisible.tga"},
        {"languageFlags", "gfx/system/languageflags.tga"},
        {"minimap06", "gfx/minimap/map06.tga"},
        {"tutorial-iPad", "gfx/mobile/tutorial-iPad.tga"},
        {"gui-game-progressBar", "gfx/gui/game/progressbar.tga"},
        {"fontTinyGUIsymbolsTex", "gfx/font/font-tiny-GUIsymbols.tga"},
        {"fontTinyEditorSymbolsTex", "gfx/font/font-tiny-editorsymbols.tga"},
        {"logo", "gfx/logo.tga"},
        {"mouseClick", "sfx/clickXP.ogg"},
        {"beeBuzz", "sfx/bee.ogg"},
        {"explosionSound", "sfx/explosion.ogg"},
        {"appleBiteBig", "sfx/appleBite.ogg"},
        {"springboardSound", "sfx/springboard.ogg"},
        {"bellSmall", "sfx/bellsmall.ogg"},
        {"fireworkBang", "sfx/fireworkbang.ogg"},
        {"pop", "sfx/pop.ogg"},
        {"musicMenu", "sfx/music/title.ogg"},
        {"musicNone", "sfx/music/silence.ogg"},
        {"soundLose", "sfx/music/lose.ogg"},
    };
    for (const auto& [name, file] : files) {
        const Entry* e = content::findEntry(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->file, file) << name;
    }
    const Entry* big = content::findEntry("appleBiteBig");
    EXPECT_FLOAT_EQ(big->minPitch, -0.5f);
    EXPECT_FLOAT_EQ(big->maxPitch, -0.5f);
    EXPECT_EQ(content::findEntry("geyserErupt")->loop, 1);
    EXPECT_EQ(content::findEntry("sweetPickup")->playbacks, 8);
    EXPECT_EQ(content::findEntry("bee")->flags, 2);
    EXPECT_EQ(content::findEntry("cactus")->flags, 6);
    EXPECT_EQ(content::findEntry("fontTinyGUIsymbolsTex")->flags, 10);
}

TEST(Manifest, ArchivesOfFiles) {
    std::string archive;
    ASSERT_TRUE(contentgen::archiveOf("levels/a1.lev", archive));
    EXPECT_EQ(archive, "Tumbrodemo.dat.levels");
    ASSERT_TRUE(contentgen::archiveOf("gfx/font/1250/font-small-1.ini", archive));
    EXPECT_EQ(archive, "Tumbrodemo.dat.1250");
    ASSERT_TRUE(contentgen::archiveOf("gfx/system/languageflags.ini", archive));
    EXPECT_EQ(archive, "Tumbrodemo.dat.language.v2");
    ASSERT_TRUE(contentgen::archiveOf("gfx/minimap/map30.tga", archive));
    EXPECT_EQ(archive, "Tumbrodemo.dat.levels");
    ASSERT_TRUE(contentgen::archiveOf("gfx/font/font-tiny-editorsymbols.ini", archive));
    EXPECT_EQ(archive, "Tumbrodemo.dat");
    EXPECT_FALSE(contentgen::archiveOf("content.stamp", archive));
    EXPECT_FALSE(contentgen::archiveOf("levels/notes.txt", archive));
}

// Sizes that gameplay reads from skins.
TEST(Manifest, GameplaySizes) {
    auto frame = [](const char* name, size_t i) { return content::findEntry(name)->frames[i]; };
    EXPECT_EQ(frame("apple", 0).w, 32);  // radius 16 about the physics point
    EXPECT_EQ(frame("apple", 0).h, 32);
    EXPECT_EQ(frame("pig-body", 0).w, 100);
    EXPECT_EQ(frame("pig-body", 0).h, 80);
    EXPECT_EQ(frame("frog", 8).anchor, 4);  // the tongue stretches from its left end
    EXPECT_EQ(frame("spark", 0).anchor, 6);
    EXPECT_EQ(frame("hillsA-spring", 0).anchor, 1);
    // Menu items keep their frames' height and stand 50 units apart in a
    // column (main menu, name-entry keys); the button's bottom border is 36.
    for (const char* item : {"gui-game-button", "gui-game-editbox"}) {
        EXPECT_LT(frame(item, 0).h, 50) << item;
        EXPECT_EQ(frame(item, 1).h, frame(item, 0).h) << item;
    }
    EXPECT_GE(frame("gui-game-button", 0).h, 36);
    EXPECT_GE(frame("gui-game-speechBubble", 2).w, 2 * 35);
    EXPECT_GE(frame("gui-game-speechBubble", 2).h, 2 * 20);
    // The house picture spans its hull (x -173..177, y -42..145) and chimney (225).
    const content::Frame house = frame("house", 1);
    EXPECT_LE(-house.ox - house.w / 2, -173);
    EXPECT_GE(-house.ox + house.w / 2, 177);
    EXPECT_LE(-house.oy - house.h / 2, -42);
    EXPECT_GE(-house.oy + house.h / 2, 225);
}

// ---- Pictures ----------------------------------------------------------------------

TEST(Painter, CanvasRemembersWhatIsWrittenOnIt) {
    contentgen::Canvas c(64, 16);
    EXPECT_TRUE(c.writings().empty());
    c.text(1, 1, "ab 1", 1, 0xFFFFFFFF);
    ASSERT_EQ(c.writings().size(), 1u);
    EXPECT_EQ(c.writings()[0], "ab 1");
}

// A hole cut into a picture leaves its inside transparent, its edge partly so,
// and the colour of what stays.
TEST(Painter, CanvasCutsHoles) {
    contentgen::Canvas c(16, 16);
    c.fillRect(0, 0, 16, 16, 0xFF336699u);
    c.eraseEllipse(8, 8, 3.5, 3.5);
    EXPECT_EQ(c.get(8, 8), 0x00336699u);
    EXPECT_EQ(c.get(0, 0), 0xFF336699u);
    const int edge = contentgen::alphaOf(c.get(11, 8));
    EXPECT_GT(edge, 0);
    EXPECT_LT(edge, 255);
    EXPECT_EQ(c.get(11, 8) & 0xFFFFFFu, 0x336699u);
}

// Frames show what they are by shape and colour: nothing is written into a
// texture or an image (no names, no frame numbers), except the two logos'
// titles, the product's and the maker's name.
TEST(Painter, PicturesCarryNoWritingButTheLogosTitles) {
    int logos = 0;
    for (const Entry& e : content::manifest()) {
        if (e.kind != Kind::Texture && e.kind != Kind::Image) continue;
        const contentgen::Canvas sheet = contentgen::paintSheet(e, contentgen::layoutSheet(e.frames));
        const std::vector<std::string>& writings = sheet.writings();
        if (e.art == content::Art::Logo) {
            ++logos;
            EXPECT_EQ(writings.size(), 1u) << e.name;
            for (const std::string& w : writings)
                EXPECT_TRUE(w == "Tumbrodemo" || w == "Velmora studios") << e.name << " carries \"" << w << "\"";
        } else {
            EXPECT_TRUE(writings.empty()) << e.name << " carries \"" << writings.front() << "\"";
        }
    }
    EXPECT_EQ(logos, 2);
}

// The house stands upright in its slanted hull: its walls rise straight from
// the hull's floor line, so the wall's left edge is one column all the way
// up to under the eaves (house coordinates: x right, y up, from the frame's
// origin).
TEST(Painter, TheHousesWallsStandUpright) {
    const Entry* e = content::findEntry("house");
    ASSERT_NE(e, nullptr);
    const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
    const contentgen::Canvas sheet = contentgen::paintSheet(*e, layout);
    const content::Frame& f = e->frames[1];
    const contentgen::FrameRect& r = layout.rects[1];
    int leftmost = 1 << 20, rightmost = -1;
    for (int y = -25; y <= 10; ++y) {
        const int py = r.y + r.h / 2 - f.oy - y;
        int x = 0;
        while (x < r.w && (sheet.get(r.x + x, py) >> 24) < 128) ++x;
        ASSERT_LT(x, r.w) << "no wall at y " << y;
        leftmost = std::min(leftmost, x);
        rightmost = std::max(rightmost, x);
    }
    EXPECT_LE(rightmost - leftmost, 1);
}

// The earths that repeat down a deep ground (the dirt, and the gravel of an
// autumn gorge) tile downward as they tile across: no shading from top to
// bottom, and their first row continues their last one as any row continues
// the one above it, so that the repeats make no seam. The lip of grass laid
// along the surface over the earth, and the autumn's leaves, let the earth
// show under them: their upper rows are opaque, their lower third clear, and
// the sheet repeats their first and last rows above and below them.
TEST(Painter, TheEarthRepeatsDownwardWithoutASeamAndTheLipsOverItLetItShow) {
    auto paint = [](const char* name) {
        const Entry* e = content::findEntry(name);
        EXPECT_NE(e, nullptr) << name;
        return e ? contentgen::paintSheet(*e, contentgen::layoutSheet(e->frames)) : contentgen::Canvas();
    };
    auto luminance = [](uint32_t c) {
        return 0.2126 * ((c >> 16) & 0xFF) + 0.7152 * ((c >> 8) & 0xFF) + 0.0722 * (c & 0xFF);
    };
    for (const char* name : {"ground-dirt", "ground-gravel"}) {
        SCOPED_TRACE(name);
        const contentgen::Canvas tile = paint(name);
        const int w = tile.width(), h = tile.height();
        ASSERT_GT(h, 16);
        double top = 0.0, bottom = 0.0, wrap = 0.0, inner = 0.0;
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h / 4; ++y) {
                top += luminance(tile.get(x, y));
                bottom += luminance(tile.get(x, h - 1 - y));
            }
            wrap += std::fabs(luminance(tile.get(x, 0)) - luminance(tile.get(x, h - 1)));
            for (int y = 0; y + 1 < h; ++y)
                inner += std::fabs(luminance(tile.get(x, y + 1)) - luminance(tile.get(x, y)));
        }
        const double quarter = static_cast<double>(w) * (h / 4);
        EXPECT_LT(std::fabs(top - bottom) / quarter, 2.0) << "shaded from top to bottom";
        wrap /= w;
        inner /= static_cast<double>(w) * (h - 1);
        EXPECT_LT(wrap, 1.5 * inner) << "its last row does not lead into its first";
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) ASSERT_EQ(tile.get(x, y) >> 24, 0xFFu) << x << ", " << y;
    }
    for (const char* name : {"ground-grass", "ground-leaves"}) {
        SCOPED_TRACE(name);
        const contentgen::Canvas lip = paint(name);
        const Entry* e = content::findEntry(name);
        const contentgen::FrameRect r = contentgen::layoutSheet(e->frames).rects[0];
        const int w = r.w, h = r.h;
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h / 4; ++y) ASSERT_EQ(lip.get(r.x + x, r.y + y) >> 24, 0xFFu) << x << ", " << y;
            for (int y = h - h / 3; y < h; ++y) ASSERT_EQ(lip.get(r.x + x, r.y + y) >> 24, 0u) << x << ", " << y;
            // Its edge rows repeat beyond it in the sheet: a band's edges do
            // not read the opposite edge across the texture's wrap.
            ASSERT_GE(r.y, 1);
            ASSERT_EQ(lip.get(r.x + x, r.y - 1), lip.get(r.x + x, r.y)) << x;
            ASSERT_EQ(lip.get(r.x + x, r.y + h), lip.get(r.x + x, r.y + h - 1)) << x;
        }
    }
}

// ---- Files -----------------------------------------------------------------------

TEST(Content, EveryEntryHasItsFiles) {
    for (const Entry& e : content::manifest()) {
        EXPECT_TRUE(fs::is_regular_file(kContent + "/" + e.file)) << e.file;
        if (e.isTexture()) {
            EXPECT_TRUE(fs::is_regular_file(kContent + "/" + content::descriptionFileName(e.file))) << e.file;
        }
    }
    for (const content::CodePage& cp : content::kCodePages) {
        const std::string folder = kContent + "/gfx/font/" + cp.name + "/";
        EXPECT_TRUE(fs::is_regular_file(folder + cp.name + ".codepointLUT.bin")) << cp.name;
        for (const content::FontRole& f : content::kFonts)
            EXPECT_TRUE(fs::is_regular_file(folder + f.stem + "-1.tga")) << cp.name << " " << f.stem;
    }
}

TEST_F(ContentTest, TexturesDecodeWithTheirFramesSizesAndOrigins) {
    for (const Entry& e : content::manifest()) {
        if (e.kind != Kind::Texture) continue;
        SCOPED_TRACE(e.name);
        Texture* t = keep(new Texture(e.flags, wide(e.file)));
        ASSERT_EQ(t->getSkinCount(), static_cast<int>(e.frames.size()));
        for (size_t i = 0; i < e.frames.size(); ++i) {
            const content::Frame& f = e.frames[i];
            const Quad* q = t->getSkin(static_cast<int>(i));
            ASSERT_NE(q, nullptr);
            EXPECT_EQ(q->width, static_cast<float>(f.w)) << "frame " << i;
            EXPECT_EQ(q->height, static_cast<float>(f.h)) << "frame " << i;
            const V3 expected = Skin::anchorOffset(f.anchor, static_cast<float>(f.w), static_cast<float>(f.h)) +
                                V3(static_cast<float>(f.ox), static_cast<float>(f.oy), 0.0f);
            EXPECT_FLOAT_EQ(q->origin.x, expected.x) << "frame " << i;
            EXPECT_FLOAT_EQ(q->origin.y, expected.y) << "frame " << i;
        }
        // Pictures with transparent parts carry their alpha.
        if (e.art != content::Art::Scene && e.art != content::Art::Sky) {
            EXPECT_TRUE(t->bHasAlpha);
        }
    }
}

TEST_F(ContentTest, MinimapImagesAreLevelSized) {
    for (const Entry& e : content::manifest()) {
        if (e.kind != Kind::Image) continue;
        MemoryImageFile* img = keep(new MemoryImageFile(e.flags, wide(e.file)));
        EXPECT_EQ(img->getWidth(), 256) << e.name;
        EXPECT_EQ(img->getHeight(), 192) << e.name;
    }
}

TEST_F(ContentTest, SoundsDecodeAtTheirLength) {
    for (const Entry& e : content::manifest()) {
        if (e.kind != Kind::Sound) continue;
        SCOPED_TRACE(e.name);
        Sound* s = keep(new Sound(e.loop, e.playbacks, wide(e.file)));
        ASSERT_TRUE(s->load());
        EXPECT_EQ(s->channelCount(), 1);
        const double seconds = static_cast<double>(s->lengthFrames()) / s->sampleRate();
        EXPECT_NEAR(seconds, e.shape.seconds, 0.01);
    }
    for (const Entry& e : content::manifest()) {
        if (e.kind != Kind::Music) continue;
        SCOPED_TRACE(e.name);
        SoundStream* m = keep(new SoundStream(e.loop, wide(e.file)));
        EXPECT_EQ(m->sampleRate(), 44100);
        const double seconds = static_cast<double>(m->lengthFrames()) / 44100.0;
        EXPECT_NEAR(seconds, e.shape.seconds, 1.0);  // whole bars
    }
}

// Loops run from their end into their start without a jump larger than the
// sound's own steps; the sounds differ from each other; only the silence is
// silent.
TEST(Content, SoundsLoopCleanlyAndDiffer) {
    std::map<std::string, std::string> seen;  // bytes -> file
    for (const Entry& e : content::manifest()) {
        if (!e.isAudio()) continue;
        SCOPED_TRACE(e.name);
        const std::string bytes = readAll(kContent + "/" + e.file);
        auto [it, fresh] = seen.emplace(bytes, e.file);
        EXPECT_TRUE(fresh || it->second == e.file) << "same sound as " << it->second;
        audio::PcmData pcm;
        std::string error;
        ASSERT_TRUE(audio::decodeOggVorbis(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), pcm, error))
            << error;
        double energy = 0.0;
        for (float v : pcm.samples) energy += static_cast<double>(v) * v;
        const double rms = std::sqrt(energy / std::max<size_t>(1, pcm.samples.size()));
        if (e.shape.voice == content::Voice::Silence) {
            EXPECT_LT(rms, 1e-3);
            continue;
        }
        EXPECT_GT(rms, 0.01);
        if (!e.loop) continue;
        const int64_t n = pcm.frames();
        for (int c = 0; c < pcm.channels; ++c) {
            auto at = [&](int64_t i) { return pcm.samples[static_cast<size_t>(i * pcm.channels + c)]; };
            float largest = 0.0f;
            for (int64_t i = 1; i < n; ++i) largest = std::max(largest, std::fabs(at(i) - at(i - 1)));
            EXPECT_LE(std::fabs(at(0) - at(n - 1)), largest + 0.02f) << "channel " << c;
        }
    }
}

// ---- Fonts ---------------------------------------------------------------------

TEST_F(ContentTest, FontsLoadLikeTheLoaderLoadsThem) {
    for (const content::CodePage& cp : content::kCodePages) {
        const WString codePage = wide(cp.name);
        FontQuad::setCodePage(codePage);
        const WString folder = u"gfx/font/" + codePage + u"/";
        const WString table = codePage + u".codepointLUT";
        resources.addResource(table, keep(new FileData(0, folder + codePage + u".codepointLUT.bin")));
        for (const content::FontRole& role : content::kFonts) {
            SCOPED_TRACE(std::string(cp.name) + " " + role.stem);
            const WString prefix = wide(role.prefix) + codePage;
            int pages = 0, extras = 0;
            for (int n = 1;; ++n, ++pages) {
                const WString file = folder + wide(role.stem) + formatString(u"-%d.tga", n);
                if (!files.fileExists(file)) break;
                resources.addResource(formatString(u"%s%d", prefix, n), keep(new Texture(14, file)));
            }
            for (int n = 1;; ++n, ++extras) {
                const WString file = folder + u"extra-" + wide(role.stem) + formatString(u"-%d.tga", n);
                if (!files.fileExists(file)) break;
                resources.addResource(formatString(u"%sExtra%d", prefix, n), keep(new Texture(10, file)));
            }
            ASSERT_GE(pages, 1);
            FontQuad* font = keep(new FontQuad());
            if (std::string(role.stem) == "font-tiny") {
                // The tiny font takes its first page only, then the symbol sheets.
                EXPECT_EQ(pages, 1);
                font->addSourceTexture(resources.findAs<Texture>(prefix + u"1"), 33);
                font->addSourceTexture(keep(new Texture(10, u"gfx/font/font-tiny-GUIsymbols.tga")), 0, true);
                font->addSourceTexture(keep(new Texture(10, u"gfx/font/font-tiny-editorsymbols.tga")), 128, true);
                for (char16_t c : {u'\u0001', u'\u0003', u'\u0007', u'\u0008', u'\u0009', u'\u000A', u'\u0080',
                                   u'\u0081', u'\u0082'})
                    EXPECT_TRUE(font->hasGlyph(c)) << static_cast<int>(c);
            } else {
                EXPECT_EQ(extras, 1);
                font->addSourceTextures(prefix);
                for (char16_t c : {u'\u0001', u'\u0003', u'\u0007', u'\u0008'})
                    EXPECT_TRUE(font->hasGlyph(c)) << int(c);
            }
            font->finishLoading();
            EXPECT_GT(font->glyphCount(), 180);
            for (char16_t c : {u'A', u'z', u'0', u'|', u'!', u'?'}) EXPECT_TRUE(font->hasGlyph(c)) << char(c);
            if (cp.wad == content::Wad::Cp1252)
                for (char16_t c : {u'\u00E4', u'\u00F6', u'\u00FC', u'\u00DF', u'\u00C9', u'\u20AC'})
                    EXPECT_TRUE(font->hasGlyph(c)) << int(c);
            else
                for (char16_t c : {u'\u0159', u'\u0161', u'\u017E', u'\u0142', u'\u0105'})
                    EXPECT_TRUE(font->hasGlyph(c)) << int(c);
            EXPECT_GT(font->measureLine(u"Mrs. Tumbro"), 10.0f);
        }
    }
}

// The pages are made for the spacings the loader gives the fonts: with them
// a letter moves on by its advance in the outline font (plus the role's
// tracking), never by much more, and a word space stays close to the font's
// own space, so words stand apart as in the font itself.
TEST_F(ContentTest, FontsSpaceLettersAndWordsAsTheOutlineFontDoes) {
    FontQuad::setCodePage(u"1252");
    const std::string file = platform::defaultGlyphFontFile();
    ASSERT_FALSE(file.empty());
    for (const content::FontRole& role : content::kFonts) {
        SCOPED_TRACE(role.stem);
        FontQuad* font = keep(new FontQuad());
        for (int n = 1;; ++n) {
            const WString path = u"gfx/font/1252/" + wide(role.stem) + formatString(u"-%d.tga", n);
            if (!files.fileExists(path)) break;
            font->addSourceTexture(keep(new Texture(14, path)),
                                   n == 1 ? FontQuad::FIRST_PAGE_CODE : FontQuad::CONTINUE);
        }
        font->defaultCharWidth = role.spaceAdvance;
        font->letterSpacing = role.letterSpacing;
        std::string error;
        std::unique_ptr<platform::FontRasterizer> face = platform::openFontRasterizer(file, role.pixelSize, error);
        ASSERT_NE(face, nullptr) << error;
        double extra = 0.0;
        int letters = 0;
        for (char16_t c = u'a'; c <= u'z'; ++c)
            for (char16_t k : {c, static_cast<char16_t>(c - u'a' + u'A')}) {
                platform::GlyphImage g;
                ASSERT_TRUE(face->renderGlyph(k, g));
                const double more = font->advanceOf(k) - g.advance;
                EXPECT_GE(more, role.tracking - 1) << char(k);
                EXPECT_LE(more, role.tracking + 3) << char(k);  // a letter whose ink overhangs
                extra += more;
                ++letters;
            }
        extra /= letters;
        EXPECT_GE(extra, role.tracking - 0.25);
        EXPECT_LE(extra, role.tracking + 1.0);
        // The gap a space opens between two words, against the font's own
        // space (tracked as the letters are).
        platform::GlyphImage space;
        ASSERT_TRUE(face->renderGlyph(U' ', space));
        const double gap = font->advanceOf(u' ') + extra, own = space.advance + role.tracking;
        EXPECT_GE(gap, 0.65 * own);
        EXPECT_LE(gap, 1.35 * own);
        // A sentence keeps its natural length (with the tracking).
        const std::u16string sentence = u"The server answered: Network test";
        double natural = 0.0;
        for (char16_t c : sentence) {
            platform::GlyphImage g;
            face->renderGlyph(c, g);
            natural += g.advance + (c == u' ' ? 0 : role.tracking);
        }
        EXPECT_NEAR(font->measureLine(sentence), natural, 0.06 * natural);
    }
}

// ---- Archives ------------------------------------------------------------------

TEST(Content, ArchivesHoldEveryFileByteForByte) {
    const auto listed = contentgen::archivedFiles(kContent);
    std::map<std::string, std::set<std::string>> expected;  // archive -> normalised names
    for (const auto& [relative, archive] : listed) expected[archive].insert(archive::normaliseName(relative));
    // Every manifest file is in the archive its entry names.
    for (const Entry& e : content::manifest()) {
        EXPECT_EQ(expected[content::wadFileName(e.wad)].count(archive::normaliseName(e.file)), 1u) << e.file;
    }
    EXPECT_GT(expected[content::wadFileName(content::Wad::Cp1252)].size(), 12u);
    EXPECT_GT(expected[content::wadFileName(content::Wad::Cp1250)].size(), 12u);
    EXPECT_EQ(expected[content::wadFileName(content::Wad::Language)].size(), 2u);  // the flags and their skins

    std::map<std::string, std::string> diskOf;
    for (const auto& [relative, archive] : listed) diskOf[archive::normaliseName(relative)] = kContent + "/" + relative;
    for (content::Wad wad : content::kAllWads) {
        const std::string name = content::wadFileName(wad);
        SCOPED_TRACE(name);
        ArchiveReader reader;
        std::string reason;
        ASSERT_TRUE(reader.tryOpen(kContent + "/" + name, reason)) << reason;
        std::set<std::string> names;
        for (int i = 0; i < static_cast<int>(reader.entries().size()); ++i) {
            const archive::Entry& entry = reader.entries()[static_cast<size_t>(i)];
            names.insert(entry.name);
            ByteBuffer bytes;
            ASSERT_TRUE(reader.tryRead(i, bytes, reason)) << entry.name << ": " << reason;
            ASSERT_TRUE(diskOf.count(entry.name)) << entry.name;
            EXPECT_TRUE(bytes.view() == readAll(diskOf[entry.name])) << entry.name;
        }
        EXPECT_EQ(names, expected[name]);
    }
}

// The loader's archive switching, read from the archives alone.
TEST_F(ContentTest, ResourcesLoadFromTheArchives) {
    files.bUseWad = true;
    files.bDiskFallback = false;
    const WString dat = wide(kContent + "/Tumbrodemo.dat");
    files.useWad(dat);
    keep(new Texture(2, u"gfx/gui/game/progressbar.tga"));
    files.useWad(dat + u".language.v2");
    Texture* flags = keep(new Texture(0, u"gfx/system/languageflags.tga"));
    EXPECT_EQ(flags->getSkinCount(), 15);
    files.useWad(dat);
    files.useWad(dat + u".levels");
    EXPECT_EQ(keep(new MemoryImageFile(1, u"gfx/minimap/map05.tga"))->getWidth(), 256);
    EXPECT_EQ(keep(new Texture(0, u"gfx/minimap/minimapIcons.tga"))->getSkinCount(), 6);
    files.useWad(dat);
    Sound* bite = keep(new Sound(0, 3, u"sfx/appleBite.ogg"));
    EXPECT_TRUE(bite->load());
    EXPECT_EQ(keep(new Texture(0, u"gfx/sweets.tga"))->getSkinCount(), 16);
    keep(new Texture(10, u"gfx/font/font-tiny-GUIsymbols.tga"));
    files.useWad(dat + u".1250");
    keep(new Texture(14, u"gfx/font/1250/font-small-1.tga"));
    EXPECT_TRUE(files.fileExists(u"gfx/font/1250/1250.codepointLUT.bin"));
    files.useWad(dat);
}

// ---- The winter looks of the scenery ------------------------------------------

// The share of a frame's drawn pixels that are snow (near white, no warmer
// than blue).
double snowShare(const contentgen::Canvas& sheet, const contentgen::FrameRect& r) {
    int drawn = 0, snow = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const uint32_t p = sheet.get(x, y);
            if (contentgen::alphaOf(p) < 200) continue;
            ++drawn;
            const int red = contentgen::redOf(p), green = contentgen::greenOf(p), blue = contentgen::blueOf(p);
            snow += red >= 0xC0 && green >= 0xC8 && blue >= 0xE0 && blue >= red;
        }
    return drawn ? static_cast<double>(snow) / drawn : 0.0;
}

// The trees, bushes, stumps and flowers have a winter look that stands in
// for them frame by frame: the same frames (sizes, anchors, origins) and
// flags, so that a level swaps the one name for the other and nothing
// stands, bends or is reached differently; loaded by the extra steps from
// the main archive under the sheet's rule; and painted with snow in every
// frame, where the summer sheet has none.
TEST(Manifest, TheWinterLooksOfTheSceneryCopyTheirSheetsFrames) {
    int looks = 0;
    for (const char* base : {"trees-rigid", "shrubs", "treestumps", "flowers1"})
        EXPECT_NE(content::winterVariant(base), nullptr) << base << " has no winter look";
    for (const Entry& e : content::manifest()) {
        const Entry* w = content::winterVariant(e.name);
        if (!w) continue;
        SCOPED_TRACE(w->name);
        ++looks;
        EXPECT_EQ(w->name, e.name + content::kWinterSuffix);
        EXPECT_EQ(w->kind, Kind::Texture);
        EXPECT_EQ(w->file, "gfx/" + w->name + ".tga");
        EXPECT_EQ(w->wad, content::Wad::Main);
        EXPECT_EQ(w->step, 0);
        EXPECT_EQ(w->flags, e.flags);
        ASSERT_EQ(w->frames.size(), e.frames.size());
        for (size_t i = 0; i < e.frames.size(); ++i) {
            EXPECT_EQ(w->frames[i].w, e.frames[i].w) << "frame " << i;
            EXPECT_EQ(w->frames[i].h, e.frames[i].h) << "frame " << i;
            EXPECT_EQ(w->frames[i].anchor, e.frames[i].anchor) << "frame " << i;
            EXPECT_EQ(w->frames[i].ox, e.frames[i].ox) << "frame " << i;
            EXPECT_EQ(w->frames[i].oy, e.frames[i].oy) << "frame " << i;
        }
        const contentgen::SheetLayout layout = contentgen::layoutSheet(w->frames);
        const contentgen::Canvas winter = contentgen::paintSheet(*w, layout);
        const contentgen::Canvas summer = contentgen::paintSheet(e, contentgen::layoutSheet(e.frames));
        for (size_t i = 0; i < w->frames.size(); ++i) {
            EXPECT_GT(snowShare(winter, layout.rects[i]), 0.05) << "frame " << i << " shows no snow";
            EXPECT_LT(snowShare(summer, layout.rects[i]), 0.01) << e.name << " frame " << i;
        }
    }
    EXPECT_EQ(looks, 4);
    // A season's own sheets (the skies, the hills) are no look of a sheet.
    EXPECT_EQ(content::winterVariant("sky"), nullptr);
    EXPECT_EQ(content::winterVariant("hillsA"), nullptr);
    EXPECT_EQ(content::winterVariant("trees-rigid-winter"), nullptr);
}

// The winter sheets are in the generated content and load through the
// engine, from loose files and from the main archive, with their frames.
TEST_F(ContentTest, TheWinterLooksLoadLikeTheirSheets) {
    for (const bool fromArchive : {false, true}) {
        files.bUseWad = fromArchive;
        files.bDiskFallback = !fromArchive;
        if (fromArchive) files.useWad(wide(kContent + "/Tumbrodemo.dat"));
        for (const char* base : {"trees-rigid", "shrubs", "treestumps", "flowers1"}) {
            const Entry* w = content::winterVariant(base);
            ASSERT_NE(w, nullptr) << base;
            SCOPED_TRACE(w->name + (fromArchive ? " from the archive" : " loose"));
            Texture* t = keep(new Texture(w->flags, wide(w->file)));
            ASSERT_EQ(t->getSkinCount(), static_cast<int>(content::findEntry(base)->frames.size()));
            EXPECT_TRUE(t->bHasAlpha);
            for (int i = 0; i < t->getSkinCount(); ++i) {
                const Quad* q = t->getSkin(i);
                ASSERT_NE(q, nullptr);
                EXPECT_EQ(q->width, static_cast<float>(w->frames[static_cast<size_t>(i)].w));
                EXPECT_EQ(q->height, static_cast<float>(w->frames[static_cast<size_t>(i)].h));
            }
        }
    }
}

// ---- Determinism -------------------------------------------------------------

std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            out[fs::relative(it->path(), root, ec).generic_string()] = readAll(it->path().string());
    return out;
}

// A level map the build drew from its level (the level builder writes the
// map of each level it builds over the generator's painted one).
bool drawnFromItsLevel(std::string name) {
    if (name.rfind("./", 0) == 0) name.erase(0, 2);
    int number = 0;
    if (std::sscanf(name.c_str(), "gfx/minimap/map%2d.tga", &number) != 1 || number < 0 || number > 31) return false;
    const std::string level = {static_cast<char>('a' + number / 4), "1239"[number % 4]};
    return fs::exists(kContent + "/levels/" + level + ".lev");
}

TEST(Content, GenerationIsDeterministic) {
    ErrorManager::bTestMode = true;
    filestest::TempFolder folder;
    std::string root = folder.path();
    root.pop_back();
    std::map<std::string, std::string> runs[2];
    for (int run = 0; run < 2; ++run) {
        contentgen::Options options;
        options.outDir = root + (run ? "/b" : "/a");
        options.threads = run ? 3 : 1;  // the thread count changes nothing
        contentgen::Report report;
        ASSERT_TRUE(contentgen::generate(options, report)) << (report.errors.empty() ? "" : report.errors[0]);
        runs[run] = snapshot(options.outDir);
    }
    // Level files added later are packed into the level archive by a packing run.
    {
        const std::string dir = root + "/a";
        fs::create_directories(dir + "/levels");
        std::ofstream(dir + "/levels/a1.lev", std::ios::binary) << "level bytes";
        contentgen::Options options;
        options.outDir = dir;
        options.looseFiles = false;
        contentgen::Report report;
        ASSERT_TRUE(contentgen::generate(options, report));
        ArchiveReader reader;
        std::string reason;
        ASSERT_TRUE(reader.tryOpen(dir + "/Tumbrodemo.dat.levels", reason)) << reason;
        const int index = reader.find("./levels/a1.lev");
        ASSERT_GE(index, 0);
        ByteBuffer bytes;
        ASSERT_TRUE(reader.tryRead(index, bytes, reason));
        EXPECT_EQ(bytes.view(), "level bytes");
        fs::remove(dir + "/levels/a1.lev");
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    for (const auto& [name, bytes] : runs[0]) {
        auto it = runs[1].find(name);
        ASSERT_NE(it, runs[1].end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
    }
    // The build's content is the same too; its level archive holds the
    // levels the build's level builder made as well, and the maps it drew
    // of them.
    const auto built = snapshot(kContent);
    for (const auto& [name, bytes] : runs[0]) {
        if (drawnFromItsLevel(name)) continue;
        auto it = built.find(name);
        ASSERT_NE(it, built.end()) << name;
        if (name == "Tumbrodemo.dat.levels") {
            ArchiveReader generated, shipped;
            std::string reason;
            ASSERT_TRUE(generated.tryOpen(root + "/b/" + name, reason)) << reason;
            ASSERT_TRUE(shipped.tryOpen(kContent + "/" + name, reason)) << reason;
            for (size_t i = 0; i < generated.entries().size(); ++i) {
                const std::string& entry = generated.entries()[i].name;
                if (drawnFromItsLevel(entry)) continue;
                const int j = shipped.findNormalised(entry);
                ASSERT_GE(j, 0) << entry << " is missing from the build's " << name;
                ByteBuffer a, b;
                ASSERT_TRUE(generated.tryRead(static_cast<int>(i), a, reason) && shipped.tryRead(j, b, reason))
                    << reason;
                EXPECT_EQ(a.view(), b.view()) << entry << " differs from the build's content";
            }
            continue;
        }
        EXPECT_TRUE(it->second == bytes) << name << " differs from the build's content";
    }
}

// ---- Contact sheet -----------------------------------------------------------

// Draws every texture of the content (and the minimaps and the first glyph
// pages) with the engine's OpenGL device in an off-screen window, 48 to a
// sheet with their names under them and their frames outlined and numbered
// over them (the textures themselves carry no writing), and saves the sheets
// beside the content:
// content-sheets/sheet-N.jpg (the engine's screenshot) and sheet-N.png.
TEST_F(ContentTest, ContactSheet) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    constexpr int W = 1600, H = 1200;
    std::unique_ptr<platform::Backend> backend = platform::createSdlBackend();
    platform::WindowSettings ws;
    ws.title = "Contact sheet";
    ws.width = W;
    ws.height = H;
    ws.vsync = false;
    ws.assumeFocused = true;
    std::string error;
    if (!backend->openWindow(ws, error)) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
    auto graphics = std::make_unique<ZubGraphics>();
    if (!graphics->setDevice(platform::createGLRenderDevice(), error)) GTEST_SKIP() << "no OpenGL device: " << error;
    graphics->setBackend(backend.get());
    platform::InputSnapshot input;
    platform::WindowState window;
    backend->poll(input, window);
    graphics->onWindowSize(window.width > 0 ? window.width : W, window.height > 0 ? window.height : H);
    Context context;
    Context* previous = Context::environment.current;
    Context::environment.current = &context;

    struct Item {
        std::string name;
        Texture* texture;
        const Entry* entry;  // null for glyph pages
    };
    std::vector<Item> items;
    for (const Entry& e : content::manifest()) {
        if (e.kind == Kind::Image) {
            MemoryImageFile* img = keep(new MemoryImageFile(e.flags, wide(e.file)));
            items.push_back({e.name, keep(new Texture(img)), &e});
        } else if (e.isTexture()) {
            Texture* t = keep(new Texture(e.flags, wide(e.file)));
            items.push_back({e.name, t, &e});
        }
    }
    for (const content::FontRole& f : content::kFonts)
        items.push_back(
            {std::string(f.stem) + "-1", keep(new Texture(14, u"gfx/font/1252/" + wide(f.stem) + u"-1.tga")), nullptr});

    // A checkerboard behind every cell shows what is transparent.
    contentgen::Canvas checkCanvas(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) checkCanvas.set(x, y, ((x / 8 + y / 8) % 2) ? 0xFF707070 : 0xFF909090);
    DecodedImage checkImage;
    checkImage.width = 16;
    checkImage.height = 16;
    checkImage.pixels = checkCanvas.pixels();
    MemoryImageFile* checkFile = keep(new MemoryImageFile(std::move(checkImage)));
    Texture* checker = keep(new Texture(checkFile));

    const std::string folder = std::string(ZUB_CONTENT_SHEETS_DIR);
    fs::create_directories(folder);
    constexpr int kCols = 8, kRows = 6, kCell = 128;  // design units; the screen is 1024 x 768
    const int perSheet = kCols * kRows;
    int sheets = 0;
    for (size_t first = 0; first < items.size(); first += perSheet, ++sheets) {
        graphics->bBilinearFilter = true;
        graphics->beginFrame();
        graphics->clear(0xFF283038);
        context.camera->apply();
        contentgen::Canvas labels(1024, 768, 0);
        for (size_t k = first; k < std::min(items.size(), first + perSheet); ++k) {
            const int i = static_cast<int>(k - first), col = i % kCols, row = i / kCols;
            const float cx = -512.0f + kCell * (col + 0.5f), top = 384.0f - kCell * row;
            const float boxH = kCell - 22.0f, boxW = kCell - 8.0f, cy = top - 4.0f - boxH / 2;
            Renderable back(checker->getSkin(0), V3(cx, cy, 0));
            back.setScaleV(V3(boxW / 16.0f, boxH / 16.0f, 1.0f));
            back.render();
            Texture* t = items[k].texture;
            t->setWholeImageSkin();
            Quad* whole = t->getSkin(0);
            const float s = std::min(boxW / whole->width, boxH / whole->height);
            Renderable r(whole, V3(cx, cy, 0));
            r.setScaleV(V3(s, s, 1.0f));
            r.render();
            const std::string& name = items[k].name;
            const int scale = contentgen::Canvas::textWidth(name, 2) <= kCell - 6 ? 2 : 1;
            labels.text(col * kCell + (kCell - contentgen::Canvas::textWidth(name, scale)) / 2,
                        row * kCell + kCell - 14, name, scale, 0xFFFFFFFF);
            // The frames of a sheet: outlined, each with its name and number
            // (or only the number, or nothing, as room allows).
            const Entry* e = items[k].entry;
            if (!e || e->frames.size() < 2) continue;
            const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
            const double f = s * whole->width / layout.width;  // label units per texture pixel
            const double x0 = col * kCell + kCell / 2.0 - whole->width * s / 2.0;
            const double y0 = 384.0 - cy - whole->height * s / 2.0;
            for (size_t i = 0; i < e->frames.size(); ++i) {
                const contentgen::FrameRect& fr = layout.rects[i];
                const double fx = x0 + fr.x * f, fy = y0 + fr.y * f, fw = fr.w * f, fh = fr.h * f;
                labels.strokeRoundRect(fx, fy, fw, fh, 0.0, 0.6, 0x90FFFFFF);
                const std::string full = contentgen::frameLabel(e->frames[i], static_cast<int>(i));
                const std::string number = std::to_string(i);
                for (const std::string* text : {&full, &number}) {
                    if (contentgen::Canvas::textWidth(*text, 1) + 2 > fw || contentgen::Canvas::kGlyphHeight + 2 > fh)
                        continue;
                    labels.text(static_cast<int>(fx) + 1, static_cast<int>(fy) + 1, *text, 1, 0xFFFFFF80);
                    break;
                }
            }
        }
        DecodedImage labelImage;
        labelImage.width = 1024;
        labelImage.height = 768;
        labelImage.pixels = labels.pixels();
        labelImage.alphaUsed = true;
        MemoryImageFile* labelFile = keep(new MemoryImageFile(std::move(labelImage)));
        Texture* labelTexture = keep(new Texture(labelFile));
        Renderable overlay(labelTexture->getSkin(0), V3(0, 0, 0));
        overlay.render();
        const std::string path = folder + "/sheet-" + std::to_string(sheets + 1) + ".jpg";
        ASSERT_TRUE(graphics->saveScreenshot(path, 90)) << path;
        std::vector<uint32_t> frame;
        ASSERT_TRUE(graphics->device()->readPixels(0, 0, graphics->backBufferWidth, graphics->backBufferHeight, frame));
        std::set<uint32_t> colours(frame.begin(), frame.end());
        EXPECT_GT(colours.size(), 200u) << path << " looks empty";
        const std::string png = path.substr(0, path.size() - 4) + ".png";
        EXPECT_TRUE(pngtest::writePng(png, graphics->backBufferWidth, graphics->backBufferHeight, frame)) << png;
        std::printf("contact sheet: %s (and .png)\n", path.c_str());
    }
    EXPECT_GE(sheets, 4);

    Context::environment.current = previous;
    resources.clear();
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) deleteObject(*it);
    owned.clear();
    graphics.reset();
    backend.reset();
}

}  // namespace
