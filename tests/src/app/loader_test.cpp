// The resource loader: its table against the content the generator makes,
// and the real program loading that content, from the archives and from the
// loose files, frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "Manifest.h"
#include "ProgramHarness.h"
#include "app/Global.h"
#include "app/Loader.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "engine/Zub.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/ProgressBar.h"
#include "lang/Language.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/GameMainMenu.h"
#include "menu/LanguageFlag.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Settings.h"
#include "text/FontQuad.h"
#include "util/Format.h"
#include "util/KeyCodes.h"

namespace {

using programtest::ContentFolder;
using programtest::ProgramHarness;
using Action = Loader::Action;
using Kind = Loader::Kind;

// The step numbers of the game's list.
constexpr int32_t STEP_MUSIC_STARTS = 4;
constexpr int32_t STEP_LEVEL_FILES = 190;
constexpr int32_t STEP_LANGUAGE = 191;
constexpr int32_t STEP_SET_LANGUAGE = 192;
constexpr int32_t STEP_FIRST_FONT_PAGES = 193;
constexpr int32_t STEP_FIRST_FONT = 201;
constexpr int32_t STEP_LAST_OF_LIST = 206;

const Loader::Step& step(int32_t n) { return Loader::steps()[static_cast<size_t>(n - 1)]; }

Kind kindOf(content::Kind k) {
    switch (k) {
        case content::Kind::Texture:
            return Kind::Texture;
        case content::Kind::GlyphSheet:
            return Kind::TextureNameOnly;
        case content::Kind::Sound:
            return Kind::Sound;
        case content::Kind::Music:
            return Kind::Music;
        case content::Kind::Image:
            return Kind::Image;
    }
    return Kind::Texture;
}

// The archive each resource step reads from, following the steps that
// switch archives.
std::map<std::string, content::Wad> archivesOfSteps() {
    std::map<std::string, content::Wad> out;
    content::Wad selected = content::Wad::Main;
    for (const Loader::Step& s : Loader::steps()) {
        if (s.action == Action::SelectLevelArchive) selected = content::Wad::Levels;
        if (s.action == Action::SelectMainArchive) selected = content::Wad::Main;
        if (s.action != Action::Resource) continue;
        content::Wad w = selected;
        if (s.resource.archive == Loader::Archive::Language) w = content::Wad::Language;
        if (s.resource.archive == Loader::Archive::Levels) w = content::Wad::Levels;
        out[wideToNarrow(s.resource.name)] = w;
    }
    return out;
}

TEST(LoaderTable, LoadsEveryResourceTheGeneratorMakesAsTheManifestDescribesIt) {
    const auto archives = archivesOfSteps();
    std::set<std::string> inManifest;
    for (const content::Entry& e : content::manifest()) {
        inManifest.insert(e.name);
        if (e.name == "gui-game-progressBar" || e.name == "mousePointer") {
            EXPECT_EQ(Loader::stepOf(narrowToWide(e.name)), 0) << e.name << " is the pre-loader's";
            continue;
        }
        const int32_t n = Loader::stepOf(narrowToWide(e.name));
        ASSERT_NE(n, 0) << e.name << " is never loaded";
        if (e.step != 0) {
            EXPECT_EQ(n, e.step) << e.name;
        } else {
            EXPECT_GT(n, STEP_LAST_OF_LIST) << e.name << " belongs to the extra steps";
        }
        const Loader::Resource& r = step(n).resource;
        EXPECT_EQ(r.kind, kindOf(e.kind)) << e.name;
        EXPECT_EQ(wideToNarrow(r.file), e.file) << e.name;
        EXPECT_EQ(archives.at(e.name), e.wad) << e.name;
        if (e.isTexture() || e.kind == content::Kind::Image) {
            EXPECT_EQ(r.flags, e.flags) << e.name;
        }
        if (e.isAudio()) {
            EXPECT_EQ(r.loop, e.loop) << e.name;
            EXPECT_EQ(r.playbacks, e.playbacks) << e.name;
            EXPECT_EQ(r.interval, e.interval) << e.name;
            EXPECT_EQ(r.minPitch, e.minPitch) << e.name;
            EXPECT_EQ(r.maxPitch, e.maxPitch) << e.name;
        }
    }
    // Nothing the generator does not make.
    for (const Loader::Step& s : Loader::steps()) {
        if (s.action == Action::Resource) {
            EXPECT_TRUE(inManifest.count(wideToNarrow(s.resource.name))) << wideToNarrow(s.resource.name);
        }
    }
}

TEST(LoaderTable, KeepsTheNumbersAndCountsOfTheGamesListAndEndsWithTheHandOver) {
    std::map<Kind, int> kinds;
    int images = 0;
    for (int32_t n = 1; n <= STEP_LAST_OF_LIST; ++n) {
        if (step(n).action != Action::Resource) continue;
        ++kinds[step(n).resource.kind];
        images += step(n).resource.kind == Kind::Image;
    }
    EXPECT_EQ(kinds[Kind::Music], 6);
    EXPECT_EQ(kinds[Kind::Sound], 2 + 63);  // the jingles and the samples
    EXPECT_EQ(kinds[Kind::Texture] + kinds[Kind::TextureNameOnly], 109);
    EXPECT_EQ(images, 6);

    EXPECT_EQ(step(1).action, Action::Nothing);
    EXPECT_EQ(step(3).action, Action::ApplyConfiguration);
    EXPECT_EQ(step(STEP_MUSIC_STARTS).action, Action::StartMusic);
    EXPECT_EQ(step(38).action, Action::SelectLevelArchive);
    EXPECT_EQ(step(47).action, Action::SelectMainArchive);
    EXPECT_EQ(step(STEP_LEVEL_FILES).action, Action::LevelFiles);
    EXPECT_EQ(step(STEP_LANGUAGE).action, Action::ChooseLanguage);
    EXPECT_EQ(step(STEP_SET_LANGUAGE).action, Action::SetLanguage);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(step(STEP_FIRST_FONT_PAGES + i).action, Action::FontPages);
        EXPECT_EQ(step(STEP_FIRST_FONT_PAGES + i).font, i);
        EXPECT_EQ(step(STEP_FIRST_FONT + i).action, Action::Font);
        EXPECT_EQ(step(STEP_FIRST_FONT + i).font, i);
    }
    EXPECT_EQ(Loader::stepOf(u"fontTinyGUIsymbolsTex"), 199);
    EXPECT_EQ(Loader::stepOf(u"fontTinyEditorSymbolsTex"), 200);
    EXPECT_EQ(Loader::stepOf(u"appleBiteBig"), 174);
    EXPECT_EQ(step(174).resource.file, step(173).resource.file);
    EXPECT_EQ(step(174).resource.minPitch, -0.5f);
    EXPECT_EQ(step(174).resource.maxPitch, -0.5f);
    // After the list only resources, then the hand-over as the last step.
    const int32_t last = static_cast<int32_t>(Loader::steps().size());
    for (int32_t n = STEP_LAST_OF_LIST + 1; n < last; ++n) EXPECT_EQ(step(n).action, Action::Resource) << n;
    EXPECT_EQ(step(last).action, Action::Finish);
}

// The table follows the manifest it is made from: an entry moved to another
// number moves its step, extra entries keep their order, a number given twice
// or left empty is fatal.
TEST(LoaderTable, IsMadeFromTheManifestAtItsNumbersAndInItsOrder) {
    std::vector<content::Entry> manifest = content::manifest();
    auto entry = [&](const std::string& name) -> content::Entry& {
        for (content::Entry& e : manifest)
            if (e.name == name) return e;
        throw std::runtime_error(name);
    };
    // Swap the numbers of two textures; put two extra entries the other way round.
    std::swap(entry("logo").step, entry("intro").step);
    auto first =
        std::find_if(manifest.begin(), manifest.end(), [](const content::Entry& e) { return e.name == "bear"; });
    auto second =
        std::find_if(manifest.begin(), manifest.end(), [](const content::Entry& e) { return e.name == "fishB"; });
    std::iter_swap(first, second);
    const std::vector<Loader::Step> steps = Loader::stepsFrom(manifest);
    ASSERT_EQ(steps.size(), Loader::steps().size());
    EXPECT_EQ(steps[27 - 1].resource.name, u"intro");
    EXPECT_EQ(steps[28 - 1].resource.name, u"logo");
    std::vector<WString> extra;
    for (size_t n = STEP_LAST_OF_LIST; n < steps.size() - 1; ++n) extra.push_back(steps[n].resource.name);
    const auto bear = std::find(extra.begin(), extra.end(), u"bear");
    ASSERT_NE(bear, extra.end());
    ASSERT_NE(bear, extra.begin());
    EXPECT_EQ(*(bear - 1), u"fishB");
    // The level archive's resources inside the steps that select it switch
    // nothing themselves; those after the list switch for their step alone.
    EXPECT_EQ(steps[41 - 1].resource.name, u"minimap00");
    EXPECT_EQ(steps[41 - 1].resource.archive, Loader::Archive::Main);
    EXPECT_EQ(steps[13 - 1].resource.archive, Loader::Archive::Language);
    const auto later = std::find_if(steps.begin(), steps.end(), [](const Loader::Step& st) {
        return st.action == Action::Resource && st.resource.name == u"minimap08";
    });
    ASSERT_NE(later, steps.end());
    EXPECT_EQ(later->resource.archive, Loader::Archive::Levels);
    // The first skin's anchor comes with the entry.
    EXPECT_EQ(steps[54 - 1].resource.anchor, 6);
    EXPECT_EQ(steps[75 - 1].resource.anchor, 1);
    EXPECT_EQ(steps[55 - 1].resource.anchor, 0);
}

TEST(LoaderTableDeathTest, ANumberGivenTwiceOrLeftEmptyIsFatal) {
    ErrorManager::bTestMode = true;
    std::vector<content::Entry> twice = content::manifest();
    for (content::Entry& e : twice)
        if (e.name == "logo") e.step = 28;
    EXPECT_EXIT(Loader::stepsFrom(twice), ::testing::ExitedWithCode(255), "The step 28 is given twice\\.");
    std::vector<content::Entry> gap = content::manifest();
    for (content::Entry& e : gap)
        if (e.name == "logo") e.step = content::kExtraStep;
    EXPECT_EXIT(Loader::stepsFrom(gap), ::testing::ExitedWithCode(255), "The step 27 is missing\\.");
    std::vector<content::Entry> outside = content::manifest();
    for (content::Entry& e : outside)
        if (e.name == "logo") e.step = 207;
    EXPECT_EXIT(Loader::stepsFrom(outside), ::testing::ExitedWithCode(255),
                "The step 207 of 'logo' is outside the loader's list\\.");
}

// ---- The real program -------------------------------------------------------------------

struct LoaderRun : ::testing::TestWithParam<ContentFolder::Layout> {};

TEST_P(LoaderRun, LoadsEverythingThenShowsLogoStoryAndMainMenuInThatOrder) {
    ProgramHarness::Options o;
    o.layout = GetParam();
    ProgramHarness h(o);
    h.start();
    ASSERT_TRUE(h.step());
    Loader* loader = h.loader();
    ASSERT_NE(loader, nullptr);
    const int32_t total = loader->numSteps;
    EXPECT_EQ(total, static_cast<int32_t>(Loader::steps().size()));
    // The first frame runs step 1 alone: the empty bar is drawn before any loading.
    EXPECT_EQ(loader->currentStep, 1);
    EXPECT_FLOAT_EQ(loader->pProgressBar->value, 1.0f / static_cast<float>(total));
    // The second ends after step 3 at the latest (it changes the video settings).
    ASSERT_TRUE(h.step());
    EXPECT_GE(loader->currentStep, 2);
    EXPECT_LE(loader->currentStep, 3);
    // Every later frame runs at least one step; the bar follows.
    int32_t before = loader->currentStep;
    while (h.loader() && loader->currentStep < total) {
        ASSERT_TRUE(h.step());
        ASSERT_GT(loader->currentStep, before);
        before = loader->currentStep;
        EXPECT_FLOAT_EQ(loader->pProgressBar->value, static_cast<float>(before) / static_cast<float>(total));
        ASSERT_LT(h.frames(), 400) << "loading does not end";
    }
    // The hand-over: below the screens it pushed, the loader waits to be popped.
    EXPECT_EQ(h.stackClasses(),
              (std::vector<std::string>{"Loader", "GameMainMenu", "ContextIntroStory", "ContextCompanyLogo"}));
    EXPECT_TRUE(loader->done);

    // Every resource under its name, held by the global object.
    ResourceManager* rm = ResourceManager::active();
    ASSERT_NE(rm, nullptr);
    for (const content::Entry& e : content::manifest()) {
        ZubBase* r = rm->find(narrowToWide(e.name), false);
        ASSERT_NE(r, nullptr) << e.name;
        EXPECT_EQ(r->parent, GLOBAL->resources) << e.name;
        if (e.kind != content::Kind::Texture) continue;
        for (size_t i = 0; i < e.frames.size(); ++i) {
            EXPECT_NE(rm->find(formatString(u"%s:%d", narrowToWide(e.name), static_cast<int>(i)), false), nullptr)
                << e.name << ":" << i;
        }
    }
    // The title music plays; the hills' first skins are anchored at their corner.
    ASSERT_NE(ZubAudio::active(), nullptr);
    EXPECT_EQ(ZubAudio::active()->getMusic(), rm->find(u"musicMenu", false));
    const auto* hills = zub_cast<Quad>(rm->find(u"hillsA-winter:0", false));
    ASSERT_NE(hills, nullptr);
    EXPECT_FLOAT_EQ(hills->origin.x, -hills->width / 2.0f);
    // The six fonts, tuned, with the code page's table registered once.
    for (const Loader::FontInfo& f : Loader::fontTable()) {
        FontQuad* font = GLOBAL->*f.pointer;
        ASSERT_NE(font, nullptr) << wideToNarrow(f.resourceName);
        EXPECT_EQ(rm->find(f.resourceName, false), font);
        EXPECT_EQ(font->letterSpacing, f.letterSpacing);
        EXPECT_EQ(font->defaultCharWidth, f.defaultCharWidth);
        // The glyph pages were made for these spacings.
        const size_t index = static_cast<size_t>(&f - Loader::fontTable().data());
        ASSERT_LT(index, std::size(content::kFonts));
        const content::FontRole& role = content::kFonts[index];
        EXPECT_EQ(narrowToWide(role.stem), f.stem);
        EXPECT_EQ(role.spaceAdvance, f.defaultCharWidth) << role.stem;
        EXPECT_EQ(role.letterSpacing, f.letterSpacing) << role.stem;
        EXPECT_GT(font->glyphCount(), 90) << wideToNarrow(f.resourceName);
        EXPECT_NE(rm->find(WString(f.texturePrefix) + u"1", false), nullptr);
    }
    EXPECT_TRUE(GLOBAL->fontTiny->hasGlyph(0x80)) << "the editor's symbols";
    EXPECT_NE(rm->find(u"1252.codepointLUT", false), nullptr);

    // Then the logo, the story and the main menu, each ended by Escape.
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>() && h.top()->done == 0; }, 10));
    h.pressKey(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10));
    h.pressKey(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10));
    EXPECT_EQ(h.stackClasses(), (std::vector<std::string>{"Loader", "GameMainMenu"}));
}

INSTANTIATE_TEST_SUITE_P(Content, LoaderRun,
                         ::testing::Values(ContentFolder::Layout::Archives, ContentFolder::Layout::Loose),
                         [](const ::testing::TestParamInfo<ContentFolder::Layout>& p) {
                             return p.param == ContentFolder::Layout::Archives ? std::string("FromArchives")
                                                                               : std::string("FromLooseFiles");
                         });

// A clock that moves 0.1 s each time it is read.
double fakeTime = 0.0;
double tenthPerRead() { return fakeTime += 0.1; }

TEST(LoaderFrames, AFrameLoadsUntilAQuarterSecondHasPassedAfterAStep) {
    ProgramHarness h;
    fakeTime = 0.0;
    double (*const realClock)() = Loader::clock;
    Loader::clock = &tenthPerRead;
    h.start();
    std::vector<int32_t> reached;
    for (int i = 0; i < 6 && h.step(); ++i) reached.push_back(h.loader()->currentStep);
    Loader::clock = realClock;
    // Step 1 alone; 2 and 3 (3 ends its frame); then three steps a frame:
    // after each step the clock has moved 0.1 s, and the third passes 0.25 s.
    EXPECT_EQ(reached, (std::vector<int32_t>{1, 3, 6, 9, 12, 15}));
}

TEST(LoaderFrames, DelayedLoadsHideTheBarAndLeaveSamplesUndecoded) {
    for (const bool delayed : {true, false}) {
        ProgramHarness::Options o;
        o.staticSettings = std::string("[Language]\nlanguageMask=\nsingleLanguage=-1\n[Engine]\nhq2x=1\n") +
                           "bEnableDelayedLoad=" + (delayed ? "Yes" : "No") + "\n";
        ProgramHarness h(o);
        h.start();
        ASSERT_TRUE(h.step());
        EXPECT_EQ(h.loader()->pProgressBar->bHidden, delayed ? 1 : 0);
        ASSERT_TRUE(h.stepUntil([&] { return h.loader()->done != 0; }, 400));
        auto* pop = ResourceManager::active()->findAs<Sound>(u"pop", true);
        EXPECT_EQ(pop->isLoaded(), !delayed);
        EXPECT_EQ(pop->maxPlaybacks, 3);
        EXPECT_DOUBLE_EQ(pop->minInterval, 0.025);
    }
}

// ---- The language -------------------------------------------------------------------------

// Steps until the loader is done (false after 400 frames); `sawPage` tells
// whether the language page came up meanwhile.
bool loadWatchingForThePage(ProgramHarness& h, bool& sawPage) {
    return h.stepUntil(
        [&] {
            sawPage = sawPage || h.topIs<ContextLanguageSelect>();
            return h.loader() && h.loader()->done;
        },
        400);
}

TEST(LoaderLanguage, AskingOpensTheLanguagePageAndWaitsThenTheNextFrameSetsTheChoiceAlone) {
    ProgramHarness::Options o;
    o.userSettings = "[Language]\ndefaultLanguage=-1\n";
    ProgramHarness h(o);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 400));
    Loader* loader = h.loader();
    EXPECT_EQ(loader->currentStep, STEP_LANGUAGE);
    h.step(5);
    EXPECT_EQ(loader->currentStep, STEP_LANGUAGE) << "loading went on behind the page";
    EXPECT_EQ(ZUB->resourceManager->find(u"fontMedium", false), nullptr);

    // The German flag.
    LanguageFlag* german = nullptr;
    for (LanguageFlag* f : childrenOf<LanguageFlag>(h.top()))
        if (f->languageIndex == Language::GERMAN) german = f;
    ASSERT_NE(german, nullptr);
    const V3 at = german->cursorAnchor(0);
    h.moveMouse(at.x, at.y);
    h.step();
    h.mouseButton(true);
    Context* page = h.top();
    ASSERT_TRUE(h.stepUntil([&] { return page->done != 0; }, 5));
    h.mouseButton(false);
    EXPECT_EQ(loader->currentStep, STEP_LANGUAGE);
    // The frame that takes the page away runs step 192 alone.
    h.step();
    EXPECT_EQ(h.top(), loader);
    EXPECT_EQ(loader->currentStep, STEP_SET_LANGUAGE);
    EXPECT_EQ(ZUB->language->currentLanguage, Language::GERMAN);
    EXPECT_EQ(ZUB->settings->getDefaultLanguage(), Language::GERMAN);
    h.step();
    EXPECT_GT(loader->currentStep, STEP_SET_LANGUAGE);
}

TEST(LoaderLanguage, ASingleLanguageIsTakenWhateverTheUserSettingSays) {
    ProgramHarness::Options o;
    o.staticSettings = "[Language]\nlanguageMask=\nsingleLanguage=1\n[Engine]\nhq2x=1\nbEnableDelayedLoad=Yes\n";
    o.userSettings = "[Language]\ndefaultLanguage=-1\n";
    ProgramHarness h(o);
    h.start();
    bool sawPage = false;
    ASSERT_TRUE(loadWatchingForThePage(h, sawPage));
    EXPECT_FALSE(sawPage);
    EXPECT_EQ(ZUB->language->currentLanguage, Language::GERMAN);
    EXPECT_NE(h.log().find("Loader::loadStuff(): Single language mode (1)."), std::string::npos);
}

TEST(LoaderLanguage, DetectingTakesTheSystemsLanguageWithoutAPage) {
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved ? saved : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    {
        ProgramHarness h;  // defaultLanguage is -2 unless set
        h.start();
        bool sawPage = false;
        EXPECT_TRUE(loadWatchingForThePage(h, sawPage));
        EXPECT_FALSE(sawPage);
        EXPECT_EQ(ZUB->language->currentLanguage, Language::GERMAN);
        EXPECT_NE(h.log().find("Loader::loadStuff(): Multilanguage mode (-2)."), std::string::npos);
    }
    if (saved) setenv("LC_ALL", previous.c_str(), 1);
    else unsetenv("LC_ALL");
}

// ---- Failures ------------------------------------------------------------------------------

TEST(LoaderDeathTest, AMissingResourceEndsTheProgramNamingIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ProgramHarness::Options o;
            o.layout = ContentFolder::Layout::Loose;
            o.leaveOut = {"gfx/gui/game/valleyDot.tga"};
            ProgramHarness h(o);
            h.start();
            h.step(400);
        },
        ::testing::ExitedWithCode(255), "Could not read file 'gfx/gui/game/valleyDot.tga'");
}

// ---- Archive creation ----------------------------------------------------------------------

TEST(LoaderArchives, MakingArchivesRecordsTheLevelFilesThereAreAndBothLanguagesGlyphs) {
    ProgramHarness::Options o;
    o.layout = ContentFolder::Layout::Loose;
    ProgramHarness h(o);
    h.program->write("levels/a1.lev", "level a1");
    h.program->write("levels/b3.lev", "level b3");
    h.start();
    ASSERT_TRUE(h.step());
    h.onProgramThread([] {
        ZUB->fileManager->createMethod = ArchiveWriter::Method::Store;
        ZUB->fileManager->setCreateWad(true);
    });
    ASSERT_TRUE(h.stepUntil([&] { return h.loader() && h.loader()->currentStep > STEP_LEVEL_FILES; }, 400));
    std::vector<std::string> levels;
    h.onProgramThread([&] { levels = ZUB->fileManager->recordedNames(Global::userDataFilePath() + u".levels"); });
    std::set<std::string> recorded(levels.begin(), levels.end());
    EXPECT_TRUE(recorded.count("levels/a1.lev"));
    EXPECT_TRUE(recorded.count("levels/b3.lev"));
    EXPECT_TRUE(recorded.count("gfx/minimap/map00.tga"));
    ASSERT_TRUE(h.stepUntil([&] { return h.loader() && h.loader()->done; }, 400));
    std::vector<std::string> glyphs;
    h.onProgramThread([&] { glyphs = ZUB->fileManager->recordedNames(Global::userDataFilePath() + u".1252"); });
    EXPECT_TRUE(std::find(glyphs.begin(), glyphs.end(), "gfx/font/1252/font-large-1.tga") != glyphs.end());
}

}  // namespace
