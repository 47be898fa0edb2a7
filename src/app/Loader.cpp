#include "app/Loader.h"

#include "app/AppClassIds.h"
#include "app/Global.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/ProgressBar.h"
#include "lang/Language.h"
#include "menu/ContextLanguageSelect.h"
#include "records/ProfileData.h"
#include "sys/ErrorManager.h"
#include "object/FileData.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "object/ResourceManager.h"
#include "sys/Settings.h"
#include "sys/TimeKeeper.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(Loader, Context, app_ids::Loader)

namespace {

double physicalClock() {
    const TimeKeeper* keeper = TimeKeeper::active();
    return TimeKeeper::getPhysicalTime() - (keeper ? keeper->startTime : 0.0);
}

void log(std::u16string_view function, const WString& message) {
    Logger::get().log(u"%s(): %s", function, message);
}

FileManager& files() {
    FileManager* fm = FileManager::active();
    ZUB_ASSERT(fm != NULL);
    return *fm;
}

ResourceManager& resourceManager() {
    ResourceManager* rm = ResourceManager::active();
    ZUB_ASSERT(rm != NULL);
    return *rm;
}

Language& language() {
    ZUB_ASSERT(ZUB != NULL && ZUB->language != NULL);
    return *ZUB->language;
}

void selectArchive(Loader::Archive archive) {
    files().useWad(Global::userDataFilePath() + Loader::archiveSuffix(archive));
}

// ---- The table ------------------------------------------------------------------

using Kind = Loader::Kind;
using Archive = Loader::Archive;
using Action = Loader::Action;
using Resource = Loader::Resource;
using Step = Loader::Step;

class TableBuilder {
public:
    std::vector<Step> steps;

    void action(Action a, int32_t font = 0) {
        Step s;
        s.action = a;
        s.font = font;
        steps.push_back(std::move(s));
    }

    // A texture; an empty file follows the rule "gfx/" + name + ".tga".
    Resource& texture(const char16_t* name, std::u16string_view file = u"", int32_t flags = 0) {
        Resource& r = add(Kind::Texture, name);
        r.file = file.empty() ? WString(u"gfx/") + name + u".tga" : WString(file);
        r.flags = flags;
        return r;
    }
    // A sound sample; an empty file follows the rule "sfx/" + name + ".ogg".
    Resource& sound(const char16_t* name, std::u16string_view file = u"", int32_t playbacks = 2) {
        Resource& r = add(Kind::Sound, name);
        r.file = file.empty() ? WString(u"sfx/") + name + u".ogg" : WString(file);
        r.playbacks = playbacks;
        return r;
    }
    void music(const char16_t* name, std::u16string_view file) {
        Resource& r = add(Kind::Music, name);
        r.file = WString(file);
        r.loop = 1;
        r.playbacks = 1;
    }
    void image(const char16_t* name, std::u16string_view file) {
        Resource& r = add(Kind::Image, name);
        r.file = WString(file);
        r.flags = 1;
    }

private:
    Resource& add(Kind kind, const char16_t* name) {
        Step s;
        s.action = Action::Resource;
        s.resource.kind = kind;
        s.resource.name = name;
        steps.push_back(std::move(s));
        return steps.back().resource;
    }
};

Resource& pitch(Resource& r, float lo, float hi) {
    r.minPitch = lo;
    r.maxPitch = hi;
    return r;
}

// The names of the resources the extra steps load (the strings must live as
// long as the table).
const char16_t* const kSeasons[] = {u"summer", u"autumn", u"winter"};
const char16_t* const kSeasonSkies[] = {u"sky-summer", u"sky-autumn", u"sky-winter"};
const char16_t* const kSeasonHillsA[] = {u"hillsA-summer", u"hillsA-autumn", u"hillsA-winter"};
const char16_t* const kSeasonHillsB[] = {u"hillsB-summer", u"hillsB-autumn", u"hillsB-winter"};
const char16_t* const kStandardSheets[] = {u"generic", u"thickframe", u"thinframe", u"groove",
                                           u"panel-bevelinner", u"editbox", u"button", u"button-nogroove",
                                           u"tab", u"tab-selected"};
const char16_t* const kStandardNames[] = {
    u"gui-standard-generic", u"gui-standard-thickframe",      u"gui-standard-thinframe",
    u"gui-standard-groove",  u"gui-standard-panel-bevelinner", u"gui-standard-editbox",
    u"gui-standard-button",  u"gui-standard-button-nogroove", u"gui-standard-tab",
    u"gui-standard-tab-selected"};
const char16_t* const kMinimapNames[] = {u"minimap00", u"minimap01", u"minimap02", u"minimap03", u"minimap04",
                                         u"minimap05", u"minimap06", u"minimap07", u"minimap08", u"minimap09",
                                         u"minimap10", u"minimap11", u"minimap12", u"minimap13", u"minimap14",
                                         u"minimap15", u"minimap16", u"minimap17", u"minimap18", u"minimap19",
                                         u"minimap20", u"minimap21", u"minimap22", u"minimap23", u"minimap24",
                                         u"minimap25", u"minimap26", u"minimap27", u"minimap28", u"minimap29",
                                         u"minimap30", u"minimap31"};

WString minimapFile(int n) { return formatString(u"gfx/minimap/map%02d.tga", n); }

std::vector<Step> buildSteps() {
    TableBuilder t;
    t.action(Action::Nothing);                                      // 1
    t.music(u"musicMenu", u"sfx/music/title.ogg");                   // 2
    t.action(Action::ApplyConfiguration);                           // 3
    t.action(Action::StartMusic);                                   // 4
    t.music(u"musicGame1", u"sfx/music/game1.ogg");                  // 5
    t.music(u"musicGame2", u"sfx/music/game2.ogg");
    t.music(u"musicGame3", u"sfx/music/game3.ogg");
    t.music(u"musicBonus", u"sfx/music/bonus.ogg");
    t.music(u"musicNone", u"sfx/music/silence.ogg");
    t.sound(u"soundWin", u"sfx/music/win.ogg");                      // 10
    t.sound(u"soundLose", u"sfx/music/lose.ogg");

    // Logos, the language flags, the editor's pictures, menus, intro, valley map, statistics.
    t.texture(u"velmorastudios", u"gfx/system/velmorastudios.tga");  // 12
    t.texture(u"languageFlags", u"gfx/system/languageflags.tga").archive = Archive::Language;
    for (const char16_t* name : {u"editor_icons", u"editor_symbols", u"editor_arrow", u"editor_circle",
                                 u"editor_areas"})
        t.texture(name, WString(u"gfx/system/") + name + u".tga");
    t.texture(u"gui-invisible", u"gfx/gui/standard/invisible.tga", 2);  // 19
    t.texture(u"gui-minimal-generic", u"gfx/gui/minimal/generic.tga", 2);
    t.texture(u"gui-game-editbox", u"gfx/gui/game/editbox.tga", 2);
    t.texture(u"gui-game-button", u"gfx/gui/game/button.tga", 2);
    t.texture(u"gui-game-square", u"gfx/gui/game/square.tga", 2);
    t.texture(u"gui-game-square-opaque", u"gfx/gui/game/square-opaque.tga", 2);
    t.texture(u"gui-game-speechBubble", u"gfx/gui/game/speechbubble.tga");
    t.texture(u"gui-game-hud", u"gfx/gui/game/hud.tga");
    t.texture(u"logo");                                              // 27
    t.texture(u"intro", u"gfx/intro.jpg");
    t.texture(u"intro-blurred", u"gfx/intro-blurred.jpg", 1);
    t.texture(u"valley", u"gfx/valley.jpg");                         // 30
    for (const char16_t* name : {u"valleyDot", u"valleyIcons", u"valleyArrow"})
        t.texture(name, WString(u"gfx/gui/game/") + name + u".tga");
    t.texture(u"valleyDashedLine", u"gfx/gui/game/dashedline.tga");
    t.texture(u"statsStar");
    t.texture(u"statsTrophy");
    t.texture(u"horizontalRuler", u"gfx/gui/game/horizontalRuler.tga");  // 37

    // The level archive: the minimaps.
    t.action(Action::SelectLevelArchive);                           // 38
    t.texture(u"minimapBackground", u"gfx/minimap/minimapBackground.tga");
    t.texture(u"minimapIcons", u"gfx/minimap/minimapIcons.tga");
    for (int n : {0, 1, 2, 4, 5, 6}) t.image(kMinimapNames[n], minimapFile(n));  // 41-46
    t.action(Action::SelectMainArchive);                            // 47

    // Effects.
    for (const char16_t* name : {u"smoke", u"explosion", u"splash", u"splashCircular", u"glint"})
        t.texture(name);                                             // 48-52
    t.texture(u"flareBig", u"gfx/flarebig.tga");
    t.texture(u"spark").anchor = 6;                                  // 54
    // The pig and the figures.
    for (const char16_t* name : {u"pig-body", u"pig-tail", u"pig-mouth", u"pig-eyes", u"pig-blink", u"piglets"})
        t.texture(name);                                             // 55-60
    t.texture(u"chefHat", u"gfx/chefhat.tga");
    t.texture(u"fishA");
    t.texture(u"rabbit");
    t.texture(u"bee", u"", 2);
    t.texture(u"butterfly", u"", 2);
    for (const char16_t* name : {u"worm", u"snail", u"frog", u"house", u"sweets", u"apple"})
        t.texture(name);                                             // 66-71
    // Weather and sky.
    t.texture(u"rainDrop", u"gfx/raindrop.tga");                     // 72
    t.texture(u"snowFlake", u"gfx/snowflake3d.tga");
    t.texture(u"sky-spring", u"gfx/sky4.jpg");
    t.texture(u"hillsA-spring").anchor = 1;
    t.texture(u"hillsB-spring").anchor = 1;                          // 76
    // Trees.
    t.texture(u"trees-rigid");                                       // 77
    const char16_t* const bendables[] = {u"trees-bendable-01", u"trees-bendable-02", u"trees-bendable-03",
                                         u"trees-bendable-04", u"trees-bendable-05", u"trees-bendable-07",
                                         u"trees-bendable-09", u"trees-bendable-10"};
    for (const char16_t* name : bendables) {
        const WString number(std::u16string_view(name).substr(15));  // "01" ... "10"
        t.texture(name, u"gfx/trees-bendable-" + (number[0] == u'0' ? number.substr(1) : number) + u".tga", 6);
    }
    // Plants, rocks and the ground.
    t.texture(u"flowers1", u"", 2);                                  // 86
    t.texture(u"flowers2", u"", 2);
    t.texture(u"flowers-cattail", u"gfx/cattail.tga", 2);
    t.texture(u"stones");
    t.texture(u"rockPebbles", u"gfx/pebbles.tga");                   // 90
    for (const char16_t* name : {u"rocksA", u"pumpkin", u"clouds"}) t.texture(name);
    for (const char16_t* name : {u"terrain-grassy", u"terrain-deco-roots", u"terrain-deco-moss", u"ground-dirt",
                                 u"ground-grass", u"ground-gravel", u"ground-leaves"})
        t.texture(name, u"", 2);                                     // 94-100
    // Objects.
    for (const char16_t* name : {u"crate", u"deco-grass", u"deco-grass-tall", u"details1"})
        t.texture(name);                                             // 101-104
    t.texture(u"cactus", u"", 6);
    for (const char16_t* name : {u"basketA", u"basketB", u"fence"}) t.texture(name);
    t.texture(u"ladder", u"", 2);                                    // 109
    t.texture(u"rainbow", u"", 2);
    t.texture(u"drawbridge");
    t.texture(u"water", u"", 2);
    t.texture(u"water-shallow", u"", 2);
    for (const char16_t* name : {u"shrubs", u"hotairballoon", u"treestumps", u"woodsign", u"paperNote", u"switch",
                                 u"dynamite", u"compass", u"telescope", u"springboard"})
        t.texture(name);                                             // 114-123
    // Touch screens.
    t.texture(u"hud-touchscreen", u"gfx/gui/game/hud-touchscreen.tga");  // 124
    t.texture(u"tutorial-iPhone", u"gfx/mobile/tutorial-iPhone.tga");
    t.texture(u"tutorial-iPad", u"gfx/mobile/tutorial-iPad.tga");

    // Sound samples.
    t.sound(u"mouseClick", u"sfx/clickXP.ogg");                      // 127
    pitch(t.sound(u"pop", u"", 3), 0.0f, 0.5f).interval = 0.025;
    pitch(t.sound(u"typewriter", u"", 3), 0.0f, 0.5f).interval = 0.025;
    t.sound(u"beeBuzz", u"sfx/bee.ogg").loop = 1;                    // 130
    t.sound(u"birds").loop = 1;
    t.sound(u"waterfall").loop = 1;
    t.sound(u"snailWalk", u"", 3).loop = 1;
    t.sound(u"hedgehogSqueak").loop = 1;
    pitch(t.sound(u"geyserErupt", u"", 3), 0.0f, 0.5f).loop = 1;
    t.sound(u"geyserRumble", u"", 3);
    t.sound(u"waterSplashSmall").interval = 0.025;                   // 137
    t.sound(u"waterSplashLarge").interval = 0.1;
    t.sound(u"mudSplash");
    t.sound(u"explosionSound", u"sfx/explosion.ogg", 1);             // 140
    t.sound(u"magicHat");
    t.sound(u"umbrellaOpen");
    for (const char16_t* name : {u"footstepDirt", u"footstepLeaves", u"footstepSnow", u"footstepStone"})
        pitch(t.sound(name), 0.0f, 0.5f);                            // 143-146
    pitch(t.sound(u"footstepWood"), 0.0f, 1.0f);
    for (const char16_t* name : {u"drawbridgeRaise", u"drawbridgeLower", u"switchButton", u"switchRaise",
                                 u"switchLower", u"switchActivate", u"rotatorGear"})
        t.sound(name);                                               // 148-154
    t.sound(u"sweetPickup", u"", 8);
    t.sound(u"secretArea", u"", 1);
    pitch(t.sound(u"pigletJump"), 0.0f, 0.5f);                       // 157
    t.sound(u"pigFaint", u"", 1);
    pitch(t.sound(u"pigJump"), 0.0f, 0.5f);
    pitch(t.sound(u"pigSlurp"), 0.0f, 0.25f);                        // 160
    pitch(t.sound(u"pigCarry"), 0.0f, 0.25f);
    t.sound(u"pigSpawn", u"", 1);
    for (const char16_t* name : {u"horseIdle", u"horseAlert"}) t.sound(name);  // 163-164
    t.sound(u"horseDigest", u"", 1);
    for (const char16_t* name : {u"frogIdle", u"frogAlert", u"frogDigest", u"frogAttack", u"fishIdle"})
        t.sound(name);                                               // 166-170
    pitch(t.sound(u"wormDie"), 0.0f, 0.5f);
    pitch(t.sound(u"rabbitAppear", u"", 3), 0.0f, 0.5f);
    pitch(t.sound(u"appleBite", u"", 3), 0.0f, 0.5f);                // 173
    // The same file, always at half frequency.
    pitch(t.sound(u"appleBiteBig", u"sfx/appleBite.ogg", 3), -0.5f, -0.5f);
    for (const char16_t* name : {u"appleMud", u"appleAcid", u"appleWorm"})
        pitch(t.sound(name, u"", 3), 0.0f, 0.25f);                   // 175-177
    pitch(t.sound(u"appleBasket"), 0.0f, 0.25f);
    pitch(t.sound(u"appleSquish"), 0.0f, 0.5f);
    t.sound(u"appleBounce", u"", 6).interval = 0.025;                // 180
    t.sound(u"appleBig", u"", 3).interval = 0.025;
    t.sound(u"appleCollect", u"", 3);
    t.sound(u"doorOpen", u"", 1);                                    // 183
    t.sound(u"doorClose", u"", 1);
    pitch(t.sound(u"springboardSound", u"sfx/springboard.ogg"), 0.0f, 0.5f);
    t.sound(u"bellSmall", u"sfx/bellsmall.ogg");
    t.sound(u"vibe");
    t.sound(u"saveProgress");
    t.sound(u"fireworkBang", u"sfx/fireworkbang.ogg");               // 189

    t.action(Action::LevelFiles);                                   // 190
    t.action(Action::ChooseLanguage);                               // 191
    t.action(Action::SetLanguage);                                  // 192
    for (int32_t i = 0; i < 6; ++i) t.action(Action::FontPages, i);  // 193-198
    t.texture(u"fontTinyGUIsymbolsTex", u"gfx/font/font-tiny-GUIsymbols.tga", 10).kind = Kind::TextureNameOnly;
    t.texture(u"fontTinyEditorSymbolsTex", u"gfx/font/font-tiny-editorsymbols.tga", 10).kind =
        Kind::TextureNameOnly;                                       // 200
    for (int32_t i = 0; i < 6; ++i) t.action(Action::Font, i);       // 201-206

    // What the list above leaves out: the skies and hills of the other
    // seasons, the winter roof, the tools, the bigger baskets, the animals
    // of the later valleys, the autumn leaves, the standard theme's sheets
    // and the minimaps of the later levels (the bonus levels n mod 4 = 3
    // and the last level have none).
    for (int i = 0; i < 3; ++i) {
        t.texture(kSeasonSkies[i], WString(u"gfx/sky-") + kSeasons[i] + u".jpg");
        t.texture(kSeasonHillsA[i]).anchor = 1;
        t.texture(kSeasonHillsB[i]).anchor = 1;
    }
    for (const char16_t* name : {u"house-roofsnow", u"umbrella", u"wingedhat", u"basketC", u"basketD", u"bear",
                                 u"fishB", u"geyser", u"hedgy", u"horse-body", u"horse-head", u"horse-lick",
                                 u"autumnLeaf"})
        t.texture(name);
    for (int i = 0; i < 10; ++i)
        t.texture(kStandardNames[i], WString(u"gfx/gui/standard/") + kStandardSheets[i] + u".tga", 2);
    for (int n = 8; n < NUMLEVELS - 1; ++n) {
        if (n % 4 == 3) continue;
        t.image(kMinimapNames[n], minimapFile(n));
        t.steps.back().resource.archive = Archive::Levels;
    }

    t.action(Action::Finish);
    return std::move(t.steps);
}

}  // namespace

double (*Loader::clock)() = &physicalClock;

const std::vector<Loader::Step>& Loader::steps() {
    static const std::vector<Step> table = buildSteps();
    return table;
}

const std::vector<Loader::FontInfo>& Loader::fontTable() {
    static const std::vector<FontInfo> table = {
        {u"font-tiny", u"fontTinyTex", u"fontTiny", &Global::fontTiny, 3, 1, 0, 0, 1, 1, true},
        {u"font-small", u"fontSmallTex", u"fontSmall", &Global::fontSmall, 3, 0, 2, 5, 1, 1, true},
        {u"font-small-outline", u"fontSmallOutlineTex", u"fontSmallOutline", &Global::fontSmallOutline, 3, -1, 2,
         5, 1, 0, true},
        {u"font-medium", u"fontMediumTex", u"fontMedium", &Global::fontMedium, 6, 0, 6, 10, 1, 1, false},
        {u"font-medium-outline", u"fontMediumOutlineTex", u"fontMediumOutline", &Global::fontMediumOutline, 6, -1,
         6, 10, 1, 0, false},
        {u"font-large", u"fontLargeTex", u"fontLarge", &Global::fontLarge, 16, -4, 8, 14, 0, 0, false},
    };
    return table;
}

int32_t Loader::stepOf(std::u16string_view resourceName) {
    const std::vector<Step>& all = steps();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].action == Action::Resource && resourceName == all[i].resource.name)
            return static_cast<int32_t>(i + 1);
    return 0;
}

const char16_t* Loader::archiveSuffix(Archive archive) {
    switch (archive) {
    case Archive::Main: return u"";
    case Archive::Language: return u".language.v2";
    case Archive::Levels: return u".levels";
    }
    return u"";
}

Loader::Loader() {
    log(u"Loader::Loader", u"Loading resources...");
    bDeleteWhenDone = 1;
    bEscapeCloses = 0;
    bShowPointer = 0;
    bHideFrameRate = 1;
    clearColor = 0xFF000000u;

    pProgressBar = new ProgressBar(resourceManager().findAs<Texture>(u"gui-game-progressBar", true), 0, 1);
    if (files().bEnableDelayedLoad) pProgressBar->bHidden = 1;
    addChild(pProgressBar);

    numSteps = loadStuff(true);
}

Loader::~Loader() = default;

void Loader::tickContents(double time, double dt) {
    ZubBase::tick(time, dt);
    const double deadline = clock() + SECONDS_PER_FRAME;
    for (;;) {
        const int32_t r = loadStuff(false);
        pProgressBar->setProgress(static_cast<float>(r) / static_cast<float>(numSteps));
        if (bOneStepOnly) {
            bOneStepOnly = 0;
            return;
        }
        // A step put a screen over the loader: wait for it, then run one
        // step alone.
        const auto* stack = dynamic_cast<const ContextManager*>(parent);
        if (stack && stack->getTop() != this) {
            bOneStepOnly = 1;
            return;
        }
        if (!(deadline > clock())) return;
    }
}

int32_t Loader::loadStuff(bool bCountOnly) {
    const int32_t last = static_cast<int32_t>(steps().size());
    if (bCountOnly || currentStep >= last) return last;
    const int32_t k = currentStep + 1;
    currentStep = k;
    runStep(steps()[static_cast<size_t>(k - 1)]);
    return k;
}

void Loader::runStep(const Step& step) {
    switch (step.action) {
    case Action::Nothing: break;
    case Action::Resource: createResource(step.resource); break;
    case Action::SelectLevelArchive: selectArchive(Archive::Levels); break;
    case Action::SelectMainArchive: selectArchive(Archive::Main); break;
    case Action::ApplyConfiguration:
        // The window's current state is the player's choice from now on.
        if (GLOBAL) {
            if (const ZubGraphics* g = ZubGraphics::active()) GLOBAL->config.fullScreen = g->bFullScreen ? 1 : 0;
            GLOBAL->config.applyToEngine(-1, -1);
        }
        bOneStepOnly = 1;
        break;
    case Action::StartMusic:
        if (ZubAudio* audio = ZubAudio::active())
            audio->setMusic(resourceManager().findAs<SoundStream>(u"musicMenu", true));
        break;
    case Action::LevelFiles:
        // Only archive creation records the level files; otherwise a level
        // is read when it is played.
        if (files().bCreateWad) {
            selectArchive(Archive::Levels);
            for (int32_t n = 0; n < NUMLEVELS; ++n) {
                const WString file = ProfileData::levelNumberToFile(n);
                if (files().fileExists(file)) FileData recorded(0, file);
            }
            selectArchive(Archive::Main);
        }
        break;
    case Action::ChooseLanguage: chooseLanguage(); break;
    case Action::SetLanguage: {
        Language& l = language();
        l.setLanguage(ZUB->settings ? ZUB->settings->getDefaultLanguage() : Language::ENGLISH);
        // Glyph pages of the fonts read their codes through the language's code page.
        FontQuad::setCodePage(l.getText(SID_LANGUAGECODEPAGE));
        break;
    }
    case Action::FontPages: {
        const FontInfo& f = fontTable()[static_cast<size_t>(step.font)];
        fontRes(false, f.texturePrefix, u"", f.stem, u"");
        break;
    }
    case Action::Font: createFont(fontTable()[static_cast<size_t>(step.font)]); break;
    case Action::Finish:
        if (GLOBAL) GLOBAL->initPostLoader();
        done = 1;
        break;
    }
}

void Loader::createResource(const Resource& r) {
    if (r.archive != Archive::Main) selectArchive(r.archive);
    switch (r.kind) {
    case Kind::Texture: {
        auto* t = new Texture(r.flags, r.file);
        registerTexture(t, r.name);
        if (r.anchor != 0)
            if (Quad* first = t->getSkin(0)) first->getAnchorPoint(r.anchor);
        break;
    }
    case Kind::TextureNameOnly: registerResource(new Texture(r.flags, r.file), r.name); break;
    case Kind::Sound: {
        auto* s = new Sound(r.loop, r.playbacks, r.file);
        registerResource(s, r.name);
        s->minInterval = r.interval;
        s->minPitch = r.minPitch;
        s->maxPitch = r.maxPitch;
        break;
    }
    case Kind::Music: registerResource(new SoundStream(r.loop, r.file), r.name); break;
    case Kind::Image: registerResource(new MemoryImageFile(r.flags, r.file), r.name); break;
    }
    if (r.archive != Archive::Main) selectArchive(Archive::Main);
}

void Loader::registerResource(ZubBase* resource, std::u16string_view name) {
    ZUB_ASSERT(GLOBAL != NULL && GLOBAL->resources != NULL);
    GLOBAL->resources->addChild(resource);
    resourceManager().addResource(name, resource);
}

void Loader::registerTexture(Texture* texture, std::u16string_view name) {
    registerResource(texture, name);
    ResourceManager& rm = resourceManager();
    for (int i = 0; i < texture->getSkinCount(); ++i)
        rm.addResource(formatString(u"%s:%d", name, i), texture->getSkin(i));
}

void Loader::chooseLanguage() {
    Settings* settings = ZUB ? ZUB->settings.get() : nullptr;
    ZUB_ASSERT(settings != NULL);
    if (settings->singleLanguage >= 0) {
        settings->setDefaultLanguage(settings->singleLanguage);
        log(u"Loader::loadStuff", formatString(u"Single language mode (%d).", settings->singleLanguage));
        return;
    }
    log(u"Loader::loadStuff", formatString(u"Multilanguage mode (%d).", settings->getDefaultLanguage()));

    FileManager& fm = files();
    if (fm.bUseWad) {
        // Every language that may be chosen needs its glyph archive and its flag.
        const Language& l = language();
        const auto* flags = resourceManager().findAs<Texture>(u"languageFlags", true);
        for (int32_t i = 0; i < Language::NUM_LANGUAGES; ++i) {
            if (!l.isLanguageAvailable(i)) continue;
            WString archive = Global::userDataFilePath() + u"." + l.getTextIn(i, SID_LANGUAGECODEPAGE);
            if (fm.hq2x == 2) archive += u".hq2x";
            fm.verifyFileDisk(archive);
            const std::u16string_view isoCode = l.getTextIn(i, SID_LANGUAGEISOCODE);
            if (!(flags->getSkinCount() > ContextLanguageSelect::isoCode2skinIndex(isoCode)))
                ErrorManager::assertionFailed(
                    "FIND_RESOURCE(Texture,TT(\"languageFlags\"))->skins.size()>"
                    "ContextLanguageSelect::isoCode2skinIndex(isoCode)",
                    "Loader::loadStuff", __FILE__, __LINE__);
        }
    }
    // -2 detects the language, -1 asks on the language page (the loader
    // waits behind it).
    if (GLOBAL && GLOBAL->contextManager)
        ContextLanguageSelect::settleDefaultLanguage(*settings, *GLOBAL->contextManager);
}

void Loader::fontRes(bool bRecordOnly, std::u16string_view texturePrefix, std::u16string_view pathPrefix,
                     std::u16string_view fontName, std::u16string_view codePageIn) {
    FileManager& fm = files();
    ResourceManager& rm = resourceManager();
    const Language& l = language();
    WString codePage(codePageIn);
    if (codePage.empty()) {
        // An archive being made gets the glyph files of both languages.
        if (fm.bCreateWad) {
            fontRes(true, texturePrefix, pathPrefix, fontName, l.getTextIn(0, SID_LANGUAGECODEPAGE));
            fontRes(true, texturePrefix, pathPrefix, fontName, l.getTextIn(1, SID_LANGUAGECODEPAGE));
        }
        codePage = l.getText(SID_LANGUAGECODEPAGE);
    }
    fm.useWad(Global::userDataFilePath() + u"." + codePage);

    // The numbered pages from 1 up to the first one missing: the glyph pages,
    // then the extra pages ("extra-" files, "Extra" resources).
    auto pages = [&](std::u16string_view filePrefix, std::u16string_view nameInfix, int32_t flags) {
        for (int n = 1;; ++n) {
            const WString file =
                formatString(u"%sgfx/font/%s/%s%s-%d.tga", pathPrefix, codePage, filePrefix, fontName, n);
            if (!fm.fileExists(file)) break;
            if (bRecordOnly) Texture recorded(0, file);
            else registerResource(new Texture(flags, file), formatString(u"%s%s%d", texturePrefix, nameInfix, n));
        }
    };
    pages(u"", u"", 14);
    pages(u"extra-", u"Extra", 10);
    const WString table = formatString(u"%sgfx/font/%s/%s.codepointLUT.bin", pathPrefix, codePage, codePage);
    const WString tableName = formatString(u"%s.codepointLUT", codePage);
    if (!rm.find(tableName, false) && fm.fileExists(table)) {
        if (bRecordOnly) FileData recorded(0, table);
        else registerResource(new FileData(0, table), tableName);
    }
    fm.useWad(Global::userDataFilePath());

    if (bRecordOnly || rm.find(WString(texturePrefix) + u"1", false)) return;
    if (codePage == u"1252") {
        ErrorManager::errorAt(formatString(u"Could not find any 8-bit glyphs for font '%s'", fontName),
                              "Loader::fontRes", __FILE__, __LINE__);
    }
    // The language's code page has no pages for this font: the 8-bit ones.
    fontRes(false, texturePrefix, pathPrefix, fontName, u"1252");
}

void Loader::createFont(const FontInfo& info) {
    auto* font = new FontQuad;
    if (GLOBAL) GLOBAL->*info.pointer = font;
    font->defaultCharWidth = info.defaultCharWidth;
    font->letterSpacing = info.letterSpacing;
    font->accentDropCapital = info.accentDropCapital;
    font->accentDropSmall = info.accentDropSmall;
    font->bAllowTextCache = info.bAllowTextCache;
    font->bCacheFlag = info.bCacheFlag;

    ResourceManager& rm = resourceManager();
    if (&info == &fontTable().front()) {
        // The tiny font: its 8-bit page, then the GUI symbols from code 0 and
        // the editor's symbols from code 128, both with their codes as they are.
        font->addSourceTexture(rm.findAs<Texture>(WString(info.texturePrefix) + u"1", true), 33, false);
        font->addSourceTexture(rm.findAs<Texture>(u"fontTinyGUIsymbolsTex", true), 0, true);
        font->addSourceTexture(rm.findAs<Texture>(u"fontTinyEditorSymbolsTex", true), 128, true);
    } else {
        const Language& l = language();
        font->addSourceTextures(info.texturePrefix);
        font->buildCompositeChars(l.getText(SID_LANGUAGECOMPOSITECHARS), l.getText(SID_LANGUAGECODEPAGE));
        font->finishLoading();
    }
    if (info.bResolutionScaling) font->enableResolutionScaling();
    font->attachFontCache();
    registerResource(font, info.resourceName);
}
