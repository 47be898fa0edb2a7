#include "Manifest.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace content {

namespace {

// ---- Frame lists -----------------------------------------------------------

Frames one(const std::string& label, int w, int h, int anchor = 5, int ox = 0, int oy = 0) {
    return Frames{Frame{label, w, h, anchor, ox, oy}};
}

// One frame laid once across a band along the terrain, its edge rows
// repeated beyond it (Frame::edgeRows).
Frames band(const std::string& label, int w, int h) {
    Frames f = one(label, w, h);
    f[0].edgeRows = 1;
    return f;
}

// n frames of one size and origin, all with the same label.
Frames seq(const char* label, int n, int w, int h, int anchor = 5, int ox = 0, int oy = 0) {
    Frames f;
    for (int i = 0; i < n; ++i) f.push_back(Frame{label, w, h, anchor, ox, oy});
    return f;
}

// One frame per label, all of one size.
Frames named(std::initializer_list<const char*> labels, int w, int h, int anchor = 5) {
    Frames f;
    for (const char* l : labels) f.push_back(Frame{l, w, h, anchor, 0, 0});
    return f;
}

// A season's strip of hills, `hills` high, over a foot `foot` high of their
// colour: the origin at the foot's top left corner, where the strip stands.
// The foot reaches below the lowest ground any view of a level shows under
// the strip (the strips stand highest over it from the lowest views); the
// sizes fill the textures' power-of-two heights.
Frames hillsOverFoot(const std::string& label, int hills, int foot) {
    return one(label, 1024, hills + foot, 1, 0, foot);
}

Frames operator+(Frames a, const Frames& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- Entries ---------------------------------------------------------------

struct E : Entry {
    E& pb(int n) {
        playbacks = n;
        return *this;
    }
    E& gap(double s) {
        interval = s;
        return *this;
    }
    E& pitch(float lo, float hi) {
        minPitch = lo;
        maxPitch = hi;
        return *this;
    }
    E& looping() {
        loop = 1;
        return *this;
    }
    E& in(Wad w) {
        wad = w;
        return *this;
    }
    E& anchored(int anchor) {
        firstSkinAnchor = anchor;
        return *this;
    }
};

// A texture; an empty file follows the rule "gfx/" + name + ".tga".
E tex(int step, const std::string& name, const std::string& file, int flags, Art art, uint32_t colour, Frames frames,
      const char* usedBy) {
    E e;
    e.kind = Kind::Texture;
    e.name = name;
    e.file = !file.empty() ? file : "gfx/" + name + ".tga";
    e.step = step;
    e.flags = flags;
    e.art = art;
    e.colour = colour;
    e.frames = std::move(frames);
    e.usedBy = usedBy;
    return e;
}

// A sound sample; an empty file follows the rule "sfx/" + name + ".ogg".
E snd(int step, const char* name, const char* file, SoundShape shape, const char* usedBy) {
    E e;
    e.kind = Kind::Sound;
    e.name = name;
    e.file = *file ? file : std::string("sfx/") + name + ".ogg";
    e.step = step;
    e.shape = shape;
    e.usedBy = usedBy;
    return e;
}

E music(int step, const char* name, const char* file, SoundShape shape, const char* usedBy) {
    E e;
    e.kind = Kind::Music;
    e.name = name;
    e.file = file;
    e.step = step;
    e.loop = 1;
    e.playbacks = 1;
    e.shape = shape;
    e.usedBy = usedBy;
    return e;
}

E image(int step, const std::string& name, const std::string& file, const char* usedBy) {
    E e;
    e.kind = Kind::Image;
    e.name = name;
    e.file = file;
    e.step = step;
    e.flags = 1;
    e.art = Art::Minimap;
    e.frames = one("map", 256, 192);
    e.wad = Wad::Levels;
    e.usedBy = usedBy;
    return e;
}

SoundShape S(Voice v, double seconds, double f1 = 0.0, double f2 = 0.0) { return SoundShape{v, seconds, f1, f2}; }

// Colours.
constexpr uint32_t PINK = 0xFFF4A6BE, DEEP_PINK = 0xFFE0789A, RED = 0xFFD62F2A, BROWN = 0xFF8B5A2B, WOOD = 0xFFB07840,
                   GREEN = 0xFF4CAF50, DARK_GREEN = 0xFF2E7D32, GREY = 0xFF9E9E9E, STONE = 0xFF8C8C8C,
                   BLUE = 0xFF3B7DD8, WATER = 0xC04A90E2, YELLOW = 0xFFF2C530, ORANGE = 0xFFF08A24, WHITE = 0xFFF4F4F4,
                   PURPLE = 0xFF8E5CC2, GOLD = 0xFFE8B830, CYAN = 0xFF40C8D8, SKY = 0xFF8CC8F0, BLACK = 0xFF202020,
                   EDITOR = 0xFFFF40FF, GIZMO = 0xFFFFFFFF;

std::vector<Entry> build() {
    std::vector<Entry> t;
    auto add = [&t](const E& e) { t.push_back(e); };

    // ---- Before the loader ----------------------------------------------------
    add(tex(kBeforeLoader, "gui-game-progressBar", "gfx/gui/game/progressbar.tga", 2, Art::Bar, GREEN,
            named({"background", "bar"}, 512, 32), "Loader's ProgressBar: skin 0 frame, skin 1 the bar revealed"));
    add(tex(kBeforeLoader, "mousePointer", "gfx/gui/game/mousepointer.tga", 0, Art::Pointer, WHITE,
            named({"unlocked", "pointer"}, 32, 32, 7),
            "MousePointer: skin 1 normally, skin 0 with the debug lock off"));

    // ---- Music and jingles ----------------------------------------------------
    add(music(2, "musicMenu", "sfx/music/title.ogg", S(Voice::Song, 16.0, 96, 261.63),
              "title music while loading; menus, valley map, level 31"));
    add(music(5, "musicGame1", "sfx/music/game1.ogg", S(Voice::Song, 16.0, 120, 196.00),
              "GameController: levels with n mod 4 = 0"));
    add(music(6, "musicGame2", "sfx/music/game2.ogg", S(Voice::Song, 16.0, 110, -220.00),
              "GameController: levels with n mod 4 = 1 (minor key)"));
    add(music(7, "musicGame3", "sfx/music/game3.ogg", S(Voice::Song, 16.0, 132, 293.66),
              "GameController: levels with n mod 4 = 2"));
    add(music(8, "musicBonus", "sfx/music/bonus.ogg", S(Voice::Song, 12.0, 160, 329.63),
              "GameController: bonus levels (n mod 4 = 3)"));
    add(music(9, "musicNone", "sfx/music/silence.ogg", S(Voice::Silence, 4.0), "GameController: level 19 (silence)"));
    add(snd(10, "soundWin", "sfx/music/win.ogg", S(Voice::Arpeggio, 2.0, 523.25, 1), "GameController: level won"));
    add(snd(11, "soundLose", "sfx/music/lose.ogg", S(Voice::Arpeggio, 2.0, 220.0, -1),
            "GameController: level lost; Pig: out of time"));

    // ---- Logos, language, editor and menus ------------------------------------
    add(tex(12, "velmorastudios", "gfx/system/velmorastudios.tga", 0, Art::Logo, PURPLE,
            one("velmora studios", 512, 256), "ContextCompanyLogo"));
    add(tex(13, "languageFlags", "gfx/system/languageflags.tga", 0, Art::Flags, WHITE,
            named({"en", "fr", "de", "it", "es", "ru", "he", "el", "pl", "ro", "pt", "ja", "ko", "cs", "nl"}, 128, 80),
            "LanguageFlag, ContextLanguageSelect, Loader's flag check (skin = isoCode2skinIndex)")
            .in(Wad::Language));
    add(tex(14, "editor_icons", "gfx/system/editor_icons.tga", 0, Art::Icon, EDITOR,
            named({"object", "trigger", "hint", "secret"}, 32, 32),
            "editor icons: A99Object 0, TriggerArea 1, TriggerHint 2, SecretArea 3"));
    add(tex(15, "editor_symbols", "gfx/system/editor_symbols.tga", 0, Art::Icon, EDITOR,
            named({"s0", "s1", "point", "s3", "s4", "vertex"}, 16, 16),
            "editor: terrain and hull points (2), path vertices (5)"));
    // The arrow and the circle are drawn in the colour each caller gives
    // (the colour multiplies the art's): white, so that it shows as given.
    add(tex(16, "editor_arrow", "gfx/system/editor_arrow.tga", 0, Art::Streak, GIZMO, one("arrow", 64, 16),
            "editor arrows (drawn at the midpoint of their two points, stretched in x, the head at the right end)"));
    add(tex(17, "editor_circle", "gfx/system/editor_circle.tga", 0, Art::Ring, GIZMO, one("circle", 128, 128),
            "editor circles of frogs, geysers, trigger areas, houses (scaled to 2r / width)"));
    add(tex(18, "editor_areas", "gfx/system/editor_areas.tga", 0, Art::Panel, EDITOR, named({"rect", "circle"}, 64, 64),
            "Area: 0 rectangle, 1 circle (radius = half the width)"));
    add(tex(19, "gui-invisible", "gfx/gui/standard/invisible.tga", 2, Art::Transparent, 0,
            named({"disabled", "normal", "focused"}, 32, 32), "GUI themes, style 1"));
    add(tex(20, "gui-minimal-generic", "gfx/gui/minimal/generic.tga", 2, Art::Panel, 0xFF607080,
            named({"disabled", "normal", "focused"}, 16, 16), "GUIthemeMinimal styles 2-11 (editor panel)"));
    // Items keep the height of their frames, and pages stack them 50 units
    // apart (the main menu, the name entry's keys): 44 leaves a gap between
    // them and still holds the button's 36-pixel bottom border.
    add(tex(21, "gui-game-editbox", "gfx/gui/game/editbox.tga", 2, Art::Panel, 0xFF5A8FD0,
            named({"frame", "highlight"}, 128, 44), "MenuItem and its value, choice, toggle, slider and key items"));
    add(tex(22, "gui-game-button", "gfx/gui/game/button.tga", 2, Art::Panel, 0xFF6BB04A,
            named({"button", "highlight"}, 128, 44), "MenuButton: back, link and character-key buttons"));
    add(tex(23, "gui-game-square", "gfx/gui/game/square.tga", 2, Art::Panel, 0xE8946E4C, one("square", 128, 128),
            "GameSquare: hint, pause, statistics overlays"));
    add(tex(24, "gui-game-square-opaque", "gfx/gui/game/square-opaque.tga", 2, Art::Panel, 0xFFA98C6B,
            one("opaque", 128, 128), "GameSquare opaque: message boxes, players page, name entry"));
    add(tex(25, "gui-game-speechBubble", "gfx/gui/game/speechbubble.tga", 0, Art::Bubble, WHITE,
            named({"plain", "hero", "other"}, 96, 96),
            "SpeechBubble (style 1 hero, 2 others), ValleyStatsBubble (2); borders 35/20/35/20"));
    add(tex(26, "gui-game-hud", "gfx/gui/game/hud.tga", 0, Art::Bar, 0xFF7A6048,
            one("hud strip", 512, 64) + one("apple", 24, 24) + one("small apple", 16, 16),
            "GameHud apple bar and icons, ContextValley HUD strip"));
    add(tex(27, "logo", "", 0, Art::Logo, PINK, one("Tumbrodemo", 512, 256), "GameLogo: main menu, intro"));
    add(tex(28, "intro", "gfx/intro.jpg", 0, Art::Scene, 0xFF6FB4E8, one("intro", 1024, 768),
            "IntroScreen sharp layer"));
    add(tex(29, "intro-blurred", "gfx/intro-blurred.jpg", 1, Art::Scene, 0xFF6FB4E8, one("intro blurred", 1024, 768),
            "IntroScreen blurred layer"));
    add(tex(30, "valley", "gfx/valley.jpg", 0, Art::Scene, 0xFF78C060, one("valley", 2048, 960),
            "ContextValley background (scale 1 x 0.8)"));
    // A marker stands between its level's title, from 10 units above its
    // point upwards, and its rating, from 10 units below downwards: the dot,
    // the ring and the badge over a finished level keep within those 20
    // units (the ring reaches out sideways instead).
    add(tex(31, "valleyDot", "gfx/gui/game/valleyDot.tga", 0, Art::Icon, GOLD, seq("rating", 6, 22, 22),
            "ValleyIcon: skin k of n for a completed level's rating"));
    // The bubble's badges stand a line of its small font apart beside the
    // values of its rows: at most a line wide and high.
    add(tex(32, "valleyIcons", "gfx/gui/game/valleyIcons.tga", 0, Art::Icon, 0xFFE05050,
            one("marker", 48, 48) + one("ring", 40, 24) + named({"perfect", "record"}, 16, 16) + one("100%", 22, 22),
            "ValleyIcon (0 marker, 1 current level's ring, 4 the perfect badge over a marker), "
            "ValleyStatsBubble (2 perfect, 3 new record)"));
    add(tex(33, "valleyArrow", "gfx/gui/game/valleyArrow.tga", 0, Art::Pointer, YELLOW, one("arrow", 64, 96),
            "ContextValley scroll arrows (the left one mirrored)"));
    add(tex(34, "valleyDashedLine", "gfx/gui/game/dashedline.tga", 0, Art::Dashes, 0xFFF0DCA0, one("dash", 32, 8),
            "ValleyDashedLine: skin 0's height, u repeats every texture width"));
    // The awards of the end-of-level statistics: shown at full size, they
    // shrink to 0.35 (the total row) or 0.25 (the other rows) of it as they
    // settle and then take the frame of that size at scale 1.
    add(tex(35, "statsStar", "", 0, Art::Icon, GOLD, one("anim", 120, 120) + one("total", 42, 42) + one("row", 30, 30),
            "end-of-level statistics: 0 awarded, 1 settled on the total row, 2 settled on another row"));
    add(tex(36, "statsTrophy", "", 0, Art::Icon, GOLD,
            one("anim", 120, 120) + one("total", 42, 42) + one("row", 30, 30),
            "end-of-level statistics: 0 awarded, 1 settled on the total row, 2 settled on another row"));
    add(tex(37, "horizontalRuler", "gfx/gui/game/horizontalRuler.tga", 0, Art::Ruler, WHITE, one("ruler", 256, 8),
            "StatisticsOverlay: drawn 2.34375 wide, so that it spans the columns (600 units)"));

    // ---- The level archive: minimaps ------------------------------------------
    // A card of a middle tone, cream down to two thirds of its height: the
    // recipe's black and blue text and its red titles, the map's footer in
    // half-transparent black and the tutorial's white lines all read on it.
    add(tex(39, "minimapBackground", "gfx/minimap/minimapBackground.tga", 0, Art::Panel, 0xFFC0A07C,
            one("card", 384, 288), "recipe page card, OverlayMiniMap frame, OverlayTutorial background")
            .in(Wad::Levels));
    add(tex(40, "minimapIcons", "gfx/minimap/minimapIcons.tga", 0, Art::Icon, 0xFF404040,
            named({"pig", "apple", "basket", "hat", "umbrella", "house"}, 16, 16), "OverlayMiniMap markers")
            .in(Wad::Levels));
    const int loaderMaps[] = {0, 1, 2, 4, 5, 6};
    int step = 41;
    for (int n : loaderMaps) {
        char name[16], file[40];
        std::snprintf(name, sizeof name, "minimap%02d", n);
        std::snprintf(file, sizeof file, "gfx/minimap/map%02d.tga", n);
        add(image(step++, name, file, "OverlayMiniMap of the level (256 x 192)"));
    }

    // ---- Effects -------------------------------------------------------------
    add(tex(48, "smoke", "", 0, Art::Soft, 0xFFB0B0B0, seq("puff", 4, 64, 64),
            "SmokeParticles: geyser, explosion, house chimney, respawn"));
    add(tex(49, "explosion", "", 0, Art::Soft, ORANGE, seq("fire", 4, 64, 64), "ExplosionParticles"));
    add(tex(50, "splash", "", 0, Art::Drop, WATER, seq("splash", 6, 32, 32),
            "SplashParticles; Waterfall splash sprite (frame nearest (n-1) t)"));
    add(tex(51, "splashCircular", "", 0, Art::Ring, WATER, seq("ring", 4, 32, 32), "Area splashes"));
    add(tex(52, "glint", "", 0, Art::Flake, WHITE, one("glint", 32, 32),
            "ParticleGroup sparkles (valley marker, bursts)"));
    add(tex(53, "flareBig", "gfx/flarebig.tga", 0, Art::Soft, 0xFFFFF0B0, one("flare", 128, 128), "explosion flash"));
    add(tex(54, "spark", "", 0, Art::Streak, YELLOW, one("spark", 32, 8, 6), "SparkShower (anchor 6 set by the loader)")
            .anchored(6));

    // ---- The pig and figures ----------------------------------------------------
    // Every part of the pig stands on her body's centre (the legs 32 below
    // it): each part's frame lies where its picture belongs on her, facing
    // right, and its origin is that centre. The piglets are drawn at 0.6 with
    // the same tail, eyes, lids and legs, so their heads and body are laid
    // out in the mother's places (their body lower and flatter).
    add(tex(55, "pig-body", "", 0, Art::Pig, PINK,
            one("body", 100, 80) + one("head", 64, 72, 5, -11, -10) + one("leg", 16, 24, 8),
            "PigBody of Pig and Piglet: 0 body, 1 head (eye sockets and mouth open), 2 leg (turns about its top)"));
    add(tex(56, "pig-tail", "", 0, Art::Pig, PINK, seq("tail", 8, 40, 40, 5, 54, -4),
            "PigBody: tail wag sequence, at her back"));
    add(tex(57, "pig-mouth", "", 0, Art::Pig, PINK, seq("mouth", 4, 22, 16, 5, -24, 12),
            "PigBody: mouth by mouthValue (shut to open), under the head's mouth hole"));
    add(tex(58, "pig-eyes", "", 0, Art::Pig, PINK, seq("eyes", 8, 32, 18, 5, -12, -15),
            "PigBody: eyes by eyeLook (back to front), under the head's sockets"));
    add(tex(59, "pig-blink", "", 0, Art::Pig, PINK, seq("blink", 4, 32, 18, 5, -12, -15),
            "PigBody: lids by blinkValue (open to closed), under the head's sockets"));
    add(tex(60, "piglets", "", 0, Art::Piglets, PINK,
            one("head 4", 64, 72, 5, -11, -10) + one("head 3", 64, 72, 5, -11, -10) +
                one("head 2", 64, 72, 5, -11, -10) + one("body", 100, 48, 5, 0, 14),
            "Piglet and PigBody: heads of types 4, 3, 2; body (its height sets the drawn body's offset)"));
    add(tex(61, "chefHat", "gfx/chefhat.tga", 0, Art::Hat, WHITE, one("chef hat", 64, 64, 5, -10, -44),
            "PigBody on level 31, on her head"));
    add(tex(62, "fishA", "", 0, Art::Animal, 0xFFF08C30, seq("fish", 4, 64, 32), "FishA (swim frames)"));
    add(tex(63, "rabbit", "", 0, Art::Animal, 0xFFC8B8A8,
            one("burrow", 96, 40) + named({"head", "twitch", "twitch"}, 64, 64),
            "Rabbit: 0 burrow, 1 head, 2-3 twitching"));
    add(tex(64, "bee", "", 2, Art::Animal, YELLOW, seq("bee", 4, 32, 32), "Bee (frames; 0 also the editor icon)"));
    add(tex(65, "butterfly", "", 2, Art::Animal, 0xFF70A0FF, seq("wings", 4, 32, 32),
            "Butterfly: wings closed to open"));
    add(tex(66, "worm", "", 0, Art::Animal, 0xFFE890A0, seq("crawl", 6, 40, 16), "Worm crawl; wormy apples"));
    add(tex(67, "snail", "", 0, Art::Animal, 0xFFC09050, seq("snail", 4, 64, 48), "Snail"));
    add(tex(68, "frog", "", 0, Art::Frog, GREEN,
            one("body", 80, 64) + named({"attack", "idle a", "digest", "idle b", "idle c", "idle", "alert"}, 64, 64) +
                one("tongue", 64, 8, 4),
            "Frog: 0 body, 1 attack, 2/4/5 idle animation, 3 digesting, 6 idle, 7 alert (heads with the mouth at the "
            "centre, where they turn and the tongue starts), 8 tongue (from its left end)"));
    add(tex(69, "house", "", 0, Art::House, 0xFFC86E46,
            one("house part", 384, 120, 5, 17, 33) + one("house", 360, 272, 5, -2, -91) + one("door", 48, 72, 5, 40, 6),
            "HousePart (0), House (1; hull x -173..177, y -42..145, chimney at +225, the doorway open), door "
            "sprite (2, drawn behind the doorway)"));
    add(tex(70, "sweets", "", 0, Art::Sweets, 0, seq("sweet", 16, 32, 32),
            "Sweet and SweetPath: frame = type, exactly 16"));
    add(tex(71, "apple", "", 0, Art::Apple, RED,
            named({"fresh", "fresh", "acid", "bitten", "bitten", "bitten", "mud", "wormy"}, 32, 32),
            "Apple (radius 16), BasketSlot, Worm, Compass"));

    // ---- Weather and sky --------------------------------------------------------
    add(tex(72, "rainDrop", "gfx/raindrop.tga", 0, Art::Drop, 0xC0A0C8FF, one("rain", 16, 32),
            "Weather (spring and summer), scale 0.5"));
    add(tex(73, "snowFlake", "gfx/snowflake3d.tga", 0, Art::Flake, WHITE, seq("snow", 4, 32, 32),
            "Weather (winter), scale 0.5"));
    add(tex(74, "sky-spring", "gfx/sky4.jpg", 0, Art::Sky, 0xFF8CC8F0, one("sky spring", 1024, 768),
            "Sky context, season 0"));
    add(tex(75, "hillsA-spring", "", 0, Art::Hills, 0xFF7CC46A, hillsOverFoot("hills A spring", 256, 256),
            "HillsBackdrop (anchor 1 set by the loader), tiles left-right")
            .anchored(1));
    add(tex(76, "hillsB-spring", "", 0, Art::Hills, 0xFF5AA050, hillsOverFoot("hills B spring", 192, 320),
            "HillsBackdrop")
            .anchored(1));

    // ---- Trees, plants, rocks, ground ----------------------------------------------
    add(tex(77, "trees-rigid", "", 0, Art::Tree, DARK_GREEN, seq("tree", 4, 192, 256), "Vegetation (level data)"));
    const char* bendables[] = {"01", "02", "03", "04", "05", "07", "09", "10"};
    const char* bendableFiles[] = {"1", "2", "3", "4", "5", "7", "9", "10"};
    for (int i = 0; i < 8; ++i) {
        const uint32_t shade =
            0xFF000000u | static_cast<uint32_t>(0x30 + 8 * i) << 16 | static_cast<uint32_t>(0x90 + 6 * i) << 8 | 0x40u;
        add(tex(78 + i, std::string("trees-bendable-") + bendables[i],
                std::string("gfx/trees-bendable-") + bendableFiles[i] + ".tga", 6, Art::Tree, shade,
                seq("bendable", 2, 128, 256, 2), "BendingVegetation (level data)"));
    }
    add(tex(86, "flowers1", "", 2, Art::Plant, 0xFFE04878, seq("flower", 8, 48, 64, 2),
            "Vegetation, BendingVegetation"));
    add(tex(87, "flowers2", "", 2, Art::Plant, 0xFFF0D040, seq("flower", 8, 48, 64, 2),
            "Vegetation, BendingVegetation"));
    add(tex(88, "flowers-cattail", "gfx/cattail.tga", 2, Art::Plant, 0xFF7A5030, seq("cattail", 4, 32, 96, 2),
            "BendingVegetation by water"));
    add(tex(89, "stones", "", 0, Art::Rock, STONE, seq("stone", 4, 64, 48), "Vegetation, TerrainDeco (level data)"));
    add(tex(90, "rockPebbles", "gfx/pebbles.tga", 0, Art::Rock, 0xFFA89880, seq("pebbles", 4, 48, 24),
            "scenery (level data)"));
    add(tex(91, "rocksA", "", 0, Art::Rock, 0xFF7A7A80, seq("rock", 4, 128, 96), "scenery (level data)"));
    add(tex(92, "pumpkin", "", 0, Art::Blob, ORANGE, seq("pumpkin", 2, 64, 56), "scenery (autumn)"));
    add(tex(93, "clouds", "", 0, Art::Soft, WHITE, seq("cloud", 4, 256, 128), "scenery (level data)"));
    add(tex(94, "terrain-grassy", "", 2, Art::Tile, 0xFF6A9A3A, one("terrain grassy", 256, 128),
            "TerrainDeco of new levels (512 segments, flags 0x105)"));
    add(tex(95, "terrain-deco-roots", "", 2, Art::Tile, 0xFF7A5A3A, one("roots", 256, 64), "TerrainDeco (level data)"));
    add(tex(96, "terrain-deco-moss", "", 2, Art::Tile, 0xFF4A7A3A, one("moss", 256, 64), "TerrainDeco (level data)"));
    add(tex(97, "ground-dirt", "", 2, Art::Tile, 0xFF8A6440, one("dirt", 256, 64), "TerrainDeco (level data)"));
    add(tex(98, "ground-grass", "", 2, Art::Tile, 0xFF58A040, band("grass", 256, 64),
            "TerrainDeco of new levels: earth band (512 segments, flags 0x1)"));
    add(tex(99, "ground-gravel", "", 2, Art::Tile, 0xFF9A9490, one("gravel", 256, 64), "TerrainDeco (level data)"));
    add(tex(100, "ground-leaves", "", 2, Art::Tile, 0xFFC07830, band("leaves", 256, 64), "TerrainDeco (autumn)"));

    // ---- Objects ---------------------------------------------------------------
    add(tex(101, "crate", "", 0, Art::Device, WOOD, seq("crate", 2, 64, 64),
            "BlastableObject and scenery (level data)"));
    add(tex(102, "deco-grass", "", 0, Art::Plant, 0xFF68B848, one("grass fringe", 256, 32),
            "TerrainDeco of new levels: grass fringe (64 segments, flags 0x1C)"));
    add(tex(103, "deco-grass-tall", "", 0, Art::Plant, 0xFF58A838, one("tall grass", 256, 64),
            "TerrainDeco (level data)"));
    add(tex(104, "details1", "", 0, Art::Plant, 0xFF90A060, named({"d0", "d1", "d2", "d3", "d4", "d5", "deco"}, 64, 64),
            "Decoration (skin 6 by default)"));
    add(tex(105, "cactus", "", 6, Art::Plant, 0xFF4A9A5A, seq("cactus", 2, 64, 128, 2),
            "BendingVegetation (level data)"));
    add(tex(106, "basketA", "", 0, Art::Basket, BROWN, named({"body", "front"}, 48, 40), "BasketA (one apple)"));
    add(tex(107, "basketB", "", 0, Art::Basket, BROWN, named({"body", "front"}, 56, 56), "BasketB (two apples)"));
    add(tex(108, "fence", "", 0, Art::Fence, WOOD,
            seq("stake", 4, 16, 96) + named({"beam", "beam/chain", "beam", "beam"}, 128, 16),
            "Fence: 0-3 stakes, 4-7 beams by type (stretched in x); 5 the Drawbridge chain"));
    add(tex(109, "ladder", "", 2, Art::Ladder, WOOD, one("ladder", 64, 256), "scenery (level data)"));
    add(tex(110, "rainbow", "", 2, Art::Rainbow, 0, one("rainbow", 512, 256), "scenery (level data)"));
    add(tex(111, "drawbridge", "", 0, Art::Device, WOOD,
            one("deck", 368, 32, 5, 0, 8) + one("tower", 64, 360, 5, 0, -160) + one("plank", 368, 32, 5, 0, 8) +
                one("board", 368, 32, 5, 0, 8) + one("plank from its pivot", 736, 32, 5, 0, 8) +
                one("plank to its pivot", 736, 32, 5, 0, 8),
            "Drawbridge: 0 the swinging deck (hull -180..180 along the frame's middle row, the boards under it), "
            "1 the upright tower (top at 327); level data: 2 a plank for scenery and platforms, 3 the deck's "
            "boards without its post (tipping boards, hull -180..180), 4 and 5 planks that rotators swing from one "
            "end (hulls 0..360 and -357..25)"));
    add(tex(112, "water", "", 2, Art::Tile, WATER, one("water", 256, 128), "Area water, Waterfall (level data)"));
    add(tex(113, "water-shallow", "", 2, Art::Tile, 0xA060A8E8, one("shallow", 256, 64), "Area water (level data)"));
    add(tex(114, "shrubs", "", 0, Art::Plant, 0xFF3E8A3E, seq("shrub", 4, 128, 96, 2), "Vegetation (level data)"));
    add(tex(115, "hotairballoon", "", 0, Art::Blob, 0xFFE05040, one("balloon", 128, 192), "scenery (level data)"));
    add(tex(116, "treestumps", "", 0, Art::Tree, BROWN, seq("stump", 3, 96, 64, 2) + one("tall stump", 96, 72, 2),
            "scenery (level data); 3 a stump whose cut lies 8 pixels under its top edge, for ground on a stump"));
    add(tex(117, "woodsign", "", 0, Art::Device, WOOD, one("post", 16, 96) + seq("board", 4, 96, 32),
            "WoodSign: 0 post, 1-4 boards"));
    add(tex(118, "paperNote", "", 0, Art::Plain, 0xFFF8F0C8, one("note", 48, 48), "TriggerHint icon (level data)"));
    add(tex(119, "switch", "", 0, Art::Device, 0xFF5080C0,
            named({"button off", "button on", "lever off", "lever on"}, 48, 48), "Switch: exactly 4 frames"));
    add(tex(120, "dynamite", "", 0, Art::Device, RED, one("dynamite", 32, 48),
            "Explosion (editor picture, level data)"));
    add(tex(121, "compass", "", 0, Art::Icon, 0xFFD0D0E0,
            named({"apple body", "apple needle", "basket body", "basket needle", "house body", "house needle"}, 40, 40),
            "Compass: body and needle per target type"));
    add(tex(122, "telescope", "", 0, Art::Device, 0xFF907050, one("stand", 48, 96) + one("head", 96, 32),
            "Telescope: 0 stand (its top at the centre), 1 head turning on it"));
    add(tex(123, "springboard", "", 0, Art::Device, 0xFFD04040, one("base", 64, 32) + one("board", 80, 16),
            "Springboard: 0 base, 1 board at (0, 23)"));

    // ---- Touch screens ----------------------------------------------------------
    add(tex(124, "hud-touchscreen", "gfx/gui/game/hud-touchscreen.tga", 0, Art::Icon, 0xC0FFFFFF,
            one("unused", 64, 64) + named({"pause", "help", "stats", "map"}, 64, 64) +
                named({"left", "jump", "right"}, 96, 96),
            "GameHud and TouchHudControl: 1 pause, 2 help, 3 statistics, 4 map, 5 left, 6 jump, 7 right"));
    add(tex(125, "tutorial-iPhone", "gfx/mobile/tutorial-iPhone.tga", 0, Art::Panel, 0xFF4080C0,
            one("frame", 320, 240) + seq("page", 5, 288, 208),
            "OverlayTutorial and OverlayHint, display class other than 1"));
    add(tex(126, "tutorial-iPad", "gfx/mobile/tutorial-iPad.tga", 0, Art::Panel, 0xFF40A070,
            one("frame", 320, 240) + seq("page", 5, 288, 208), "OverlayTutorial and OverlayHint, display class 1"));

    // ---- Sound samples ------------------------------------------------------------
    add(snd(127, "mouseClick", "sfx/clickXP.ogg", S(Voice::Click, 0.05, 2500), "MenuItem, MenuItemBack, value items"));
    add(snd(128, "pop", "", S(Voice::Sweep, 0.09, 500, 1400), "SpeechBubble, message boxes, players page")
            .pb(3)
            .gap(0.025)
            .pitch(0.0f, 0.5f));
    add(snd(129, "typewriter", "", S(Voice::Noise, 0.05, 7000, 2500), "name entry: one per character")
            .pb(3)
            .gap(0.025)
            .pitch(0.0f, 0.5f));
    add(snd(130, "beeBuzz", "sfx/bee.ogg", S(Voice::Buzz, 2.0, 220, 9), "Bee ambient loop").looping());
    add(snd(131, "birds", "", S(Voice::Chirps, 4.0, 3200), "ambient birds (level data)").looping());
    add(snd(132, "waterfall", "", S(Voice::Rumble, 3.0, 2600), "Waterfall ambient loop").looping());
    add(snd(133, "snailWalk", "", S(Voice::Rumble, 2.0, 350), "Snail ambient loop").looping().pb(3));
    add(snd(134, "hedgehogSqueak", "", S(Voice::Squeak, 2.0, 2200), "Hedgehog ambient loop").looping());
    add(snd(135, "geyserErupt", "", S(Voice::Rumble, 2.0, 5000), "Geyser jet (channel loop)")
            .looping()
            .pb(3)
            .pitch(0.0f, 0.5f));
    add(snd(136, "geyserRumble", "", S(Voice::Rumble, 1.5, 140), "Geyser: the last second before a jet").pb(3));
    add(snd(137, "waterSplashSmall", "", S(Voice::Noise, 0.25, 3000, 500), "Area: small splash").gap(0.025));
    add(snd(138, "waterSplashLarge", "", S(Voice::Noise, 0.6, 1800, 150), "Area: large splash").gap(0.1));
    add(snd(139, "mudSplash", "", S(Voice::Noise, 0.4, 600, 60), "Area: mud"));
    add(snd(140, "explosionSound", "sfx/explosion.ogg", S(Voice::Thud, 1.2, 80), "Explosion").pb(1));
    add(snd(141, "magicHat", "", S(Voice::Arpeggio, 0.6, 880, 1), "Pig: winged-hat jump"));
    add(snd(142, "umbrellaOpen", "", S(Voice::Sweep, 0.3, 180, 720), "Pig: umbrella glide"));
    add(snd(143, "footstepDirt", "", S(Voice::Noise, 0.12, 900, 100), "footsteps on material 1").pitch(0.0f, 0.5f));
    add(snd(144, "footstepLeaves", "", S(Voice::Noise, 0.15, 6000, 1500), "footsteps on material 4 (plants)")
            .pitch(0.0f, 0.5f));
    add(snd(145, "footstepSnow", "", S(Voice::Noise, 0.18, 2500, 700), "footsteps on material 5").pitch(0.0f, 0.5f));
    add(snd(146, "footstepStone", "", S(Voice::Tone, 0.08, 1200, 2.3), "footsteps on material 2").pitch(0.0f, 0.5f));
    add(snd(147, "footstepWood", "", S(Voice::Tone, 0.12, 380, 1.6), "footsteps on material 3 (house, drawbridge)")
            .pitch(0.0f, 1.0f));
    add(snd(148, "drawbridgeRaise", "", S(Voice::Gear, 1.0, 14), "Drawbridge raised"));
    add(snd(149, "drawbridgeLower", "", S(Voice::Gear, 1.0, 7), "Drawbridge lowered"));
    add(snd(150, "switchButton", "", S(Voice::Tone, 0.1, 1500, 2), "Switch: button"));
    add(snd(151, "switchRaise", "", S(Voice::Sweep, 0.25, 400, 800), "Switch: lever up"));
    add(snd(152, "switchLower", "", S(Voice::Sweep, 0.25, 800, 400), "Switch: lever down"));
    add(snd(153, "switchActivate", "", S(Voice::Chord, 0.5, 523.25, 1), "Switch activation sound (level data)"));
    add(snd(154, "rotatorGear", "", S(Voice::Gear, 0.8, 22), "Rotator (level data)"));
    add(snd(155, "sweetPickup", "", S(Voice::Tone, 0.25, 1046.5, 2), "Sweet: semitones type - 8").pb(8));
    add(snd(156, "secretArea", "", S(Voice::Arpeggio, 1.2, 659.25, 1), "SecretArea found").pb(1));
    add(snd(157, "pigletJump", "", S(Voice::Sweep, 0.15, 700, 1400), "Piglet hop").pitch(0.0f, 0.5f));
    add(snd(158, "pigFaint", "", S(Voice::Sweep, 0.9, 500, 120), "Pig faints").pb(1));
    add(snd(159, "pigJump", "", S(Voice::Sweep, 0.2, 330, 700), "Pig jump").pitch(0.0f, 0.5f));
    add(snd(160, "pigSlurp", "", S(Voice::Sweep, 0.35, 900, 260), "Pig eats a sweet").pitch(0.0f, 0.25f));
    add(snd(161, "pigCarry", "", S(Voice::Buzz, 0.25, 140, 30), "Pig picks up or drops cargo").pitch(0.0f, 0.25f));
    add(snd(162, "pigSpawn", "", S(Voice::Arpeggio, 0.8, 392, 1), "Pig reappears").pb(1));
    add(snd(163, "horseIdle", "", S(Voice::Buzz, 0.6, 180, 6), "Horse idle"));
    add(snd(164, "horseAlert", "", S(Voice::Sweep, 0.4, 600, 900), "Horse sees an apple"));
    add(snd(165, "horseDigest", "", S(Voice::Gear, 0.8, 6), "Horse chews").pb(1));
    add(snd(166, "frogIdle", "", S(Voice::Buzz, 0.3, 110, 25), "Frog idle croak"));
    add(snd(167, "frogAlert", "", S(Voice::Sweep, 0.2, 200, 400), "Frog sees an apple"));
    add(snd(168, "frogDigest", "", S(Voice::Gear, 0.6, 5), "Frog digests"));
    add(snd(169, "frogAttack", "", S(Voice::Sweep, 0.15, 1500, 300), "Frog tongue"));
    add(snd(170, "fishIdle", "", S(Voice::Sweep, 0.15, 300, 520), "Fishes idle blip"));
    add(snd(171, "wormDie", "", S(Voice::Sweep, 0.4, 1200, 200), "Worm squashed").pitch(0.0f, 0.5f));
    add(snd(172, "rabbitAppear", "", S(Voice::Sweep, 0.12, 800, 1600), "Rabbit pops up").pb(3).pitch(0.0f, 0.5f));
    add(snd(173, "appleBite", "", S(Voice::Noise, 0.15, 3200, 900), "Apple bitten by an animal")
            .pb(3)
            .pitch(0.0f, 0.5f));
    {
        E big = snd(174, "appleBiteBig", "sfx/appleBite.ogg", S(Voice::Noise, 0.15, 3200, 900),
                    "Apple bitten (big apple): the appleBite file at half frequency");
        add(big.pb(3).pitch(-0.5f, -0.5f));
    }
    add(snd(175, "appleMud", "", S(Voice::Noise, 0.3, 500, 60), "Apple spoiled by mud").pb(3).pitch(0.0f, 0.25f));
    add(snd(176, "appleAcid", "", S(Voice::Noise, 0.4, 9000, 3500), "Apple spoiled by acid").pb(3).pitch(0.0f, 0.25f));
    add(snd(177, "appleWorm", "", S(Voice::Squeak, 0.4, 1500), "Apple spoiled by a worm").pb(3).pitch(0.0f, 0.25f));
    add(snd(178, "appleBasket", "", S(Voice::Thud, 0.2, 220), "Apple lands in a basket").pitch(0.0f, 0.25f));
    add(snd(179, "appleSquish", "", S(Voice::Noise, 0.25, 1200, 250), "Apple spiked by a hedgehog").pitch(0.0f, 0.5f));
    add(snd(180, "appleBounce", "", S(Voice::Tone, 0.1, 500, 1.5), "Apple bounce").pb(6).gap(0.025));
    add(snd(181, "appleBig", "", S(Voice::Thud, 0.35, 90), "Big apple bounce").pb(3).gap(0.025));
    add(snd(182, "appleCollect", "", S(Voice::Tone, 0.35, 784, 3), "Apple home: semitones n - 8").pb(3));
    add(snd(183, "doorOpen", "", S(Voice::Squeak, 0.5, 500), "House door opens").pb(1));
    add(snd(184, "doorClose", "", S(Voice::Thud, 0.3, 110), "House door closes").pb(1));
    add(snd(185, "springboardSound", "sfx/springboard.ogg", S(Voice::Sweep, 0.3, 200, 820), "Springboard launch")
            .pitch(0.0f, 0.5f));
    add(snd(186, "bellSmall", "sfx/bellsmall.ogg", S(Voice::Tone, 0.8, 1318.5, 2.76), "end-of-level statistics rows"));
    add(snd(187, "vibe", "", S(Voice::Tone, 1.0, 523.25, 4), "end-of-level statistics (semitones)"));
    add(snd(188, "saveProgress", "", S(Voice::Chord, 0.8, 659.25, 1), "SaveProgress trigger, valley unlock"));
    add(snd(189, "fireworkBang", "sfx/fireworkbang.ogg", S(Voice::Thud, 0.8, 60), "end-of-level fireworks"));

    // ---- Font symbol sheets (made with the glyph pages) -------------------------------
    {
        E gui = tex(199, "fontTinyGUIsymbolsTex", "gfx/font/font-tiny-GUIsymbols.tga", 10, Art::Plain, WHITE, {},
                    "fontTiny: codes from 0 as they are (caret and its blank phase, arrows, keys)");
        gui.kind = Kind::GlyphSheet;
        add(gui);
        E ed = tex(200, "fontTinyEditorSymbolsTex", "gfx/font/font-tiny-editorsymbols.tga", 10, Art::Plain, WHITE, {},
                   "fontTiny: codes from 128 as they are (editor symbols 0x80-0x82)");
        ed.kind = Kind::GlyphSheet;
        add(ed);
    }

    // ---- Extra resources (loaded after the loader's list) ------------------------------
    struct Season {
        const char* name;
        uint32_t sky, hillsA, hillsB;
    };
    const Season seasons[] = {{"summer", 0xFF60B0F0, 0xFFB0C048, 0xFF889838},
                              {"autumn", 0xFFE0B080, 0xFFD08838, 0xFFA86428},
                              {"winter", 0xFFB8C8D8, 0xFFE8F0F8, 0xFFC8D4E0}};
    for (const Season& s : seasons) {
        const std::string season = s.name;
        add(tex(kExtraStep, "sky-" + season, "gfx/sky-" + season + ".jpg", 0, Art::Sky, s.sky,
                one("sky " + season, 1024, 768), "Sky context"));
        add(tex(kExtraStep, "hillsA-" + season, "", 0, Art::Hills, s.hillsA,
                hillsOverFoot("hills A " + season, 256, 256), "HillsBackdrop, GameController set-up")
                .anchored(1));
        add(tex(kExtraStep, "hillsB-" + season, "", 0, Art::Hills, s.hillsB,
                hillsOverFoot("hills B " + season, 192, 320), "HillsBackdrop, GameController set-up")
                .anchored(1));
    }
    add(tex(kExtraStep, "house-roofsnow", "", 0, Art::House, WHITE, one("roof snow", 300, 96, 5, 40, -118),
            "House in winter, drawn at the house position"));
    // The tools stand on their origin: the umbrella on its crook, the hat on
    // its brim, on the ground or where the pig carries them.
    add(tex(kExtraStep, "umbrella", "", 0, Art::Umbrella, 0xFF4060D0, one("umbrella", 88, 84, 2, -8, 0),
            "Umbrella (tool)"));
    add(tex(kExtraStep, "wingedhat", "", 0, Art::Hat, 0xFF40A0E0, one("winged hat", 56, 40, 5, -14, -16),
            "WingedHat (tool)"));
    add(tex(kExtraStep, "basketC", "", 0, Art::Basket, BROWN, named({"body", "front"}, 64, 72),
            "BasketC (three apples)"));
    add(tex(kExtraStep, "basketD", "", 0, Art::Basket, BROWN, named({"body", "front"}, 90, 110),
            "BasketD (six apples)"));
    // The bear's parts all stand near the body's origin (45 units above its
    // path): each leg frame's origin is the point it swings about, its leg
    // lying off to the hip it hangs from; the head's origin puts it at the
    // body's front.
    add(tex(kExtraStep, "bear", "", 0, Art::Animal, 0xFF7A4E2E,
            one("body", 140, 100) + one("near hind leg", 62, 96, 5, 30, 27) +
                one("near front leg", 62, 100, 5, -19, 23) + one("far front leg", 62, 90, 5, -21, 15) +
                one("far hind leg", 62, 90, 5, 17, 15) + one("head", 64, 56, 5, -62, -26),
            "Bear: 0 body, 1-4 legs, 5 head"));
    add(tex(kExtraStep, "fishB", "", 0, Art::Animal, 0xFF30A0D0, seq("fish", 4, 64, 32), "FishB (swim frames)"));
    add(tex(kExtraStep, "geyser", "", 0, Art::Rock, 0xFF8090A0, one("geyser", 64, 48, 8),
            "Geyser (mouth at the object position)"));
    add(tex(kExtraStep, "hedgy", "", 0, Art::Animal, 0xFF8A6A50,
            named({"eyes open", "eyes shut"}, 64, 48) + one("leg", 8, 12, 8),
            "Hedgehog: 0 open eyes, 1 shut eyes, 2 leg"));
    add(tex(kExtraStep, "horse-body", "", 0, Art::Animal, 0xFFA0703C, one("horse body", 160, 128), "Horse body"));
    // The horse's head stands by its origin on the body (forward, or
    // mirrored backward) and tilts about it: the origin lies 27 behind the
    // neck the head sits on, so the head swaps ends about that neck. The
    // lick stands below and behind the head's origin; its origin puts the
    // tongue at the mouth.
    add(tex(kExtraStep, "horse-head", "", 0, Art::Animal, 0xFFA0703C,
            one("eyes shut", 68, 60, 5, -40, 0) + one("idle", 68, 60, 5, -40, 0) + one("alert", 68, 60, 5, -40, 0),
            "Horse head: 0 eyes shut, 1 idle, 2 alert"));
    add(tex(kExtraStep, "horse-lick", "", 0, Art::Animal, 0xFFE07090,
            one("rest", 32, 24, 5, -72, 1) + one("lick out", 32, 24, 5, -72, 1) + one("lick up", 32, 24, 5, -72, 1) +
                one("rest", 32, 24, 5, -72, 1),
            "Horse tongue: frames 0 and 3 at rest (nearly empty), 1 and 2 the lick"));
    add(tex(kExtraStep, "autumnLeaf", "", 0, Art::Leaf, 0xFFD07020, seq("leaf", 4, 32, 32),
            "Weather (autumn), scale 0.5"));
    const char* standard[] = {"generic", "thickframe", "thinframe",       "groove", "panel-bevelinner",
                              "editbox", "button",     "button-nogroove", "tab",    "tab-selected"};
    for (int i = 0; i < 10; ++i) {
        add(tex(kExtraStep, std::string("gui-standard-") + standard[i],
                std::string("gfx/gui/standard/") + standard[i] + ".tga", 2, Art::Panel,
                0xFF8090A8 + static_cast<uint32_t>(i) * 0x000C0806u, named({"disabled", "normal", "focused"}, 32, 32),
                "GUIthemeStandard styles 2-11"));
    }
    // Minimaps of the levels the loader's list leaves out (bonus levels n mod 4 = 3 and
    // level 31 have none).
    for (int n = 7; n <= 30; ++n) {
        if (n % 4 == 3) continue;
        char name[16], file[40];
        std::snprintf(name, sizeof name, "minimap%02d", n);
        std::snprintf(file, sizeof file, "gfx/minimap/map%02d.tga", n);
        add(image(kExtraStep, name, file, "OverlayMiniMap of the level (256 x 192)"));
    }
    // Winter scenery: each sheet a copy of its summer sheet's frames (sizes,
    // anchors, flags), so that a winter level swaps one name for the other
    // and nothing stands, bends or is reached differently.
    struct WinterLook {
        const char* base;
        uint32_t colour;
        const char* usedBy;
    };
    const WinterLook winterLooks[] = {
        {"trees-rigid", 0xFF5A4A3E, "Vegetation of the winter levels: bare trees and a fir under snow"},
        {"shrubs", 0xFF4E6A58, "Vegetation of the winter levels: bushes under snow"},
        {"treestumps", BROWN, "scenery of the winter levels: stumps with a cap of snow"},
        {"flowers1", 0xFFF4F8FF, "SaveProgressTrigger and Vegetation of the winter levels: snowdrops"},
    };
    for (const WinterLook& w : winterLooks) {
        const Entry* base = nullptr;
        for (const Entry& e : t)
            if (e.name == w.base) base = &e;
        if (!base) {
            std::fprintf(stderr, "manifest: the winter look of '%s' has no sheet to copy\n", w.base);
            std::abort();
        }
        add(tex(kExtraStep, std::string(w.base) + kWinterSuffix, "", base->flags, base->art, w.colour, base->frames,
                w.usedBy));
    }
    return t;
}

}  // namespace

std::string wadFileName(Wad wad) {
    switch (wad) {
        case Wad::Main:
            return "Tumbrodemo.dat";
        case Wad::Language:
            return "Tumbrodemo.dat.language.v2";
        case Wad::Levels:
            return "Tumbrodemo.dat.levels";
        case Wad::Cp1252:
            return "Tumbrodemo.dat.1252";
        case Wad::Cp1250:
            return "Tumbrodemo.dat.1250";
    }
    return "Tumbrodemo.dat";
}

const std::vector<Entry>& manifest() {
    static const std::vector<Entry> table = build();
    return table;
}

const Entry* findEntry(std::string_view name) {
    static const std::unordered_map<std::string_view, const Entry*> index = [] {
        std::unordered_map<std::string_view, const Entry*> m;
        for (const Entry& e : manifest()) m.emplace(e.name, &e);
        return m;
    }();
    auto it = index.find(name);
    return it == index.end() ? nullptr : it->second;
}

const Entry* winterVariant(std::string_view name) {
    if (!findEntry(name)) return nullptr;
    const Entry* e = findEntry(std::string(name) + kWinterSuffix);
    return e && e->isTexture() ? e : nullptr;
}

std::string descriptionFileName(const std::string& textureFile) {
    const size_t dot = textureFile.find_last_of('.');
    const size_t slash = textureFile.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return textureFile + ".ini";
    return textureFile.substr(0, dot) + ".ini";
}

}  // namespace content
